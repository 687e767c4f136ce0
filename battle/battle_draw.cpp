#include "battle/battle_draw.h"

#include <algorithm>

#include "app/surface.h"
#include "battle/battle.h"
#include "stage/world.h"

int32_t battleMidScroll;
int32_t battleNearScroll;
int32_t battleGroundScroll;
int32_t battleBlink;

namespace {

// Odd multiples of pi/8 from the stage's rounded pi; frame f shows headings below bound f.
constexpr double kFrameBounds[8] = {
    0.39269908169872375, 1.1780972450961713, 1.9634954084936187, 2.7488935718910663,
    3.5342917352885137,  4.3196898986859615, 5.105088062083409,  5.890486225480856,
};

constexpr int kBannerWidth = 138;
constexpr int kBannerHeight = 19;
constexpr int kBannerX = 320;
constexpr int kBannerY = 288;
constexpr int kWonBannerTop = 82;
constexpr int kLostBannerTop = 101;

// Advances a scenery offset that wraps every `period` pixels. The single subtraction keeps
// the normal range 0..period (period itself included); anything it cannot bring back (a
// negative or huge speed) is wrapped by a true modulo, so no copy reads outside its picture.
// Without a positive period the offset is never used; it only must not overflow.
int32_t advanceScroll(int32_t offset, int32_t step, int32_t period) {
    int64_t v = static_cast<int64_t>(offset) + step;
    if (v > period) v -= period;
    if (period > 0 && (v < 0 || v > period)) v = (v % period + period) % period;
    return static_cast<int32_t>(v);
}

// blit with 64-bit placement: an object far off the field, or with huge sheet values, is
// clipped here to what both surfaces hold, exactly as blit would clip it.
void blitClipped(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& src, int64_t sx,
                 int64_t sy, Rop rop) {
    const int64_t x0 = std::max<int64_t>({0, -dx, -sx});
    const int64_t x1 = std::min<int64_t>({w, dst.width - dx, src.width - sx});
    const int64_t y0 = std::max<int64_t>({0, -dy, -sy});
    const int64_t y1 = std::min<int64_t>({h, dst.height - dy, src.height - sy});
    if (x0 >= x1 || y0 >= y1) return;
    blit(dst, static_cast<int>(dx + x0), static_cast<int>(dy + y0), static_cast<int>(x1 - x0),
         static_cast<int>(y1 - y0), src, static_cast<int>(sx + x0), static_cast<int>(sy + y0), rop);
}

// Mask by AND, then picture by OR: pure black in the picture lets the frame show through.
void drawTransparent(const Surface& mask, const Surface& picture, int64_t dx, int64_t dy, int64_t w, int64_t h,
                     int64_t sx, int64_t sy) {
    Surface& back = SurfaceTable[kBackBuffer];
    blitClipped(back, dx, dy, w, h, mask, sx, sy, Rop::And);
    blitClipped(back, dx, dy, w, h, picture, sx, sy, Rop::Or);
}

// A layer that moves left and wraps every 800 pixels, drawn in two pieces: mask pieces first,
// then picture pieces.
void drawScrollingLayer(int mask, int picture, int32_t offset) {
    Surface& back = SurfaceTable[kBackBuffer];
    const int rest = kScreenWidth - offset;
    blit(back, 0, 0, rest, kScreenHeight, SurfaceTable[mask], offset, 0, Rop::And);
    blit(back, rest, 0, offset, kScreenHeight, SurfaceTable[mask], 0, 0, Rop::And);
    blit(back, 0, 0, rest, kScreenHeight, SurfaceTable[picture], offset, 0, Rop::Or);
    blit(back, rest, 0, offset, kScreenHeight, SurfaceTable[picture], 0, 0, Rop::Or);
}

void drawGround() {
    const StageParamsRecord& p = StageParams;
    battleGroundScroll = advanceScroll(battleGroundScroll, p.scrollSpeed, p.groundWidth);
    // Tiles need a size; without one the band would never end.
    if (p.groundWidth <= 0 || p.groundHeight <= 0) return;
    int64_t top = p.groundTop;
    // Rows wholly above the screen draw nothing; start at the first that can show.
    if (top + p.groundHeight <= 0) top += (-top) / p.groundHeight * p.groundHeight;
    for (int64_t ty = top; ty < kScreenHeight; ty += p.groundHeight) {
        for (int64_t tx = -static_cast<int64_t>(battleGroundScroll); tx < kScreenWidth; tx += p.groundWidth) {
            drawTransparent(SurfaceTable[kCharMask], SurfaceTable[kCharSheet], tx, ty, p.groundWidth,
                            p.groundHeight, p.groundSrcX, p.groundSrcY);
        }
    }
}

// Centred on (x, y - z): lobbed shots show lifted by their height.
void drawObject(const Entity& e, bool directional) {
    const int64_t frame = directional ? directionFrame(e.angle) : 0;
    const int64_t left = static_cast<int64_t>(e.x) - e.WID / 2;
    const int64_t top = static_cast<int64_t>(e.y) - e.z - e.HEI / 2;
    drawTransparent(SurfaceTable[kCharMask], SurfaceTable[kCharSheet], left, top, e.WID, e.HEI,
                    e.LEF + static_cast<int64_t>(e.WID) * frame, e.TOP);
}

// Objects under guard show only on the frames where the blink is 0.
bool visible(const Entity& e) { return e.inUse == 1 && (battleBlink == 0 || e.guard <= 0); }

// Blocks and marks lie on the ground, under every other object whatever the slots.
void drawGroundLevel() {
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        const Entity& e = EntityTable[n];
        if (!visible(e)) continue;
        if (e.TYP == 2) {
            drawObject(e, false);
        } else if (e.TYP == 5) {
            drawObject(e, true);
        }
    }
}

void drawObjects() {
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        const Entity& e = EntityTable[n];
        if (!visible(e)) continue;
        switch (e.TYP) {
        case 2: case 5: break;
        case 0: case 3: case 12: case 22: drawObject(e, true); break;
        default: drawObject(e, false); break;
        }
    }
}

void drawBanner() {
    int bannerTop = -1;
    if (opponentsLeft == 0) {
        bannerTop = kWonBannerTop;
    } else if (EntityTable[kPlayerSlot].inUse == 0) {
        bannerTop = kLostBannerTop;
    }
    if (bannerTop < 0) return;
    blit(SurfaceTable[kBackBuffer], kBannerX, kBannerY, kBannerWidth, kBannerHeight, SurfaceTable[kCharSheet], 0,
         bannerTop, Rop::Copy);
}

}  // namespace

int directionFrame(double angle) {
    for (int f = 0; f < 8; ++f) {
        if (angle < kFrameBounds[f]) return f;
    }
    return 0;
}

void battleDraw() {
    Surface& back = SurfaceTable[kBackBuffer];
    blit(back, 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kFarLayer], 0, 0, Rop::Copy);
    battleMidScroll = advanceScroll(battleMidScroll, StageParams.scrollSpeed / 2, kScreenWidth);
    drawScrollingLayer(kMiddleMask, kMiddleLayer, battleMidScroll);
    battleNearScroll = advanceScroll(battleNearScroll, StageParams.scrollSpeed, kScreenWidth);
    drawScrollingLayer(kNearMask, kNearLayer, battleNearScroll);
    drawGround();
    if (++battleBlink > 1) battleBlink = 0;
    drawGroundLevel();
    drawObjects();
    drawBanner();
    presentBackBuffer();
}
