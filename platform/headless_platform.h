// The headless back end: scripted messages, a virtual clock that never really sleeps,
// sounds that "play" for their files' durations on that clock, recorded media commands and
// effects, and the window's contents kept as a surface. Used by tests, tools and benchmarks.
#pragma once
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/surface.h"

class HeadlessPlatform : public Platform {
public:
    // Messages waiting for the pump, oldest first.
    std::deque<Message> queue;
    // Virtual time: starts at startSeconds, advanced only by sleepMs.
    int64_t startSeconds = 0;
    int64_t clockMs = 0;
    // The window's contents as last presented; 0 x 0 before the first presentation.
    Surface shown;
    int presentCount = 0;
    bool windowOpen = true;
    // "F mci <command>" and "F effect <name>" lines, F being traceFrame when they happened:
    // the frame that is running, 0 during start-up, the last frame during shutdown. They
    // are kept in `trace` only when recordTrace is set (tests that read them), and written
    // to traceFile as they happen when it is set (the runner's --trace); otherwise nothing
    // is kept, so a run of any length holds the same memory.
    int64_t traceFrame = 0;
    bool recordTrace = false;
    std::vector<std::string> trace;
    std::FILE* traceFile = nullptr;

    bool peekMessage(Message& out) override;
    void postQuitMessage(int exitCode) override;
    void destroyWindow() override;
    void presentWindow(const Surface& window) override;
    void sleepMs(int ms) override;
    int64_t clockSeconds() override;
    bool soundOpen(SoundChannel channel, const char* path) override;
    void soundPlay(SoundChannel channel) override;
    void soundClose(SoundChannel channel) override;
    bool soundIsPlaying(SoundChannel channel) override;
    void playEffect(const char* path) override;
    void noteMediaCommand(const char* text) override;
    void frameStarted(int64_t frame) override;
    void captureSound(SoundState& out) override;
    void restoreSound(const SoundState& state) override;

    // Queues one message behind the others.
    void post(uint32_t code, uint64_t wParam = 0, int64_t lParam = 0);

private:
    void note(const char* kind, const char* text);

    struct Channel {
        bool open = false;
        bool playing = false;
        int64_t startedMs = 0;
        int64_t durationMs = 0;
        char path[160] = "";
    };
    Channel channels[2];
};
