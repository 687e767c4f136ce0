// Files for tests: a temporary game folder to work in, and writers for the BMP and WAV
// files the game reads.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A fresh folder with bmp/, data/ and wav/, made from `pattern` (mkdtemp's), entered on
// construction; removed, and the old working folder re-entered, on destruction.
class TempGameFolder {
public:
    explicit TempGameFolder(const char* pattern = "/tmp/sortie-test-XXXXXX") {
        previous_ = std::filesystem::current_path();
        std::string name = pattern;
        path_ = mkdtemp(name.data());
        for (const char* sub : {"bmp", "data", "wav"}) std::filesystem::create_directory(path_ + "/" + sub);
        std::filesystem::current_path(path_);
    }
    ~TempGameFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempGameFolder(const TempGameFolder&) = delete;
    TempGameFolder& operator=(const TempGameFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::string path_;
};

// A whole file as bytes; empty when it cannot be read.
inline std::string readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

namespace test_files_detail {
inline void put(std::FILE* f, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}
}  // namespace test_files_detail

// Writes a bottom-up, uncompressed BMP of 8, 24 or 32 bits per pixel from 0xRRGGBB pixels
// given top row first. 8 bits: the palette is the pixels' distinct colours (at most 256).
// 32 bits: the fourth byte of every pixel is `alpha`.
inline bool writeBmp(const std::string& path, int w, int h, int bits, const std::vector<uint32_t>& pixels,
                     uint8_t alpha = 0) {
    using test_files_detail::put;
    std::vector<uint32_t> palette;
    if (bits == 8) {
        for (uint32_t p : pixels) {
            bool known = false;
            for (uint32_t c : palette) known = known || c == p;
            if (!known) palette.push_back(p);
        }
        if (palette.size() > 256) return false;
    }
    const uint32_t rowBytes = (static_cast<uint32_t>(w) * (bits / 8) + 3) & ~3u;
    const uint32_t paletteBytes = static_cast<uint32_t>(palette.size()) * 4;
    const uint32_t offset = 54 + paletteBytes;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fputs("BM", f);
    put(f, offset + rowBytes * h, 4);
    put(f, 0, 4);
    put(f, offset, 4);
    put(f, 40, 4);
    put(f, w, 4);
    put(f, h, 4);
    put(f, 1, 2);
    put(f, bits, 2);
    put(f, 0, 4);  // no compression
    put(f, rowBytes * h, 4);
    put(f, 2835, 4);
    put(f, 2835, 4);
    put(f, static_cast<uint32_t>(palette.size()), 4);
    put(f, 0, 4);
    for (uint32_t c : palette) put(f, c, 4);  // blue, green, red, 0
    for (int y = h - 1; y >= 0; --y) {
        uint32_t written = 0;
        for (int x = 0; x < w; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * w + x];
            if (bits == 8) {
                size_t index = 0;
                while (palette[index] != p) ++index;
                put(f, static_cast<uint32_t>(index), 1);
            } else {
                put(f, p, 3);
                if (bits == 32) put(f, alpha, 1);
            }
            written += bits / 8;
        }
        for (; written < rowBytes; ++written) std::fputc(0, f);
    }
    return std::fclose(f) == 0;
}

// A w x h picture of one colour, as a BMP of `bits` bits per pixel.
inline bool writePlainBmp(const std::string& path, int w, int h, uint32_t colour, int bits = 24) {
    return writeBmp(path, w, h, bits, std::vector<uint32_t>(static_cast<size_t>(w) * h, colour));
}

// A silent 8-bit mono PCM wave file at 8000 Hz that plays for `ms` milliseconds.
inline bool writeWav(const std::string& path, int ms) {
    using test_files_detail::put;
    const uint32_t dataBytes = static_cast<uint32_t>(ms) * 8;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fputs("RIFF", f);
    put(f, 36 + dataBytes, 4);
    std::fputs("WAVEfmt ", f);
    put(f, 16, 4);
    put(f, 1, 2);     // PCM
    put(f, 1, 2);     // mono
    put(f, 8000, 4);  // samples per second
    put(f, 8000, 4);  // bytes per second
    put(f, 1, 2);     // block size
    put(f, 8, 2);     // bits per sample
    std::fputs("data", f);
    put(f, dataBytes, 4);
    for (uint32_t i = 0; i < dataBytes; ++i) std::fputc(0x80, f);
    return std::fclose(f) == 0;
}

// Writes `text` to a file; false when it cannot be written.
inline bool writeText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(text.data(), 1, text.size(), f);
    return std::fclose(f) == 0;
}
