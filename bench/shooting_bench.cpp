// One frame of a busy shooting stage: 200 opponents on patterns 2 to 5 firing rings and
// fans (a few hundred shots in flight), a few blocks, and the player taking hits.
#include <benchmark/benchmark.h>

#include "platform/headless_platform.h"
#include "platform/media.h"
#include "platform/surface.h"
#include "shooting/shooting.h"
#include "shooting/shooting_update.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

// Sounds and effects are sent as in the game but not recorded, so a long run keeps no log.
struct QuietPlatform : HeadlessPlatform {
    void noteMediaCommand(const char*) override {}
    void playEffect(const char*) override {}
};

QuietPlatform quiet;

CharTemplate row(int8_t typ, int32_t wid, int32_t hei, int32_t hp, int32_t bp, int32_t sp, int32_t siz) {
    CharTemplate t{};
    t.inUse = 1;
    t.TYP = typ;
    t.WID = wid;
    t.HEI = hei;
    t.HP = hp;
    t.BP = bp;
    t.SP = sp;
    t.SIZ = siz;
    t.goalX = kNoTarget;
    return t;
}

void buildScenery() {
    for (int slot : {kBackBuffer, kCharSheet, kCharMask, kNearLayer, kMiddleLayer, kFarLayer, kNearMask, kMiddleMask})
        resizeSurface(SurfaceTable[slot], kScreenWidth, kScreenHeight, 0x203040);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; x += 7) SurfaceTable[kNearLayer].row(y)[x] = kBlack;
    buildMask(kNearMask);
    buildMask(kMiddleMask);
    buildMask(kCharMask);
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
}

void buildStage() {
    platform = &quiet;
    StageParams = StageParamsRecord{4, 0, 200, 32, 32, 480};
    CharTable[0] = row(0, 32, 32, 1000000000, 1, 4, 16);
    CharTable[1] = row(0, 24, 24, 1000, 2, 3, 12);  // opponent
    CharTable[1].WEP[0] = 2;
    CharTable[2] = row(1, 6, 6, 1, 1, 12, 3);       // opponent shot
    CharTable[3] = row(2, 48, 48, 1000000, 0, 0, 24);
    resetShootingStage();
    for (int k = 0; k < 200; ++k) {
        const int8_t move = static_cast<int8_t>(k < 100 ? 2 : 3 + k % 3);
        spawnEntity(1, 1, k % 66, 40 + (k * 37) % 720, (k * 53) % 440, move, 0);
    }
    for (int k = 0; k < 4; ++k) spawnEntity(3, 1, 0, 150 + 150 * k, 430, 0, 0);
    for (int f = 0; f < 300; ++f) shootingUpdate();  // let the shots fill the screen
}

int liveObjects() {
    int n = 0;
    for (int i = 0; i < liveSlotEnd; ++i) n += EntityTable[i].inUse == 1;
    return n;
}

void fullScanUpdate() {
    playerControl();
    for (int32_t i = 1; i < kEntityCount; ++i) moveObject(i);
    for (int32_t i = 0; i < kEntityCount; ++i)
        for (int32_t j = 0; j < kEntityCount; ++j) shootingCollidePair(i, j);
    decideStage();
}

void report(benchmark::State& state) {
    state.counters["live"] = liveObjects();
    state.counters["slotEnd"] = liveSlotEnd;
}

void BM_ShootingUpdate(benchmark::State& state) {
    buildStage();
    for (auto _ : state) shootingUpdate();
    report(state);
}
BENCHMARK(BM_ShootingUpdate)->Unit(benchmark::kMicrosecond);

// The same frame scanning all 4096 slots in both passes, for comparison.
void BM_ShootingUpdateFullScan(benchmark::State& state) {
    buildStage();
    for (auto _ : state) fullScanUpdate();
    report(state);
}
BENCHMARK(BM_ShootingUpdateFullScan)->Unit(benchmark::kMicrosecond);

void BM_ShootingDraw(benchmark::State& state) {
    buildScenery();
    buildStage();
    for (auto _ : state) shootingDraw();
    report(state);
}
BENCHMARK(BM_ShootingDraw)->Unit(benchmark::kMicrosecond);

void BM_ShootingFrame(benchmark::State& state) {
    buildScenery();
    buildStage();
    for (auto _ : state) {
        shootingUpdate();
        shootingDraw();
    }
    report(state);
}
BENCHMARK(BM_ShootingFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

