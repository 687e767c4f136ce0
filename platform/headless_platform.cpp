#include "platform/headless_platform.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/data_file.h"
#include "platform/wave.h"

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
    std::FILE* file = openBinaryFile(path, kSoundFileLimit);
    if (!file) return false;
    WaveInfo info;
    const bool wave = readWaveInfo(file, info);
    std::fclose(file);
    // Music that cannot sound would be over at once, and the keep-alive would reopen it
    // every frame: it fails to open, as the SDL back end's does.
    if (!wave || (channel == kMusicChannel && waveProblem(info, WaveUse::Music) != WaveProblem::None)) return false;
    channels[channel] = Channel{true, false, 0, waveDurationMs(info), ""};
    std::snprintf(channels[channel].path, sizeof channels[channel].path, "%s", path);
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

void HeadlessPlatform::playEffect(const char* path) { note("effect", path); }

void HeadlessPlatform::noteMediaCommand(const char* text) { note("mci", text); }

void HeadlessPlatform::note(const char* kind, const char* text) {
    if (traceFile) std::fprintf(traceFile, "%lld %s %s\n", static_cast<long long>(traceFrame), kind, text);
    if (recordTrace) trace.push_back(std::to_string(traceFrame) + " " + kind + " " + text);
}

void HeadlessPlatform::frameStarted(int64_t frame) { traceFrame = frame; }

void HeadlessPlatform::post(uint32_t code, uint64_t wParam, int64_t lParam) {
    queue.push_back(Message{code, wParam, lParam});
}

void HeadlessPlatform::captureSound(SoundState& out) {
    std::memset(&out, 0, sizeof out);  // padding too: the same state gives the same bytes
    for (int i = 0; i < 2; ++i) {
        const Channel& c = channels[i];
        SoundChannelState& saved = out.channels[i];
        saved.open = c.open;
        saved.playing = c.playing;
        saved.playedMs = c.playing ? clockMs - c.startedMs : 0;
        saved.durationMs = c.durationMs;
        std::memcpy(saved.path, c.path, sizeof saved.path);
    }
    out.clockMs = clockMs;
}

// Exact: the virtual clock and each sound's start on it come back as they were.
void HeadlessPlatform::restoreSound(const SoundState& state) {
    clockMs = state.clockMs;
    for (int i = 0; i < 2; ++i) {
        const SoundChannelState& saved = state.channels[i];
        Channel& c = channels[i];
        c = Channel{saved.open != 0, saved.playing != 0, clockMs - saved.playedMs, saved.durationMs, ""};
        std::memcpy(c.path, saved.path, sizeof c.path);
    }
}
