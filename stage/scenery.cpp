#include "stage/scenery.h"

#include "platform/surface.h"
#include "stage/world.h"

namespace {

// The layer moved left by `offset`: its part right of the offset first, then its left part
// behind it. The two pieces never share a pixel of the screen, so masking and painting
// each piece in turn leaves what masking both and then painting both would.
void drawWrapped(int32_t offset, const Surface& mask, const Surface& picture) {
    Surface& back = SurfaceTable[kBackBuffer];
    blitMasked(back, 0, 0, kScreenWidth - offset, kScreenHeight, mask, picture, offset, 0);
    blitMasked(back, kScreenWidth - offset, 0, offset, kScreenHeight, mask, picture, 0, 0);
}

}  // namespace

int32_t advanceScroll(int32_t offset, int32_t step, int32_t period) {
    int64_t v = int64_t{offset} + step;
    if (v > period) v -= period;
    if (period > 0 && (v < 0 || v > period)) v = (v % period + period) % period;
    return static_cast<int32_t>(v);
}

void drawFarLayer() {
    blit(SurfaceTable[kBackBuffer], 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kFarLayer], 0, 0, Rop::Copy);
}

void drawScrollingLayer(int maskSlot, int pictureSlot, int32_t offset) {
    drawWrapped(offset, SurfaceTable[maskSlot], SurfaceTable[pictureSlot]);
}

void drawGroundTiles(int32_t groundScroll, bool transparent) {
    const StageParamsRecord& g = StageParams;
    if (g.groundWidth <= 0 || g.groundHeight <= 0) return;  // no tile size to step by
    int64_t top = g.groundTop;
    // Rows that end above the screen show nothing; start at the first that can.
    if (top < 0) top += -top / g.groundHeight * g.groundHeight;
    for (int64_t y = top; y < kScreenHeight; y += g.groundHeight) {
        for (int64_t x = -int64_t{groundScroll}; x < kScreenWidth; x += g.groundWidth) {
            if (transparent)
                drawSprite(x, y, g.groundWidth, g.groundHeight, g.groundSrcX, g.groundSrcY);
            else
                blit(SurfaceTable[kBackBuffer], x, y, g.groundWidth, g.groundHeight, SurfaceTable[kCharSheet],
                     g.groundSrcX, g.groundSrcY, Rop::Copy);
        }
    }
}

void drawSprite(int64_t dx, int64_t dy, int64_t w, int64_t h, int64_t sx, int64_t sy) {
    blitMasked(SurfaceTable[kBackBuffer], dx, dy, w, h, SurfaceTable[kCharMask], SurfaceTable[kCharSheet], sx, sy);
}

void drawOutcomeBanner() {
    int top;
    if (opponentsLeft == 0) top = kWonBannerTop;
    else if (EntityTable[kPlayerSlot].inUse == 0) top = kLostBannerTop;
    else return;
    blit(SurfaceTable[kBackBuffer], kBannerX, kBannerY, kBannerWidth, kBannerHeight, SurfaceTable[kCharSheet], 0,
         top, Rop::Copy);
}
