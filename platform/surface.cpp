#include "platform/surface.h"

#include <algorithm>
#include <new>

#include "platform/bitmap.h"
#include "platform/platform.h"

Surface SurfaceTable[kSurfaceCount];
Surface windowDC;

void resizeSurface(Surface& s, int w, int h, uint32_t colour) {
    s.width = w;
    s.height = h;
    s.pixels.assign(static_cast<size_t>(w) * h, colour);
}

void blit(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& src, int64_t sx, int64_t sy,
          Rop rop) {
    // Offsets inside the rectangle for which both the source and the destination pixel exist.
    const int64_t x0 = std::max<int64_t>({0, -dx, -sx});
    const int64_t x1 = std::min<int64_t>({w, dst.width - dx, src.width - sx});
    const int64_t y0 = std::max<int64_t>({0, -dy, -sy});
    const int64_t y1 = std::min<int64_t>({h, dst.height - dy, src.height - sy});
    if (x0 >= x1 || y0 >= y1) return;
    const int64_t count = x1 - x0;
    for (int64_t oy = y0; oy < y1; ++oy) {
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

void loadSurfaces() {
    for (Surface& s : SurfaceTable) s = Surface{};
    Surface format;
    if (!readBitmapFile("./bmp/format.bmp", format)) resizeSurface(format, kScreenWidth, kScreenHeight, kBlack);
    Surface sheet;
    const bool sheetLoaded = readBitmapFile("./bmp/char.bmp", sheet);
    for (int slot = kBackBuffer; slot <= kMiddleMask; ++slot) {
        const bool sheetSlot = slot == kCharSheet || slot == kCharMask;
        if (sheetSlot && !sheetLoaded) continue;
        // Each picture's last slot takes it over instead of a copy. A copy that finds no
        // memory leaves its slot without a picture, as a file that cannot be loaded does.
        Surface& picture = sheetSlot ? sheet : format;
        try {
            if (slot == kCharMask || slot == kMiddleMask) {
                SurfaceTable[slot] = std::move(picture);
            } else {
                SurfaceTable[slot] = picture;
            }
        } catch (const std::bad_alloc&) {
            SurfaceTable[slot] = Surface{};
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
