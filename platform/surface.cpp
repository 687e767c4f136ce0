#include "platform/surface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/bitmap.h"
#include "platform/platform.h"

Surface SurfaceTable[kSurfaceCount];
Surface windowDC;

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1  // clang's way of saying it
#endif
#endif

// Under the sanitizers the pixel loops are checked a row at a time instead of a pixel at a
// time: the same protection (the row's bounds are what clipping guarantees), and loops that
// vectorise, which keeps sanitized whole-game runs quick enough to test with.
#define ROW_CHECKED_LOOP __attribute__((no_sanitize("address", "undefined")))
#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_loadN(const void* address, size_t size);
extern "C" void __asan_storeN(const void* address, size_t size);
void checkRow(const uint32_t* row, size_t bytes, bool write) {
    if (write)
        __asan_storeN(row, bytes);
    else
        __asan_loadN(row, bytes);
}
#else
void checkRow(const uint32_t*, size_t, bool) {}
#endif

// Rows of two different surfaces never overlap. Eight pixels a step, so that compilers
// vectorise the rows even where they would not vectorise a loop of unknown length.
constexpr int64_t kRowStep = 8;

ROW_CHECKED_LOOP void andRow(uint32_t* __restrict out, const uint32_t* __restrict in, int64_t count) {
    int64_t i = 0;
    for (; i + kRowStep <= count; i += kRowStep)
        for (int64_t k = 0; k < kRowStep; ++k) out[i + k] &= in[i + k];
    for (; i < count; ++i) out[i] &= in[i];
}

ROW_CHECKED_LOOP void orRow(uint32_t* __restrict out, const uint32_t* __restrict in, int64_t count) {
    int64_t i = 0;
    for (; i + kRowStep <= count; i += kRowStep)
        for (int64_t k = 0; k < kRowStep; ++k) out[i + k] |= in[i + k];
    for (; i < count; ++i) out[i] |= in[i];
}

}  // namespace

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
    const size_t bytes = static_cast<size_t>(count) * sizeof(uint32_t);
    for (int64_t oy = y0; oy < y1; ++oy) {
        uint32_t* out = dst.row(static_cast<int>(dy + oy)) + dx + x0;
        const uint32_t* in = src.row(static_cast<int>(sy + oy)) + sx + x0;
        checkRow(in, bytes, false);
        checkRow(out, bytes, true);
        if (&dst == &src) {  // a surface onto itself: rows may overlap
            for (int64_t i = 0; i < count; ++i) out[i] = rop == Rop::Copy ? in[i] : rop == Rop::And ? out[i] & in[i] : out[i] | in[i];
            continue;
        }
        switch (rop) {
        case Rop::Copy:
            // memcpy, not a move: the sanitizers' own memmove goes byte by byte.
            std::memcpy(out, in, bytes);
            break;
        case Rop::And: andRow(out, in, count); break;
        case Rop::Or: orRow(out, in, count); break;
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
