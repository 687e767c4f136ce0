#include "stage/scenery.h"

#include <algorithm>

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

bool coversScreen(const Surface& s) { return s.width >= kScreenWidth && s.height >= kScreenHeight; }

// `count` pixels of the three layers: the far layer, then the middle layer's mask and
// picture, then the near layer's, each row already moved to where the screen reads it.
SORTIE_PIXEL_ROW void layerRow(uint32_t* __restrict out, const uint32_t* __restrict far,
                               const uint32_t* __restrict middleMask, const uint32_t* __restrict middlePicture,
                               const uint32_t* __restrict nearMask, const uint32_t* __restrict nearPicture,
                               int64_t count) {
    // No helper for the pixel: the sanitizers keep a checked helper out of an unchecked loop.
    int64_t x = 0;
    for (; x + kPixelRowStep <= count; x += kPixelRowStep) {
        for (int64_t k = 0; k < kPixelRowStep; ++k) {
            out[x + k] = (((far[x + k] & middleMask[x + k]) | middlePicture[x + k]) & nearMask[x + k]) |
                         nearPicture[x + k];
        }
    }
    for (; x < count; ++x) out[x] = (((far[x] & middleMask[x]) | middlePicture[x]) & nearMask[x]) | nearPicture[x];
}

}  // namespace

void drawLayers(int32_t middle, int32_t near, int32_t coveredFrom) {
    Surface& back = SurfaceTable[kBackBuffer];
    const Surface* layers[] = {&SurfaceTable[kFarLayer], &SurfaceTable[kMiddleMask], &SurfaceTable[kMiddleLayer],
                               &SurfaceTable[kNearMask], &SurfaceTable[kNearLayer]};
    bool whole = coversScreen(back) && middle >= 0 && middle <= kScreenWidth && near >= 0 && near <= kScreenWidth;
    for (const Surface* layer : layers) whole = whole && coversScreen(*layer);
    if (!whole) {  // some picture is clipped: the copies one by one
        drawFarLayer();
        drawScrollingLayer(kMiddleMask, kMiddleLayer, middle);
        drawScrollingLayer(kNearMask, kNearLayer, near);
        return;
    }
    // A layer's right part (from its offset) shows first, then its left part: the screen
    // splits where either layer wraps.
    const int middleWrap = kScreenWidth - middle;
    const int nearWrap = kScreenWidth - near;
    const int split0 = std::min(middleWrap, nearWrap);
    const int split1 = std::max(middleWrap, nearWrap);
    const int rows = std::clamp(coveredFrom, 0, kScreenHeight);
    for (int y = 0; y < rows; ++y) {
        uint32_t* out = back.row(y);
        const uint32_t* rowsIn[5];
        for (int k = 0; k < 5; ++k) rowsIn[k] = layers[k]->row(y);
        const int bounds[4] = {0, split0, split1, kScreenWidth};
        for (int part = 0; part < 3; ++part) {
            const int x0 = bounds[part];
            const int x1 = bounds[part + 1];
            if (x0 >= x1) continue;
            const int shiftMiddle = x0 < middleWrap ? middle : middle - kScreenWidth;
            const int shiftNear = x0 < nearWrap ? near : near - kScreenWidth;
            const int64_t count = x1 - x0;
            const uint32_t* in[5] = {rowsIn[0] + x0, rowsIn[1] + x0 + shiftMiddle, rowsIn[2] + x0 + shiftMiddle,
                                     rowsIn[3] + x0 + shiftNear, rowsIn[4] + x0 + shiftNear};
            for (const uint32_t* row : in) checkPixelRow(row, count, false);
            checkPixelRow(out + x0, count, true);
            layerRow(out + x0, in[0], in[1], in[2], in[3], in[4], count);
        }
    }
}

int32_t opaqueGroundTop() {
    const StageParamsRecord& g = StageParams;
    const Surface& sheet = SurfaceTable[kCharSheet];
    // Tiles start at or left of the screen's edge and step by their own width, so whole
    // tiles leave no gap; a tile clipped by the sheet would.
    const bool wholeTiles = g.groundWidth > 0 && g.groundHeight > 0 && g.groundSrcX >= 0 && g.groundSrcY >= 0 &&
                            int64_t{g.groundSrcX} + g.groundWidth <= sheet.width &&
                            int64_t{g.groundSrcY} + g.groundHeight <= sheet.height;
    if (!wholeTiles) return kScreenHeight;
    return std::clamp(g.groundTop, 0, kScreenHeight);
}

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
