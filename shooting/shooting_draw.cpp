#include "shooting/shooting_draw.h"

#include "app/surface.h"
#include "shooting/shooting.h"
#include "shooting/shooting_update.h"
#include "stage/world.h"

int32_t shootMidScroll;
int32_t shootNearScroll;
int32_t shootGroundScroll;

namespace {

constexpr int32_t kLayerPeriod = 800;  // the scenery pictures are one screen wide
constexpr int kBannerX = 320;
constexpr int kBannerY = 288;
constexpr int kBannerWidth = 138;
constexpr int kBannerHeight = 19;
constexpr int kWonBannerTop = 82;  // both banners sit at the sheet's left edge
constexpr int kLostBannerTop = 101;

// The picture moved left by `offset`: its part right of the offset first, then its left
// part behind it, so it wraps around every screen width.
void drawWrappedLayer(int32_t offset, const Surface& picture, Rop rop) {
    Surface& back = SurfaceTable[kBackBuffer];
    blit(back, 0, 0, kScreenWidth - offset, kScreenHeight, picture, offset, 0, rop);
    blit(back, kScreenWidth - offset, 0, offset, kScreenHeight, picture, 0, 0, rop);
}

void drawGroundTiles() {
    const StageParamsRecord& g = StageParams;
    if (g.groundWidth <= 0 || g.groundHeight <= 0) return;  // no tile period to step by
    Surface& back = SurfaceTable[kBackBuffer];
    const Surface& sheet = SurfaceTable[kCharSheet];
    int64_t top = g.groundTop;
    // Rows that end above the screen show nothing; start at the first that can.
    if (top < 0) top += -top / g.groundHeight * g.groundHeight;
    for (int64_t y = top; y < kScreenHeight; y += g.groundHeight) {
        for (int64_t x = -int64_t{shootGroundScroll}; x < kScreenWidth; x += g.groundWidth)
            blit(back, static_cast<int>(x), static_cast<int>(y), g.groundWidth, g.groundHeight, sheet,
                 g.groundSrcX, g.groundSrcY, Rop::Copy);
    }
}

void drawObjects() {
    Surface& back = SurfaceTable[kBackBuffer];
    const Surface& sheet = SurfaceTable[kCharSheet];
    const Surface& mask = SurfaceTable[kCharMask];
    // In slot order, so the player is drawn first and everything else covers it.
    for (int32_t i = 0; i < liveSlotEnd; ++i) {
        const Entity& e = EntityTable[i];
        if (e.inUse != 1) continue;
        int32_t sx = e.LEF;
        int32_t sy = e.TOP;
        if (e.cool[0] != 0) {  // the alternate frame while the weapon reloads
            sx = wrappedSum(sx, e.TAX);
            sy = wrappedSum(sy, e.TAY);
        }
        blit(back, e.x, e.y, e.WID, e.HEI, mask, sx, sy, Rop::And);
        blit(back, e.x, e.y, e.WID, e.HEI, sheet, sx, sy, Rop::Or);
    }
}

void drawBanner() {
    int top;
    if (opponentsLeft == 0) top = kWonBannerTop;
    else if (EntityTable[kPlayerSlot].inUse == 0) top = kLostBannerTop;
    else return;
    blit(SurfaceTable[kBackBuffer], kBannerX, kBannerY, kBannerWidth, kBannerHeight, SurfaceTable[kCharSheet], 0,
         top, Rop::Copy);
}

}  // namespace

int32_t advanceScroll(int32_t offset, int32_t step, int32_t period) {
    int64_t v = int64_t{offset} + step;
    if (v > period) v -= period;
    if (period > 0 && (v < 0 || v > period)) v = (v % period + period) % period;
    return static_cast<int32_t>(v);
}

void shootingDraw() {
    const int32_t speed = StageParams.scrollSpeed;
    blit(SurfaceTable[kBackBuffer], 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kFarLayer], 0, 0, Rop::Copy);

    shootMidScroll = advanceScroll(shootMidScroll, speed / 2, kLayerPeriod);
    drawWrappedLayer(shootMidScroll, SurfaceTable[kMiddleMask], Rop::And);
    drawWrappedLayer(shootMidScroll, SurfaceTable[kMiddleLayer], Rop::Or);

    shootNearScroll = advanceScroll(shootNearScroll, speed, kLayerPeriod);
    drawWrappedLayer(shootNearScroll, SurfaceTable[kNearMask], Rop::And);
    drawWrappedLayer(shootNearScroll, SurfaceTable[kNearLayer], Rop::Or);

    shootGroundScroll = advanceScroll(shootGroundScroll, speed, StageParams.groundWidth);
    drawGroundTiles();

    drawObjects();
    drawBanner();
    presentBackBuffer();
}
