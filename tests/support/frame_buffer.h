// Xvfb's frame buffer read directly, for tests that watch the real window.
#pragma once
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Xvfb's screen, which it keeps as a memory-mapped XWD file (-fbdir). Reading it needs no
// round trip to the server, so even a screen that shows for a few frames can be caught.
class FrameBuffer {
public:
    ~FrameBuffer() {
        if (data_) munmap(const_cast<uint8_t*>(data_), size_);
    }

    // Maps the file; false (with `problem` set) when it is not a 32-bit XWD screen.
    bool open(const std::string& path, std::string& problem) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        struct stat st {};
        if (fd < 0 || fstat(fd, &st) != 0) {
            problem = "cannot open " + path;
            if (fd >= 0) close(fd);
            return false;
        }
        size_ = static_cast<size_t>(st.st_size);
        void* mapped = mmap(nullptr, size_, PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        if (mapped == MAP_FAILED || size_ < 100) {
            problem = "cannot map " + path;
            return false;
        }
        data_ = static_cast<const uint8_t*>(mapped);
        // The header: big-endian 32-bit fields; the colour map of 12-byte entries follows it.
        const uint32_t headerSize = field(0), byteOrder = field(7), bitsPerPixel = field(11);
        width_ = static_cast<int>(field(4));
        height_ = static_cast<int>(field(5));
        bytesPerLine_ = field(12);
        lsbFirst_ = byteOrder == 0;
        offset_ = headerSize + static_cast<size_t>(field(19)) * 12;
        if (bitsPerPixel != 32 || offset_ + static_cast<size_t>(bytesPerLine_) * height_ > size_) {
            problem = "the frame buffer is not a 32-bit XWD screen";
            return false;
        }
        return true;
    }

    uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFF000000;  // no colour matches
        const uint8_t* p = data_ + offset_ + static_cast<size_t>(y) * bytesPerLine_ + static_cast<size_t>(x) * 4;
        const uint32_t v = lsbFirst_ ? p[0] | p[1] << 8 | p[2] << 16 : p[3] | p[2] << 8 | p[1] << 16;
        return v & 0xFFFFFF;
    }

private:
    uint32_t field(int i) const {
        const uint8_t* p = data_ + 4 * i;
        return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t offset_ = 0;
    uint32_t bytesPerLine_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool lsbFirst_ = true;
};
