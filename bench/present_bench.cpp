// What presenting a frame costs the real window at each scale: the texture upload, the
// scaled copy and the display's own transfer. It needs a display (run it under Xvfb with a
// large screen, e.g. 3840x2160, to see full screen at 4K); without one it is skipped.
#include <benchmark/benchmark.h>

#include "platform/sdl_platform.h"
#include "platform/surface.h"

namespace {

// state.range(0): the window's scale; 0 for full screen.
void BM_PresentFrame(benchmark::State& state) {
    SdlPlatform sdl;
    const char* error = "";
    const int scale = static_cast<int>(state.range(0));
    // A display server busy with the window just closed may refuse the next one for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 5 && !opened; ++attempt)
        opened = sdl.open(&error, WindowOptions{scale == 0 ? 1 : scale, scale == 0});
    if (!opened) {
        state.SkipWithError(error);
        return;
    }
    Surface frame;
    resizeSurface(frame, kScreenWidth, kScreenHeight, 0x336699);
    for (int i = 0; i < 20; ++i) {  // let the window settle at its size
        Message m;
        while (sdl.peekMessage(m)) {}
        sdl.presentWindow(frame);
    }
    for (auto _ : state) {
        frame.pixels[0] ^= 0xFFFFFF;
        sdl.presentWindow(frame);
    }
    const SdlPlatform::Layout at = sdl.layout();
    state.SetLabel(std::string(sdl.rendererName()) + " " + std::to_string(at.windowWidth) + "x" +
                   std::to_string(at.windowHeight) + " at " + std::to_string(at.scale) + "x");
    sdl.close();
}
BENCHMARK(BM_PresentFrame)->Arg(1)->Arg(2)->Arg(3)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
