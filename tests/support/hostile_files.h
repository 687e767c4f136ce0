// Files made to hurt a reader: BMP headers that claim any size, wave headers of any kind,
// and a way to find out what a file the current user may not read does to a reader.
#pragma once
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace hostile_detail {
inline void put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
}  // namespace hostile_detail

// A BMP file with a 40-byte header claiming `w` x `h` at `bits` bits with `compression`,
// then `body` (palette and pixels, as many or as few as wanted).
inline std::string bmpBytes(int32_t w, int32_t h, int bits, uint32_t compression, const std::string& body) {
    using hostile_detail::put;
    std::string out = "BM";
    put(out, static_cast<uint32_t>(54 + body.size()), 4);
    put(out, 0, 4);
    put(out, 54 + (bits <= 8 ? 4u << bits : 0u), 4);  // pixels after the palette
    put(out, 40, 4);
    put(out, static_cast<uint32_t>(w), 4);
    put(out, static_cast<uint32_t>(h), 4);
    put(out, 1, 2);
    put(out, static_cast<uint32_t>(bits), 2);
    put(out, compression, 4);
    for (int i = 0; i < 5; ++i) put(out, 0, 4);  // image size, resolution, colours
    return out + body;
}

// A wave file: a format chunk as given and a data chunk of `dataBytes` bytes of silence.
struct WaveSpec {
    uint16_t encoding = 1;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint16_t bits = 8;
    uint32_t dataBytes = 800;
};
inline std::string waveBytes(const WaveSpec& w) {
    using hostile_detail::put;
    const uint32_t frame = w.channels * ((w.bits + 7u) / 8u);
    std::string out = "RIFF";
    put(out, 36 + w.dataBytes, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, w.encoding, 2);
    put(out, w.channels, 2);
    put(out, w.rate, 4);
    put(out, w.rate * frame, 4);
    put(out, frame, 2);
    put(out, w.bits, 2);
    out += "data";
    put(out, w.dataBytes, 4);
    return out + std::string(w.dataBytes, w.bits == 8 ? '\x80' : '\0');
}

inline bool writeBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0;
}

// Runs `test` as a user that may read only what everyone may, and returns its result. As
// root, which reads every file whatever its permissions, it runs in a child process that
// has given up root (as "nobody"); `folder` and everything in it must then be open to all.
inline bool asUnprivilegedUser(const std::function<bool()>& test) {
    if (geteuid() != 0) return test();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
        _exit(dropped && test() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
