#include "platform/bitmap.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/surface.h"

const char kNotBmpFault[] = "no BMP signature";

namespace {

uint32_t readLE(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;  // the oldest header: 16-bit sizes
constexpr uint32_t kInfoHeaderBytes = 40;  // and every later one, which begins the same way

// The picture formats an author's editor saves by default, by their signatures.
const char* foreignPictureKind(const uint8_t* bytes, size_t size) {
    if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0) return "PNG";
    if (size >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0)) return "GIF";
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return "JPEG";
    return nullptr;
}

// Checks the header of a BMP file held in memory, before the decoder sees any of it.
PictureProblem checkHeader(const uint8_t* bytes, size_t size, PictureInfo& info) {
    auto bad = [&](const char* fault) {
        info.fault = fault;
        return PictureProblem::BadHeader;
    };
    if (size < kFileHeaderBytes + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
        info.foreignKind = foreignPictureKind(bytes, size);
        return bad(kNotBmpFault);
    }
    const uint8_t* dib = bytes + kFileHeaderBytes;
    const uint32_t dibBytes = readLE(dib, 4);
    int64_t width;
    int64_t height;
    uint32_t bits;
    uint32_t compression = 0;
    if (dibBytes == kCoreHeaderBytes) {
        if (size < kFileHeaderBytes + kCoreHeaderBytes) return bad("the file ends inside its header");
        width = readLE(dib + 4, 2);
        height = readLE(dib + 6, 2);
        bits = readLE(dib + 10, 2);
    } else if (dibBytes >= kInfoHeaderBytes) {
        if (size < kFileHeaderBytes + kInfoHeaderBytes) return bad("the file ends inside its header");
        width = static_cast<int32_t>(readLE(dib + 4, 4));
        height = static_cast<int32_t>(readLE(dib + 8, 4));  // negative: rows stored top-down
        bits = readLE(dib + 14, 2);
        compression = readLE(dib + 16, 4);
    } else {
        return bad("a header size no BMP reader knows");
    }
    if (height < 0) height = -height;
    info.width = width;
    info.height = height;
    if (width <= 0 || height == 0) return bad("a width or a height of 0 or less");
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return bad("a pixel size other than 1, 2, 4, 8, 16, 24 or 32 bits");
    // Plain, run-length (8 and 4 bits), bit fields and alpha bit fields; not JPEG or PNG
    // data inside a BMP, nor anything newer.
    if (compression > 3 && compression != 6) return bad("a compression the reader cannot decode");
    if (width > kPictureMaxSide || height > kPictureMaxSide || width * height > kPictureMaxPixels)
        return PictureProblem::TooLarge;
    return PictureProblem::None;
}

// Decodes checked bytes; no allocation is larger than one picture at the limit. The bytes
// in `owner`, when given, are let go as soon as the decoder holds the pixels.
PictureProblem decodeChecked(const uint8_t* bytes, size_t size, Surface& out, std::vector<uint8_t>* owner) {
    SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes, static_cast<int>(size)), 1);
    if (owner) std::vector<uint8_t>().swap(*owner);
    if (!loaded) return PictureProblem::Undecodable;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) return PictureProblem::Undecodable;
    Surface result;
    try {
        resizeSurface(result, rgb->w, rgb->h, kBlack);
    } catch (const std::bad_alloc&) {
        SDL_FreeSurface(rgb);
        return PictureProblem::OutOfMemory;
    }
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
    return PictureProblem::None;
}

PictureProblem decode(const uint8_t* bytes, size_t size, Surface& out, PictureInfo& info,
                      std::vector<uint8_t>* owner) {
    const PictureProblem problem = checkHeader(bytes, size, info);
    return problem == PictureProblem::None ? decodeChecked(bytes, size, out, owner) : problem;
}

}  // namespace

bool decodeBitmap(const uint8_t* bytes, size_t size, Surface& out, PictureInfo* info) {
    PictureInfo found;
    try {
        found.problem = decode(bytes, size, out, found, nullptr);
    } catch (const std::bad_alloc&) {
        found.problem = PictureProblem::OutOfMemory;
    }
    if (info) *info = found;
    return found.problem == PictureProblem::None;
}

bool readBitmapFile(const char* path, Surface& out, PictureInfo* info) {
    PictureInfo found;
    try {
        std::vector<uint8_t> bytes;
        found.file = readDataFile(path, kPictureFileLimit, bytes);
        found.problem = found.file != FileState::Ok
                            ? PictureProblem::File
                            : decode(bytes.data(), bytes.size(), out, found, &bytes);
    } catch (const std::bad_alloc&) {
        found.problem = PictureProblem::OutOfMemory;
    }
    if (info) *info = found;
    return found.problem == PictureProblem::None;
}

std::string pictureProblemText(const char* path, const PictureInfo& info) {
    const std::string size = std::to_string(info.width) + " x " + std::to_string(info.height);
    switch (info.problem) {
    case PictureProblem::None: return "";
    case PictureProblem::File: return fileProblemText(path, info.file, kPictureFileLimit);
    case PictureProblem::BadHeader:
        if (info.foreignKind) return std::string("is a ") + info.foreignKind + " file: pictures must be BMP";
        if (info.fault == kNotBmpFault) return "is not a BMP file";
        return std::string("is a damaged BMP file: ") + info.fault;
    case PictureProblem::TooLarge:
        return "header claims " + size + " pixels: over the limit (" + std::to_string(kPictureMaxSide) +
               " on a side, " + std::to_string(kPictureMaxPixels) + " in all)";
    case PictureProblem::Undecodable: return "is a damaged BMP file: its pixels do not decode";
    case PictureProblem::OutOfMemory: return "needs more memory than there is (" + size + " pixels)";
    }
    return "";
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

bool writePngFileClearing(const char* path, const Surface& s, uint32_t clear) {
    if (s.width <= 0 || s.height <= 0) return false;
    std::vector<uint32_t> argb(s.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = (s.pixels[i] & 0xFFFFFF) == (clear & 0xFFFFFF) ? 0 : 0xFF000000 | s.pixels[i];
    SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), s.width, s.height, 32, s.width * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
    if (!view) return false;
    const bool ok = IMG_SavePNG(view, path) == 0;
    SDL_FreeSurface(view);
    return ok;
}
