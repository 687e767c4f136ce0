// Software drawing: pixel surfaces, the three block-copy operations, the 16-slot
// SurfaceTable with its fixed roles, bitmap loading into slots, masks, and presenting the
// back buffer to the window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A picture of 32-bit 0x00RRGGBB pixels, row after row. An empty surface (0 x 0) has no
// pixels and draws nothing.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
    const uint32_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

// Raster operations of a block copy: replace, AND and OR on the 24 colour bits.
enum class Rop { Copy, And, Or };

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// Makes `s` a w x h picture filled with `colour` (allocates; start-up and loads only).
void resizeSurface(Surface& s, int w, int h, uint32_t colour);

// Copies the w x h rectangle at (sx, sy) of src to (dx, dy) of dst with `rop`. Clipped to
// both surfaces: destination pixels whose source lies outside src stay as they are. Any
// placement is safe, however far off both surfaces (positions come from data).
void blit(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& src, int64_t sx, int64_t sy,
          Rop rop);

#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1  // clang's way of saying it
#endif
#endif

// Marks a loop over rows of pixels. Under the sanitizers its pixels go unchecked: its caller
// checks each whole row with checkPixelRow instead, the same protection (a row's bounds are
// what clipping guarantees) at the cost of one check a row, which keeps sanitized whole-game
// runs quick enough to test with. Otherwise it is built for processors with wide vector
// registers and for the rest, the right one chosen when the program starts (clang takes
// only one of the two attributes on a function; Windows programs cannot choose so).
#if defined(__SANITIZE_ADDRESS__)
#define SORTIE_PIXEL_ROW __attribute__((no_sanitize("address", "undefined")))
#elif defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define SORTIE_PIXEL_ROW __attribute__((target_clones("avx2", "default")))
#else
#define SORTIE_PIXEL_ROW
#endif
// Pixels a step in those loops: compilers vectorise a fixed count of eight even where they
// would not vectorise a loop of unknown length.
constexpr int64_t kPixelRowStep = 8;
// Under AddressSanitizer, reports `count` pixels from `row` if any of them is outside its
// surface; otherwise nothing.
#if defined(__SANITIZE_ADDRESS__)
void checkPixelRow(const uint32_t* row, int64_t count, bool write);
#else
inline void checkPixelRow(const uint32_t*, int64_t, bool) {}
#endif

// A masked copy: the AND copy of `mask` then the OR copy of `picture`, the same rectangle
// at (sx, sy) to (dx, dy). When the two have the same size both are clipped alike and each
// pixel is done in one pass; the bytes are those of the two copies.
void blitMasked(Surface& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Surface& mask,
                const Surface& picture, int64_t sx, int64_t sy);

// Slot roles of the SurfaceTable.
enum SurfaceSlot {
    kBackBuffer = 1,
    kCharSheet = 3,
    kCharMask = 4,
    kPicture = 5,
    kNearLayer = 6,
    kMiddleLayer = 7,
    kFarLayer = 8,
    kNearMask = 9,
    kMiddleMask = 10,
};
constexpr int kSurfaceCount = 16;

// The 16 drawing surfaces, live from loadSurfaces to releaseSurfaces. A slot without a
// picture is empty.
extern Surface SurfaceTable[kSurfaceCount];
// What the window shows: every presentation copies the back buffer here and hands it to
// the platform. Starts white (the window's background) at 800 x 600.
extern Surface windowDC;

// Where the picture of each slot came from, so that a saved state can rebuild it from the
// game's files instead of keeping its pixels: the file last loaded into it (empty: the black
// stand-in for a missing format.bmp, or no picture at all) and whether it was then made a
// mask: 0 times, once, or twice (black stays black, every other colour turns white; a third
// time is the same as once). Kept by loadSurfaces, loadBitmapInto, buildMask and
// releaseSurfaces.
struct SurfaceSource {
    char path[160];
    uint8_t masks;
};
extern SurfaceSource SurfaceSources[kSurfaceCount];

// Start-up: loads format.bmp into slots 1, 2, 5..10 and char.bmp into 3 and 4, then turns
// slot 4 into the sheet's mask. When format.bmp cannot be read the full-screen slots get a
// black 800 x 600 picture instead, so every screen can still be composed.
void loadSurfaces();

// Replaces the picture of `slot` with the bitmap file at `path`; when the file cannot be
// read the slot keeps its previous picture. Returns whether the file was loaded.
bool loadBitmapInto(int slot, const char* path);

// Turns the picture of `slot` into its mask in place: pure black becomes white, every other
// colour black.
void buildMask(int slot);

// Copies the back buffer, 800 x 600 from (0, 0), to the window and shows it.
void presentBackBuffer();

// Shutdown: frees every surface, slots 0 to 15 in order.
void releaseSurfaces();
