// The frame's fixed costs: composing with block copies, building a mask, and one pass of
// the loop over the headless platform.
#include <benchmark/benchmark.h>

#include "app/main_loop.h"
#include "platform/headless_platform.h"
#include "platform/surface.h"
#include "stage/world.h"

namespace {

Surface screen(uint32_t colour) {
    Surface s;
    resizeSurface(s, kScreenWidth, kScreenHeight, colour);
    return s;
}

void BM_FullScreenCopy(benchmark::State& state) {
    Surface dst = screen(0);
    const Surface src = screen(0x123456);
    for (auto _ : state) {
        blit(dst, 0, 0, kScreenWidth, kScreenHeight, src, 0, 0, Rop::Copy);
        benchmark::DoNotOptimize(dst.pixels.data());
    }
}
BENCHMARK(BM_FullScreenCopy);

// A full-screen masked layer: the AND of the mask, then the OR of the picture.
void BM_FullScreenMaskedLayer(benchmark::State& state) {
    Surface dst = screen(0x808080);
    const Surface mask = screen(0xFFFFFF);
    const Surface picture = screen(0x000001);
    for (auto _ : state) {
        blit(dst, 0, 0, kScreenWidth, kScreenHeight, mask, 0, 0, Rop::And);
        blit(dst, 0, 0, kScreenWidth, kScreenHeight, picture, 0, 0, Rop::Or);
        benchmark::DoNotOptimize(dst.pixels.data());
    }
}
BENCHMARK(BM_FullScreenMaskedLayer);

// A thousand 32 x 32 sprites, as a busy stage draws them.
void BM_ThousandMaskedSprites(benchmark::State& state) {
    Surface dst = screen(0x808080);
    const Surface sheet = screen(0x00FF00);
    const Surface mask = screen(0x000000);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const int x = (i * 37) % 800 - 16;
            const int y = (i * 53) % 600 - 16;
            blit(dst, x, y, 32, 32, mask, 64, 64, Rop::And);
            blit(dst, x, y, 32, 32, sheet, 64, 64, Rop::Or);
        }
        benchmark::DoNotOptimize(dst.pixels.data());
    }
}
BENCHMARK(BM_ThousandMaskedSprites);

void BM_BuildMask800x600(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        SurfaceTable[kNearMask] = screen(0x000000);
        state.ResumeTiming();
        buildMask(kNearMask);
        benchmark::DoNotOptimize(SurfaceTable[kNearMask].pixels.data());
    }
}
BENCHMARK(BM_BuildMask800x600);

// One idle frame: the keep-alive query, the (virtual) sleep and an idle mode step.
void BM_IdleFramePass(benchmark::State& state) {
    HeadlessPlatform hp;
    platform = &hp;
    GameMode = 0;
    for (auto _ : state) {
        loopPass();
        if (hp.trace.size() > 4096) hp.trace.clear();
    }
    platform = nullptr;
}
BENCHMARK(BM_IdleFramePass);

}  // namespace
