#include "platform/headless_platform.h"

#include <cstdio>
#include <cstring>

bool HeadlessPlatform::peekMessage(Message& out) {
    while (!queue.empty()) {
        out = queue.front();
        queue.pop_front();
        if (windowOpen || out.code == WM_QUIT) return true;  // a destroyed window gets nothing
    }
    return false;
}

void HeadlessPlatform::postQuitMessage(int exitCode) { post(WM_QUIT, static_cast<uint64_t>(exitCode)); }

void HeadlessPlatform::destroyWindow() { windowOpen = false; }

void HeadlessPlatform::presentWindow(const Surface& window) {
    // Kept in place once sized, and copied with memcpy for the same reason as blit's copies.
    if (shown.width != window.width || shown.height != window.height) resizeSurface(shown, window.width, window.height, kBlack);
    if (!window.pixels.empty()) std::memcpy(shown.pixels.data(), window.pixels.data(), window.pixels.size() * sizeof(uint32_t));
    ++presentCount;
}

void HeadlessPlatform::sleepMs(int ms) { clockMs += ms; }

int64_t HeadlessPlatform::clockSeconds() { return startSeconds + clockMs / 1000; }

bool HeadlessPlatform::soundOpen(SoundChannel channel, const char* path) {
    const int64_t duration = waveDurationMs(path);
    if (duration < 0) return false;
    channels[channel] = Channel{true, false, 0, duration};
    return true;
}

void HeadlessPlatform::soundPlay(SoundChannel channel) {
    Channel& c = channels[channel];
    if (!c.open) return;
    c.playing = true;
    c.startedMs = clockMs;
}

void HeadlessPlatform::soundClose(SoundChannel channel) { channels[channel] = Channel{}; }

bool HeadlessPlatform::soundIsPlaying(SoundChannel channel) {
    const Channel& c = channels[channel];
    return c.open && c.playing && clockMs - c.startedMs < c.durationMs;
}

void HeadlessPlatform::playEffect(const char* path) {
    trace.push_back(std::to_string(traceFrame) + " effect " + path);
}

void HeadlessPlatform::noteMediaCommand(const char* text) {
    trace.push_back(std::to_string(traceFrame) + " mci " + text);
}

void HeadlessPlatform::frameStarted(int64_t frame) { traceFrame = frame; }

void HeadlessPlatform::post(uint32_t code, uint64_t wParam, int64_t lParam) {
    queue.push_back(Message{code, wParam, lParam});
}

static uint32_t readLE(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

int64_t waveDurationMs(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return -1;
    unsigned char header[12];
    int64_t result = -1;
    uint32_t byteRate = 0;
    if (std::fread(header, 1, 12, f) == 12 && std::memcmp(header, "RIFF", 4) == 0 &&
        std::memcmp(header + 8, "WAVE", 4) == 0) {
        unsigned char chunk[8];
        while (std::fread(chunk, 1, 8, f) == 8) {
            const uint32_t size = readLE(chunk + 4, 4);
            if (std::memcmp(chunk, "fmt ", 4) == 0) {
                unsigned char fmt[16];
                if (size < 16 || std::fread(fmt, 1, 16, f) != 16) break;
                byteRate = readLE(fmt + 8, 4);
                if (std::fseek(f, static_cast<long>(size - 16 + (size & 1)), SEEK_CUR) != 0) break;
            } else if (std::memcmp(chunk, "data", 4) == 0) {
                if (byteRate > 0) result = static_cast<int64_t>(size) * 1000 / byteRate;
                break;
            } else if (std::fseek(f, static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) {
                break;
            }
        }
    }
    std::fclose(f);
    return result;
}
