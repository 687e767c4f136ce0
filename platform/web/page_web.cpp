// The browser build's side of the page (index.html beside this file): the test hooks of the
// page's address, which the page hands over in Module.sortieHooks before the game starts,
// the page-global `sortie` record of how far the game has run, and the frames put on the
// page's canvas.
#include <emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/page.h"
#include "tools/replay_args.h"

namespace {

// The page's hooks: a number, or -1 when the address does not give it.
EM_JS(double, pageHookNumber, (const char* name), {
    const hooks = Module["sortieHooks"] || {};
    const value = hooks[UTF8ToString(name)];
    return typeof value === "number" ? value : -1;
});
// The path, in the game's file system, of the input file the page fetched; "" for none.
EM_JS(int, pageInputPath, (char* out, int size), {
    const hooks = Module["sortieHooks"] || {};
    stringToUTF8(hooks["inputPath"] || "", out, size);
    return 0;
});
EM_JS(void, pageTellFrame, (double frame, int stopped), {
    const record = globalThis["sortie"] = globalThis["sortie"] || {};
    record["frame"] = frame;
    record["stopped"] = !!stopped;
    if (stopped && Module["onSortieStopped"]) Module["onSortieStopped"]();
});
EM_JS(void, pageTellError, (const char* text), {
    if (Module["onSortieError"]) Module["onSortieError"](UTF8ToString(text));
});

// Shows the canvas's RGBA pixels at `pixels` in the wasm memory: the ImageData is a view of
// them, made again only when the memory has grown (which replaces its buffer).
EM_JS(void, pageShowPixels, (const uint8_t* pixels, int width, int height), {
    let shown = Module["sortieImage"];
    if (!shown || shown.data.buffer !== HEAPU8.buffer) {
        shown = Module["sortieImage"] = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
        Module["sortieContext"] = Module["canvas"].getContext("2d");
    }
    Module["sortieContext"].putImageData(shown, 0, 0);
});
EM_JS(void, pageFullScreen, (int on), {
    if (Module["sortieFullScreen"]) Module["sortieFullScreen"](!!on);
});
EM_JS(int, pageFullScreenNow, (), { return document.fullscreenElement ? 1 : 0; });

// The canvas's pixels, bytes R, G, B, A; white until the first frame, as a new window is.
uint32_t canvasPixels[kScreenWidth * kScreenHeight];
bool canvasReady = false;

class PageHooks : public Platform {
public:
    explicit PageHooks(Platform& shell) : shell(shell) {}

    Platform& shell;
    int64_t startSeconds = -1;  // the clock the game is seeded from; -1: the real one
    int64_t lastFrame = -1;     // stop once this frame has run; -1: never
    bool quick = false;         // frames follow each other as soon as the browser lets them
    std::vector<ReplayEvent> events;
    size_t nextEvent = 0;

    // The input file's events for the frame about to run come first, as sortie-replay
    // queues them before that frame's pump.
    bool peekMessage(Message& out) override {
        if (nextEvent < events.size() && events[nextEvent].frame <= frameCount + 1) {
            out = events[nextEvent++].message;
            return true;
        }
        return shell.peekMessage(out);
    }
    void frameStarted(int64_t frame) override {
        if (lastFrame >= 0 && frame > lastFrame) {
            pageTellFrame(static_cast<double>(frame - 1), 1);
            // The last frame stays on the canvas; the page no longer needs the game.
            for (;;) emscripten_sleep(1000);
        }
        pageTellFrame(static_cast<double>(frame - 1), 0);
        shell.frameStarted(frame);
    }
    int64_t clockSeconds() override { return startSeconds >= 0 ? startSeconds : shell.clockSeconds(); }

    void postQuitMessage(int exitCode) override { shell.postQuitMessage(exitCode); }
    void destroyWindow() override { shell.destroyWindow(); }
    void presentWindow(const Surface& window) override { shell.presentWindow(window); }
    // A browser's timer fires late, by a few milliseconds a sleep and more on a busy
    // machine, where the desktop's sleeps are nearly exact: what one sleep overran is taken
    // off the next, so that the page keeps the desktop game's pace.
    void sleepMs(int ms) override {
        if (quick) {  // what a sleep lasts changes no frame: a test of the frames needs none
            emscripten_sleep(0);
            return;
        }
        const double asked = std::max(0.0, ms - overrun);
        const double start = emscripten_get_now();
        shell.sleepMs(static_cast<int>(asked));
        overrun = std::clamp(overrun + (emscripten_get_now() - start) - ms, 0.0, static_cast<double>(ms));
    }
    double overrun = 0;  // milliseconds slept beyond what was asked, not yet made up
    bool soundOpen(SoundChannel channel, const char* path) override { return shell.soundOpen(channel, path); }
    void soundPlay(SoundChannel channel) override { shell.soundPlay(channel); }
    void soundClose(SoundChannel channel) override { shell.soundClose(channel); }
    bool soundIsPlaying(SoundChannel channel) override { return shell.soundIsPlaying(channel); }
    void playEffect(const char* path) override { shell.playEffect(path); }
    void noteMediaCommand(const char* text) override { shell.noteMediaCommand(text); }
};

}  // namespace

bool pageShowsFrames() { return true; }

void presentOnPage(const Surface& frame) {
    if (!canvasReady) {
        std::fill(std::begin(canvasPixels), std::end(canvasPixels), 0xFFFFFFFFu);
        canvasReady = true;
    }
    const int width = std::min(frame.width, kScreenWidth);
    const int height = std::min(frame.height, kScreenHeight);
    for (int y = 0; y < height; ++y) {
        const uint32_t* from = frame.row(y);
        uint32_t* to = canvasPixels + y * kScreenWidth;
        // 0x00RRGGBB to the bytes R, G, B, 255 of a little-endian word.
        for (int x = 0; x < width; ++x) {
            const uint32_t p = from[x];
            to[x] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
        }
    }
    pageShowPixels(reinterpret_cast<const uint8_t*>(canvasPixels), kScreenWidth, kScreenHeight);
}

void setPageFullScreen(bool on) { pageFullScreen(on ? 1 : 0); }
bool pageIsFullScreen() { return pageFullScreenNow() != 0; }

Platform& pagePlatform(Platform& shell) {
    static PageHooks hooks(shell);
    const double time = pageHookNumber("time");
    const double frames = pageHookNumber("frames");
    hooks.quick = pageHookNumber("quick") > 0;
    char inputPath[512];
    pageInputPath(inputPath, sizeof inputPath);
    if (inputPath[0]) {
        std::string error;
        ReplayInputStart recorded;
        if (readReplayInput(inputPath, hooks.events, error, &recorded)) {
            if (recorded.clockSeconds) hooks.startSeconds = *recorded.clockSeconds;
        } else {
            pageTellError(error.c_str());
        }
    }
    if (time >= 0) hooks.startSeconds = static_cast<int64_t>(time);
    if (frames >= 0) hooks.lastFrame = static_cast<int64_t>(frames);
    return hooks;
}
