#include "platform/bitmap.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>

#include "platform/surface.h"

bool readBitmapFile(const char* path, Surface& out) {
    SDL_Surface* loaded = SDL_LoadBMP(path);
    if (!loaded) return false;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) return false;
    Surface result;
    resizeSurface(result, rgb->w, rgb->h, kBlack);
    SDL_LockSurface(rgb);
    for (int y = 0; y < rgb->h; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) +
                                                           static_cast<size_t>(y) * rgb->pitch);
        uint32_t* row = result.row(y);
        for (int x = 0; x < rgb->w; ++x) row[x] = in[x] & 0xFFFFFF;
    }
    SDL_UnlockSurface(rgb);
    SDL_FreeSurface(rgb);
    out = std::move(result);
    return true;
}

static void putLE(std::FILE* f, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}

bool writeBitmapFile(const char* path, const Surface& s) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const uint32_t rowBytes = (static_cast<uint32_t>(s.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(s.height);
    std::fputc('B', f);
    std::fputc('M', f);
    putLE(f, 54 + imageBytes, 4);
    putLE(f, 0, 4);
    putLE(f, 54, 4);
    putLE(f, 40, 4);
    putLE(f, static_cast<uint32_t>(s.width), 4);
    putLE(f, static_cast<uint32_t>(s.height), 4);
    putLE(f, 1, 2);
    putLE(f, 24, 2);
    putLE(f, 0, 4);
    putLE(f, imageBytes, 4);
    putLE(f, 2835, 4);
    putLE(f, 2835, 4);
    putLE(f, 0, 4);
    putLE(f, 0, 4);
    for (int y = s.height - 1; y >= 0; --y) {  // bottom-up rows
        const uint32_t* row = s.row(y);
        for (int x = 0; x < s.width; ++x) {
            std::fputc(static_cast<int>(row[x] & 0xFF), f);
            std::fputc(static_cast<int>((row[x] >> 8) & 0xFF), f);
            std::fputc(static_cast<int>((row[x] >> 16) & 0xFF), f);
        }
        for (uint32_t pad = static_cast<uint32_t>(s.width) * 3; pad < rowBytes; ++pad) std::fputc(0, f);
    }
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}

bool writePngFile(const char* path, const Surface& s) {
    if (s.width <= 0 || s.height <= 0) return false;
    // The surface's own pixels, seen by SDL as 32-bit XRGB without a copy.
    SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(s.pixels.data()), s.width, s.height,
                                                           32, s.width * 4, SDL_PIXELFORMAT_XRGB8888);
    if (!view) return false;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(view, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(view);
    if (!rgb) return false;
    const bool ok = IMG_SavePNG(rgb, path) == 0;
    SDL_FreeSurface(rgb);
    return ok;
}
