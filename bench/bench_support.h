// What the stage benchmarks share: a headless platform that keeps no log, scenery surfaces
// with transparent parts, and a runner that plays the same frame of a built world again
// and again, putting the world back before each run.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/headless_platform.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "stage/world.h"

// Sounds and effects are sent as in the game but not recorded, so a long run keeps no log.
// Frames are handed over but not kept: the headless platform's copy of the window serves
// tests' shots, and what a real window does with a frame is BM_PresentFrame's to measure.
struct QuietPlatform : HeadlessPlatform {
    void noteMediaCommand(const char*) override {}
    void playEffect(const char*) override {}
    void presentWindow(const Surface&) override { ++presentCount; }
};

inline QuietPlatform quietPlatform;

// Full-screen pictures with black (transparent) stripes, their masks, and a character sheet.
inline void buildBenchScenery() {
    platform = &quietPlatform;
    for (int slot = 0; slot < kSurfaceCount; ++slot) resizeSurface(SurfaceTable[slot], kScreenWidth, kScreenHeight, 0x203040);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; x += 7) {
            SurfaceTable[kNearLayer].row(y)[x] = kBlack;
            SurfaceTable[kMiddleLayer].row(y)[(x + 3) % kScreenWidth] = kBlack;
            SurfaceTable[kCharSheet].row(y)[(x + y) % kScreenWidth] = kBlack;
        }
    }
    SurfaceTable[kNearMask] = SurfaceTable[kNearLayer];
    SurfaceTable[kMiddleMask] = SurfaceTable[kMiddleLayer];
    SurfaceTable[kCharMask] = SurfaceTable[kCharSheet];
    buildMask(kNearMask);
    buildMask(kMiddleMask);
    buildMask(kCharMask);
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
}

// The table and the globals a frame changes, as the world builder left them.
struct BenchWorld {
    std::unique_ptr<Entity[]> table = std::make_unique<Entity[]>(kEntityCount);
    int32_t liveEnd = 0;
    int32_t* globals[8] = {};
    int32_t values[8] = {};
    int live = 0;

    void save(std::initializer_list<int32_t*> stageGlobals) {
        std::memcpy(table.get(), EntityTable, sizeof EntityTable);
        liveEnd = liveSlotEnd;
        int k = 0;
        for (int32_t* g : stageGlobals) {
            globals[k] = g;
            values[k++] = *g;
        }
        live = 0;
        for (int32_t s = 0; s < liveSlotEnd; ++s) live += EntityTable[s].inUse == 1;
    }

    void restore() const {
        std::memcpy(EntityTable, table.get(), sizeof EntityTable);
        liveSlotEnd = liveEnd;
        for (int k = 0; k < 8 && globals[k] != nullptr; ++k) *globals[k] = values[k];
    }
};

// Runs `frame` on the saved world once per iteration; `live` counts the objects in it.
inline void runFrames(benchmark::State& state, const BenchWorld& world, void (*frame)()) {
    for (auto _ : state) {
        state.PauseTiming();
        world.restore();
        state.ResumeTiming();
        frame();
    }
    state.counters["live"] = world.live;
}

// The object counts (besides the player) every stage benchmark is run with: up to a full table.
inline void sweepObjectCounts(benchmark::internal::Benchmark* b) {
    b->Arg(100)->Arg(1000)->Arg(2000)->Arg(4095)->Unit(benchmark::kMicrosecond);
}

// One benchmark of a stage: its name and the part of a frame it plays.
struct StagePart {
    const char* name;
    void (*play)();
};

// Registers a benchmark for each part, each over the object counts, on the world that
// `prepare` builds into `world`. Returns true, to be kept in a static.
inline bool registerStageParts(void (*prepare)(benchmark::State&), const BenchWorld& world,
                               std::initializer_list<StagePart> parts) {
    for (const StagePart& part : parts) {
        benchmark::RegisterBenchmark(part.name, [prepare, &world, play = part.play](benchmark::State& state) {
            prepare(state);
            runFrames(state, world, play);
        })->Apply(sweepObjectCounts);
    }
    return true;
}
