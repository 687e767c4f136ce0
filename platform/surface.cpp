#include "platform/surface.h"

#include <algorithm>

#include "platform/bitmap.h"
#include "platform/platform.h"

Surface SurfaceTable[kSurfaceCount];
Surface windowDC;

void resizeSurface(Surface& s, int w, int h, uint32_t colour) {
    s.width = w;
    s.height = h;
    s.pixels.assign(static_cast<size_t>(w) * h, colour);
}

namespace {

// One row of a masked copy. The rows never overlap (dst is neither source), which lets the
// compiler work on several pixels at once without checking.
SORTIE_WIDE_PIXELS void maskRow(uint32_t* __restrict out, const uint32_t* __restrict mask,
                                const uint32_t* __restrict picture, int64_t count) {
    for (int64_t i = 0; i < count; ++i) out[i] = (out[i] & mask[i]) | picture[i];
}

// The offsets inside a w x h rectangle for which both the source and the destination pixel
// exist: x0 <= x < x1, y0 <= y < y1.
struct Clip {
    int64_t x0, x1, y0, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip clip(const Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& src, int64_t sx, int64_t sy) {
    return Clip{std::max<int64_t>({0, -dx, -sx}), std::min<int64_t>({w, dst.width - dx, src.width - sx}),
                std::max<int64_t>({0, -dy, -sy}), std::min<int64_t>({h, dst.height - dy, src.height - sy})};
}

}  // namespace

void blit(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& src, int64_t sx, int64_t sy,
          Rop rop) {
    const Clip c = clip(dst, dx, dy, w, h, src, sx, sy);
    if (c.empty()) return;
    const int64_t x0 = c.x0;
    const int64_t count = c.x1 - c.x0;
    for (int64_t oy = c.y0; oy < c.y1; ++oy) {
        uint32_t* out = dst.row(static_cast<int>(dy + oy)) + dx + x0;
        const uint32_t* in = src.row(static_cast<int>(sy + oy)) + sx + x0;
        switch (rop) {
        case Rop::Copy:
            std::copy(in, in + count, out);
            break;
        case Rop::And:
            for (int64_t i = 0; i < count; ++i) out[i] &= in[i];
            break;
        case Rop::Or:
            for (int64_t i = 0; i < count; ++i) out[i] |= in[i];
            break;
        }
    }
}

void blitMasked(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& mask,
                const Surface& picture, int64_t sx, int64_t sy) {
    if (mask.width != picture.width || mask.height != picture.height) {
        blit(dst, dx, dy, w, h, mask, sx, sy, Rop::And);
        blit(dst, dx, dy, w, h, picture, sx, sy, Rop::Or);
        return;
    }
    const Clip c = clip(dst, dx, dy, w, h, mask, sx, sy);
    if (c.empty()) return;
    const int64_t count = c.x1 - c.x0;
    uint32_t* out = dst.row(static_cast<int>(dy + c.y0)) + dx + c.x0;
    const uint32_t* m = mask.row(static_cast<int>(sy + c.y0)) + sx + c.x0;
    const uint32_t* p = picture.row(static_cast<int>(sy + c.y0)) + sx + c.x0;
    for (int64_t oy = c.y0; oy < c.y1; ++oy) {
        maskRow(out, m, p, count);
        out += dst.width;
        m += mask.width;
        p += picture.width;
    }
}

void loadSurfaces() {
    for (Surface& s : SurfaceTable) s = Surface{};
    Surface format;
    if (!readBitmapFile("./bmp/format.bmp", format)) resizeSurface(format, kScreenWidth, kScreenHeight, kBlack);
    Surface sheet;
    const bool sheetLoaded = readBitmapFile("./bmp/char.bmp", sheet);
    for (int slot = kBackBuffer; slot <= kMiddleMask; ++slot) {
        if (slot == kCharSheet || slot == kCharMask) {
            if (sheetLoaded) SurfaceTable[slot] = sheet;
        } else {
            SurfaceTable[slot] = format;
        }
    }
    buildMask(kCharMask);
}

bool loadBitmapInto(int slot, const char* path) {
    if (slot < 0 || slot >= kSurfaceCount) return false;
    return readBitmapFile(path, SurfaceTable[slot]);
}

void buildMask(int slot) {
    if (slot < 0 || slot >= kSurfaceCount) return;
    // The whole picture is converted, so sprites anywhere on a large sheet get a mask.
    for (uint32_t& p : SurfaceTable[slot].pixels) p = (p & 0xFFFFFF) == kBlack ? kWhite : kBlack;
}

void presentBackBuffer() {
    blit(windowDC, 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kBackBuffer], 0, 0, Rop::Copy);
    platform->presentWindow(windowDC);
}

void releaseSurfaces() {
    for (Surface& s : SurfaceTable) s = Surface{};
}
