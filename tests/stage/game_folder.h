// A temporary game folder (data/, bmp/, wav/) that the test runs in, and small writers for
// the files a stage needs.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/bitmap.h"
#include "platform/surface.h"

class GameFolder {
public:
    GameFolder() {
        char pattern[] = "/tmp/sortie-stage-XXXXXX";
        root_ = mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_);
        for (const char* dir : {"data", "bmp", "wav"}) std::filesystem::create_directory(dir);
    }
    ~GameFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

private:
    std::filesystem::path root_;
    std::filesystem::path previous_;
};

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A silent 8-bit mono PCM wave file that plays for `ms` milliseconds.
inline void writeWave(const std::string& path, uint32_t ms) {
    const uint32_t rate = 8000;
    const uint32_t bytes = rate * ms / 1000;
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i))); };
    const auto u16 = [&](uint32_t v) { for (int i = 0; i < 2; ++i) out.put(static_cast<char>(v >> (8 * i))); };
    out << "RIFF";
    u32(36 + bytes);
    out << "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate);
    u16(1);
    u16(8);
    out << "data";
    u32(bytes);
    for (uint32_t i = 0; i < bytes; ++i) out.put(static_cast<char>(0x80));
}

// A w x h picture of one colour with its top-left pixel black.
inline Surface writePicture(const std::string& path, int w, int h, uint32_t colour) {
    Surface s;
    resizeSurface(s, w, h, colour);
    s.pixels[0] = kBlack;
    writeBitmapFile(path.c_str(), s);
    return s;
}
