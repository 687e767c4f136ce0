// Reading BMP files (any depth the platform's decoder understands) into surfaces, and
// writing shots. A picture's header is checked before a pixel is decoded, so that no file
// can make the game allocate more than the largest picture a slot may hold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/data_file.h"

struct Surface;

// The largest picture: 8 Mi pixels (32 MiB held), at most 8192 on a side. A game draws on
// 800 x 600; this leaves a character sheet room for more than 17 screens of sprites, and
// keeps the sixteen slots (ten hold pictures) within 320 MiB.
constexpr int64_t kPictureMaxSide = 8192;
constexpr int64_t kPictureMaxPixels = int64_t{8} << 20;

enum class PictureProblem {
    None,
    File,          // the file could not be read: see `file`
    BadHeader,     // not a BMP header the reader knows: see `fault`
    TooLarge,      // more pixels or a longer side than the limits above
    Undecodable,   // the header passed, the pixels did not decode
    OutOfMemory,   // the memory for the picture could not be had
};

// The fault of a file that is no BMP file at all.
extern const char kNotBmpFault[];

// What a read found; the size is the header's, whenever the header could be read.
struct PictureInfo {
    PictureProblem problem = PictureProblem::None;
    FileState file = FileState::Ok;
    const char* fault = "";  // for BadHeader, what is wrong, in words
    int64_t width = 0;
    int64_t height = 0;  // rows, whichever way they are stored
    const char* foreignKind = nullptr;  // "PNG", "GIF" or "JPEG": a picture, but no BMP
};

// What is wrong, in the fewest words, for the running game's messages ("is a PNG file:
// pictures must be BMP", "header claims 30000 x 30000 pixels: over the limit"); empty
// when nothing is. `path` is the file read.
std::string pictureProblemText(const char* path, const PictureInfo& info);

// Reads the bitmap file at `path` at its own size into `out`. Returns false, leaving `out`
// untouched, when the file cannot be opened (data_file.h: only regular files of at most
// kPictureFileLimit bytes), its header is not one the reader knows or is over the limits,
// its pixels do not decode, or memory runs out. Never throws.
bool readBitmapFile(const char* path, Surface& out, PictureInfo* info = nullptr);

// The same for the bytes of a file already in memory.
bool decodeBitmap(const uint8_t* bytes, size_t size, Surface& out, PictureInfo* info = nullptr);

// Writes `s` as an uncompressed 24-bit BMP file (for shots and generated assets).
bool writeBitmapFile(const char* path, const Surface& s);

// Writes `s` as a 24-bit PNG file (screenshots and shots that people look at).
bool writePngFile(const char* path, const Surface& s);
// The same with an alpha channel: pixels of colour `clear` are fully transparent, every
// other one opaque (the desktop icons, drawn over nothing).
bool writePngFileClearing(const char* path, const Surface& s, uint32_t clear);
