// The plain drawing both stages' frames are held to, one raster operation at a time: what
// the lockstep tests compare the engine's drawing with, and what the benchmarks' plain
// frames draw.
#pragma once
#include <cstdint>

#include "platform/platform.h"
#include "platform/surface.h"
#include "stage/scenery.h"
#include "stage/world.h"

// A scrolling layer moved left by n: both mask pieces by AND, then both picture pieces by OR.
inline void plainLayer(int maskSlot, int pictureSlot, int32_t n) {
    Surface& back = SurfaceTable[kBackBuffer];
    blit(back, 0, 0, 800 - n, 600, SurfaceTable[maskSlot], n, 0, Rop::And);
    blit(back, 800 - n, 0, n, 600, SurfaceTable[maskSlot], 0, 0, Rop::And);
    blit(back, 0, 0, 800 - n, 600, SurfaceTable[pictureSlot], n, 0, Rop::Or);
    blit(back, 800 - n, 0, n, 600, SurfaceTable[pictureSlot], 0, 0, Rop::Or);
}

// A rectangle of the character sheet, its mask by AND and then the sheet by OR.
inline void plainSprite(int64_t dx, int64_t dy, int64_t w, int64_t h, int64_t sx, int64_t sy) {
    blit(SurfaceTable[kBackBuffer], dx, dy, w, h, SurfaceTable[kCharMask], sx, sy, Rop::And);
    blit(SurfaceTable[kBackBuffer], dx, dy, w, h, SurfaceTable[kCharSheet], sx, sy, Rop::Or);
}

// The far layer, the middle and near layers with their scroll offsets advanced, and the
// ground tiles from groundTop down (opaque, or transparent tile by tile).
inline void plainScenery(int32_t& middle, int32_t& near, int32_t& ground, bool transparentGround) {
    const StageParamsRecord& g = StageParams;
    blit(SurfaceTable[kBackBuffer], 0, 0, 800, 600, SurfaceTable[kFarLayer], 0, 0, Rop::Copy);
    middle = advanceScroll(middle, g.scrollSpeed / 2, 800);
    plainLayer(kMiddleMask, kMiddleLayer, middle);
    near = advanceScroll(near, g.scrollSpeed, 800);
    plainLayer(kNearMask, kNearLayer, near);
    ground = advanceScroll(ground, g.scrollSpeed, g.groundWidth);
    for (int64_t y = g.groundTop; y < 600; y += g.groundHeight) {
        for (int64_t x = -int64_t{ground}; x < 800; x += g.groundWidth) {
            if (transparentGround)
                plainSprite(x, y, g.groundWidth, g.groundHeight, g.groundSrcX, g.groundSrcY);
            else
                blit(SurfaceTable[kBackBuffer], x, y, g.groundWidth, g.groundHeight, SurfaceTable[kCharSheet],
                     g.groundSrcX, g.groundSrcY, Rop::Copy);
        }
    }
}

// The won banner when no opponent is left, else the lost one when the player is gone; then
// the back buffer to the window.
inline void plainBannerAndPresent() {
    Surface& back = SurfaceTable[kBackBuffer];
    if (opponentsLeft == 0)
        blit(back, 320, 288, 138, 19, SurfaceTable[kCharSheet], 0, 82, Rop::Copy);
    else if (EntityTable[0].inUse == 0)
        blit(back, 320, 288, 138, 19, SurfaceTable[kCharSheet], 0, 101, Rop::Copy);
    blit(windowDC, 0, 0, 800, 600, back, 0, 0, Rop::Copy);
    platform->presentWindow(windowDC);
}
