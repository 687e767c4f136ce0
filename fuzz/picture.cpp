// The picture reader: any bytes as a BMP file, read through the game's file reader with its
// limits and from memory. A picture read has the size its header gives, within the limits,
// and only colour bits; a picture refused leaves the surface it was read into as it was.
// Both ways of reading agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "fuzz/game_folder.h"

namespace {

std::string path;

void checkRead(bool read, const Surface& s, const PictureInfo& info) {
    if (!read) {
        if (info.problem == PictureProblem::None || s.width != 1 || s.height != 1 || s.pixels.size() != 1 ||
            s.pixels[0] != 0x123456)
            std::abort();
        return;
    }
    if (info.problem != PictureProblem::None || s.width != info.width || s.height != info.height)
        std::abort();
    if (s.width <= 0 || s.height <= 0 || s.width > kPictureMaxSide || s.height > kPictureMaxSide ||
        int64_t{s.width} * s.height > kPictureMaxPixels || s.pixels.size() != size_t{1} * s.width * s.height)
        std::abort();
    for (uint32_t p : s.pixels)
        if (p > 0xFFFFFF) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    path = makeFuzzFolder() + "/bmp/picture.bmp";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeText(path, std::string(reinterpret_cast<const char*>(data), size));
    Surface fromFile;
    resizeSurface(fromFile, 1, 1, 0x123456);
    PictureInfo fileInfo;
    const bool readFromFile = readBitmapFile(path.c_str(), fromFile, &fileInfo);
    checkRead(readFromFile, fromFile, fileInfo);
    Surface fromMemory;
    resizeSurface(fromMemory, 1, 1, 0x123456);
    PictureInfo memoryInfo;
    const bool readFromMemory = decodeBitmap(data, size, fromMemory, &memoryInfo);
    checkRead(readFromMemory, fromMemory, memoryInfo);
    if (readFromFile != readFromMemory || fromFile.pixels != fromMemory.pixels) std::abort();
    return 0;
}
