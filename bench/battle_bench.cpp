// Frame cost of the battle stage with a few hundred armed units on the field.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>

#include "battle/battle.h"
#include "battle/battle_update.h"
#include "battle/collisions.h"
#include "platform/headless_platform.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

HeadlessPlatform headless;

CharTemplate& defineTemplate(int row, int typ, int hp, int bp, int sp, int siz) {
    CharTemplate& t = CharTable[row];
    std::memset(&t, 0, sizeof t);
    t.inUse = 1;
    t.TYP = static_cast<int8_t>(typ);
    t.HP = hp;
    t.BP = bp;
    t.SP = sp;
    t.SIZ = siz;
    t.WID = 16;
    t.HEI = 16;
    t.goalX = kNoTarget;
    return t;
}

void arm(CharTemplate& t, int slot, int weapon, int interval, int range) {
    t.WEP[slot] = static_cast<int8_t>(weapon);
    t.BLA[slot] = interval;
    t.LEN[slot] = range;
}

// A field of `units` armed units of both kinds, half of them on the player's side, spread
// over the screen with their firing cycles out of step. They do not die, so every frame of
// the benchmark is the same kind of frame.
void buildField(int units) {
    platform = &headless;
    for (Surface& s : SurfaceTable) resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kBlack);
    std::memset(CharTable, 0, sizeof CharTable);
    defineTemplate(1, 1, 1, 1, 6, 4);     // straight shot
    defineTemplate(2, 10, 1, 1, 4, 4);    // lobbed shot
    defineTemplate(3, 21, 1, 1, 5, 4);    // homing shot
    defineTemplate(4, 5, 1, 0, 0, 0);     // remains
    defineTemplate(63, 5, 1, 0, 0, 0);    // trail mark
    for (int row : {0, 10}) {
        CharTemplate& unit = defineTemplate(row, 0, 1000000, 1, 2, 16);
        arm(unit, 0, 1, 20, 250);
        arm(unit, 1, 2, 40, 300);
        arm(unit, 2, 3, 60, 200);
    }
    CharTemplate& tank = defineTemplate(11, 3, 1000000, 1, 1, 24);
    arm(tank, 0, 2, 30, 300);
    arm(tank, 1, 1, 15, 200);
    for (int row = 1; row <= 3; ++row) CharTable[row].DEA = 4;

    std::mt19937 rng(1);
    clearEntityTable();
    spawnEntity(0, 0, 0, 400, 300, 0, 1);
    for (int k = 0; k < units; ++k) {
        const int n = spawnEntity(k % 3 == 0 ? 11 : 10, static_cast<int8_t>(k % 2), static_cast<int32_t>(rng() % 34),
                                  static_cast<int32_t>(rng() % 800), static_cast<int32_t>(rng() % 600), 0, 0);
        EntityTable[n].angle = static_cast<double>(rng() % 628) / 100;
    }
    stageCountdown = -1;
    trailTick = 0;
    seedRandom(1);
    // Let shots and marks fill in before measuring.
    for (int frame = 0; frame < 40; ++frame) battleUpdate();
}

struct Snapshot {
    Entity table[kEntityCount];
    int32_t liveEnd;
};

// Runs `step` on the same field again and again: the table is put back before each run.
void runOnField(benchmark::State& state, void (*step)()) {
    buildField(static_cast<int>(state.range(0)));
    auto start = std::make_unique<Snapshot>();
    std::memcpy(start->table, EntityTable, sizeof EntityTable);
    start->liveEnd = liveSlotEnd;
    int live = 0;
    for (const Entity& e : EntityTable) live += e.inUse;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(EntityTable, start->table, sizeof EntityTable);
        liveSlotEnd = start->liveEnd;
        headless.trace.clear();
        state.ResumeTiming();
        step();
    }
    state.counters["live"] = live;
}

void BM_BattleUpdate(benchmark::State& state) { runOnField(state, battleUpdate); }
void BM_CollisionPass(benchmark::State& state) { runOnField(state, collisionPass); }
void BM_BattleDraw(benchmark::State& state) { runOnField(state, battleDraw); }

// One target acquisition of a unit: its goal and every weapon's aim over the whole field.
void acquireOverUnits(benchmark::State& state, void (*acquire)(int32_t)) {
    buildField(static_cast<int>(state.range(0)));
    int32_t n = 0;
    for (auto _ : state) {
        do {
            if (++n >= liveSlotEnd) n = 1;
        } while (EntityTable[n].inUse != 1 || (EntityTable[n].TYP != 0 && EntityTable[n].TYP != 3));
        acquire(n);
    }
}

void BM_SetupEntity(benchmark::State& state) { acquireOverUnits(state, setupEntity); }

}  // namespace

BENCHMARK(BM_BattleUpdate)->Arg(100)->Arg(300)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollisionPass)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BattleDraw)->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetupEntity)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

