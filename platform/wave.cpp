#include "platform/wave.h"

#include <sys/types.h>

#include <cstring>

#include "platform/data_file.h"

namespace {

constexpr uint16_t kPcm = 1;
constexpr uint16_t kMsAdpcm = 2;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kALaw = 6;
constexpr uint16_t kMuLaw = 7;
constexpr uint16_t kImaAdpcm = 0x11;
constexpr uint16_t kExtensible = 0xFFFE;
// The mixer converts at most this many channels.
constexpr uint16_t kMaxChannels = 8;
constexpr uint32_t kMaxSampleRate = 0x7FFFFFFF;

uint32_t readLE(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Skips a chunk's body and its pad byte.
bool skip(std::FILE* file, uint32_t size) {
    return fseeko(file, static_cast<off_t>(size) + (size & 1), SEEK_CUR) == 0;
}

// Bytes of one sample of every channel, for encodings that have whole bytes per sample.
int64_t frameBytes(const WaveInfo& info) { return int64_t{info.channels} * ((info.bitsPerSample + 7) / 8); }

}  // namespace

bool readWaveInfo(std::FILE* file, WaveInfo& info) {
    info = WaveInfo{};
    unsigned char header[12];
    if (std::fread(header, 1, 12, file) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
        return false;
    info.isWave = true;
    unsigned char chunk[8];
    while (std::fread(chunk, 1, 8, file) == 8) {
        const uint32_t size = readLE(chunk + 4, 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[40] = {};
            const uint32_t kept = size < sizeof fmt ? size : sizeof fmt;
            if (size < 16 || std::fread(fmt, 1, kept, file) != kept) return false;
            info.hasFormat = true;
            info.encoding = static_cast<uint16_t>(readLE(fmt, 2));
            info.channels = static_cast<uint16_t>(readLE(fmt + 2, 2));
            info.sampleRate = readLE(fmt + 4, 4);
            info.byteRate = readLE(fmt + 8, 4);
            info.bitsPerSample = static_cast<uint16_t>(readLE(fmt + 14, 2));
            // Extensible: the sub-format's first two bytes are the encoding it stands for.
            if (info.encoding == kExtensible)
                info.encoding = kept >= 26 ? static_cast<uint16_t>(readLE(fmt + 24, 2)) : 0;
            if (fseeko(file, static_cast<off_t>(size - kept) + (size & 1), SEEK_CUR) != 0) return false;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!info.hasFormat) return false;  // the format must come first
            info.hasData = true;
            const off_t start = ftello(file);
            if (start < 0 || fseeko(file, 0, SEEK_END) != 0) return false;
            const off_t held = ftello(file) - start;
            info.dataBytes = held < static_cast<off_t>(size) ? (held > 0 ? held : 0) : size;
            return true;
        } else if (!skip(file, size)) {
            return false;
        }
    }
    return false;
}

WaveProblem waveProblem(const WaveInfo& info, WaveUse use) {
    if (!info.isWave || !info.hasFormat || !info.hasData) return WaveProblem::NotWave;
    const uint16_t bits = info.bitsPerSample;
    bool decodable = false;
    bool compressed = false;
    switch (info.encoding) {
    case kPcm: decodable = bits == 8 || bits == 16 || bits == 24 || bits == 32; break;
    case kFloat: decodable = bits == 32 || (bits == 64 && use == WaveUse::Music); break;
    case kALaw:
    case kMuLaw: decodable = bits == 8; break;
    case kMsAdpcm:
    case kImaAdpcm:
        decodable = use == WaveUse::Sound && bits == 4;
        compressed = true;
        break;
    default: break;
    }
    if (!decodable || info.channels == 0 || info.channels > kMaxChannels || info.sampleRate == 0 ||
        info.sampleRate > kMaxSampleRate)
        return WaveProblem::Undecodable;
    // A compressed block has a header of 4 bytes a channel before its samples.
    const int64_t smallest = compressed ? int64_t{info.channels} * 4 + 1 : frameBytes(info);
    return info.dataBytes < smallest ? WaveProblem::NoSamples : WaveProblem::None;
}

int64_t waveDurationMs(const WaveInfo& info) {
    if (info.byteRate > 0) return info.dataBytes * 1000 / info.byteRate;
    const int64_t perSecond = frameBytes(info) * info.sampleRate;
    return perSecond > 0 ? info.dataBytes * 1000 / perSecond : 0;
}

std::string waveProblemText(const WaveInfo& w, WaveUse use) {
    switch (waveProblem(w, use)) {
    case WaveProblem::None: return "";
    case WaveProblem::NotWave: return "is not a WAV file with a format and a data chunk";
    case WaveProblem::Undecodable:
        return "is a WAV the mixer cannot decode (encoding " + std::to_string(w.encoding) + ", " +
               std::to_string(w.bitsPerSample) + " bits, " + std::to_string(w.channels) +
               (w.channels == 1 ? " channel, " : " channels, ") + std::to_string(w.sampleRate) + " Hz)";
    case WaveProblem::NoSamples: return "has no samples";
    }
    return "";
}

std::string soundFileProblemText(const char* path, WaveUse use) {
    FileState state;
    std::FILE* file = openBinaryFile(path, kSoundFileLimit, &state);
    if (!file) return fileProblemText(path, state, kSoundFileLimit);
    unsigned char start[4] = {0, 0, 0, 0};
    const size_t got = std::fread(start, 1, sizeof start, file);
    std::rewind(file);
    WaveInfo info;
    readWaveInfo(file, info);
    std::fclose(file);
    if (!info.isWave && got == sizeof start) {
        // The formats an author's editor saves by default.
        if (std::memcmp(start, "OggS", 4) == 0) return "is an Ogg file: sounds must be WAV";
        if (std::memcmp(start, "fLaC", 4) == 0) return "is a FLAC file: sounds must be WAV";
        if (std::memcmp(start, "ID3", 3) == 0 || (start[0] == 0xFF && (start[1] & 0xE0) == 0xE0))
            return "is an MP3 file: sounds must be WAV";
    }
    return waveProblemText(info, use);
}
