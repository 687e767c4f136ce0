#include "platform/surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/bitmap.h"
#include "platform/file_report.h"
#include "platform/platform.h"

Surface SurfaceTable[kSurfaceCount];
SurfaceSource SurfaceSources[kSurfaceCount];
Surface windowDC;

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_loadN(const void* address, size_t size);
extern "C" void __asan_storeN(const void* address, size_t size);
void checkPixelRow(const uint32_t* row, int64_t count, bool write) {
    const size_t bytes = static_cast<size_t>(count) * sizeof(uint32_t);
    if (write)
        __asan_storeN(row, bytes);
    else
        __asan_loadN(row, bytes);
}
#endif

namespace {

SORTIE_PIXEL_ROW void andRow(uint32_t* __restrict out, const uint32_t* __restrict in, int64_t count) {
    int64_t i = 0;
    for (; i + kPixelRowStep <= count; i += kPixelRowStep)
        for (int64_t k = 0; k < kPixelRowStep; ++k) out[i + k] &= in[i + k];
    for (; i < count; ++i) out[i] &= in[i];
}

SORTIE_PIXEL_ROW void orRow(uint32_t* __restrict out, const uint32_t* __restrict in, int64_t count) {
    int64_t i = 0;
    for (; i + kPixelRowStep <= count; i += kPixelRowStep)
        for (int64_t k = 0; k < kPixelRowStep; ++k) out[i + k] |= in[i + k];
    for (; i < count; ++i) out[i] |= in[i];
}

// `rows` rows of a masked copy, `count` pixels each: the AND of the mask and the OR of the
// picture in one step. The mask and the picture have the same size, hence the same stride.
// One call for the whole rectangle, as most are a sprite's few short rows.
SORTIE_PIXEL_ROW void maskRows(uint32_t* __restrict out, int64_t outStride, const uint32_t* __restrict mask,
                               const uint32_t* __restrict picture, int64_t inStride, int64_t count, int64_t rows) {
    for (int64_t r = 0; r < rows; ++r, out += outStride, mask += inStride, picture += inStride) {
        checkPixelRow(mask, count, false);
        checkPixelRow(picture, count, false);
        checkPixelRow(out, count, true);
        int64_t i = 0;
        for (; i + kPixelRowStep <= count; i += kPixelRowStep) {
            for (int64_t k = 0; k < kPixelRowStep; ++k) out[i + k] = (out[i + k] & mask[i + k]) | picture[i + k];
        }
        for (; i < count; ++i) out[i] = (out[i] & mask[i]) | picture[i];
    }
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

void resizeSurface(Surface& s, int w, int h, uint32_t colour) {
    s.width = w;
    s.height = h;
    s.pixels.assign(static_cast<size_t>(w) * h, colour);
}

void blit(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& src, int64_t sx, int64_t sy,
          Rop rop) {
    const Clip c = clip(dst, dx, dy, w, h, src, sx, sy);
    if (c.empty()) return;
    const int64_t count = c.x1 - c.x0;
    for (int64_t oy = c.y0; oy < c.y1; ++oy) {
        uint32_t* out = dst.row(static_cast<int>(dy + oy)) + dx + c.x0;
        const uint32_t* in = src.row(static_cast<int>(sy + oy)) + sx + c.x0;
        checkPixelRow(in, count, false);
        checkPixelRow(out, count, true);
        if (&dst == &src) {  // a surface onto itself: rows may overlap
            for (int64_t i = 0; i < count; ++i) out[i] = rop == Rop::Copy ? in[i] : rop == Rop::And ? out[i] & in[i] : out[i] | in[i];
            continue;
        }
        switch (rop) {
        case Rop::Copy:
            // memcpy, not a move: the sanitizers' own memmove goes byte by byte.
            std::memcpy(out, in, static_cast<size_t>(count) * sizeof(uint32_t));
            break;
        case Rop::And: andRow(out, in, count); break;
        case Rop::Or: orRow(out, in, count); break;
        }
    }
}

void blitMasked(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& mask,
                const Surface& picture, int64_t sx, int64_t sy) {
    if (mask.width != picture.width || mask.height != picture.height || &dst == &mask || &dst == &picture) {
        blit(dst, dx, dy, w, h, mask, sx, sy, Rop::And);
        blit(dst, dx, dy, w, h, picture, sx, sy, Rop::Or);
        return;
    }
    const Clip c = clip(dst, dx, dy, w, h, mask, sx, sy);
    if (c.empty()) return;
    uint32_t* out = dst.row(static_cast<int>(dy + c.y0)) + dx + c.x0;
    const int64_t in = (sy + c.y0) * mask.width + sx + c.x0;
    maskRows(out, dst.width, mask.pixels.data() + in, picture.pixels.data() + in, mask.width, c.x1 - c.x0,
             c.y1 - c.y0);
}

namespace {

// Reads a picture, and says once per run why one could not be read.
bool readPicture(const char* path, Surface& out) {
    PictureInfo info;
    if (readBitmapFile(path, out, &info)) return true;
    if (firstTroubleWith(path)) reportFileTrouble(path, pictureProblemText(path, info));
    return false;
}

}  // namespace

void loadSurfaces() {
    releaseSurfaces();
    static const char kFormatPath[] = "./bmp/format.bmp";
    static const char kSheetPath[] = "./bmp/char.bmp";
    Surface format;
    const bool formatLoaded = readPicture(kFormatPath, format);
    if (!formatLoaded) resizeSurface(format, kScreenWidth, kScreenHeight, kBlack);
    Surface sheet;
    const bool sheetLoaded = readPicture(kSheetPath, sheet);
    for (int slot = kBackBuffer; slot <= kMiddleMask; ++slot) {
        const bool sheetSlot = slot == kCharSheet || slot == kCharMask;
        if (sheetSlot && !sheetLoaded) continue;
        // Each picture's last slot takes it over instead of a copy. A copy that finds no
        // memory leaves its slot without a picture, as a file that cannot be loaded does.
        Surface& picture = sheetSlot ? sheet : format;
        std::snprintf(SurfaceSources[slot].path, sizeof SurfaceSources[slot].path, "%s",
                      sheetSlot ? kSheetPath : formatLoaded ? kFormatPath : "");
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
    if (!readPicture(path, SurfaceTable[slot])) return false;
    std::snprintf(SurfaceSources[slot].path, sizeof SurfaceSources[slot].path, "%s", path);
    SurfaceSources[slot].masks = 0;
    return true;
}

void buildMask(int slot) {
    if (slot < 0 || slot >= kSurfaceCount) return;
    SurfaceSources[slot].masks = SurfaceSources[slot].masks == 2 ? 1 : SurfaceSources[slot].masks + 1;
    // The whole picture is converted, so sprites anywhere on a large sheet get a mask.
    for (uint32_t& p : SurfaceTable[slot].pixels) p = (p & 0xFFFFFF) == kBlack ? kWhite : kBlack;
}

void presentBackBuffer() {
    blit(windowDC, 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kBackBuffer], 0, 0, Rop::Copy);
    platform->presentWindow(windowDC);
}

void releaseSurfaces() {
    for (Surface& s : SurfaceTable) s = Surface{};
    for (SurfaceSource& source : SurfaceSources) source = SurfaceSource{};
}
