// Frame cost of a crowded battle stage, with 100 to 4,095 objects besides the player, in the
// proportions of a running battle: four in ten are units of both sides and both kinds with
// their firing cycles out of step (about half of them look for targets in any frame), a
// quarter of those in dense clusters trading hits and pushing apart (frail units among them
// leave blasts during the collision pass) and one in eight far off the field; blocks;
// straight, lobbed and homing shots in flight; blasts and trail marks. Each iteration plays
// the same frame from a copy of the world; the plain frame is the same frame done plainly.
#include <random>

#include "battle/battle.h"
#include "battle/battle_draw.h"
#include "battle/battle_update.h"
#include "battle/collisions.h"
#include "bench_support.h"
#include "plain_passes.h"
#include "stage/spawn.h"

namespace {

enum Row : int32_t {
    kPlayerRow = 0,
    kShot = 1,
    kLobbed = 2,
    kHoming = 3,
    kBlast = 4,
    kFrail = 5,
    kUnit = 10,
    kTank = 11,
    kBlock = 12,
};

CharTemplate& defineRow(int templ, int typ, int hp, int bp, int sp, int siz) {
    CharTemplate& t = CharTable[templ];
    t = CharTemplate{};
    t.inUse = 1;
    t.TYP = static_cast<int8_t>(typ);
    t.HP = hp;
    t.BP = bp;
    t.SP = sp;
    t.SIZ = siz;
    t.WID = 16;
    t.HEI = 16;
    t.LEF = 64;
    t.TOP = 64;
    t.goalX = kNoTarget;
    return t;
}

void arm(CharTemplate& t, int slot, int weapon, int interval, int range) {
    t.WEP[slot] = static_cast<int8_t>(weapon);
    t.BLA[slot] = interval;
    t.LEN[slot] = range;
}

void buildWorld(int others) {
    buildBenchScenery();
    StageParams = StageParamsRecord{2, 0, 200, 32, 32, 480};
    defineRow(kShot, 1, 1, 1, 6, 4).DEA = kBlast;
    defineRow(kLobbed, 10, 1, 1, 4, 4).DEA = kBlast;
    defineRow(kHoming, 21, 1, 1, 5, 4);
    defineRow(kBlast, 6, 1000000, 1, 0, 20);
    defineRow(kFrail, 0, 3, 1, 1, 14).DEA = kBlast;
    defineRow(kBlock, 2, 1000000000, 0, 0, 24);
    defineRow(kTrailTemplate, 5, 1, 0, 0, 0);
    for (int templ : {kPlayerRow, kUnit}) {
        CharTemplate& unit = defineRow(templ, 0, 1000000, 1, 2, 16);
        arm(unit, 0, kShot, 20, 250);
        arm(unit, 1, kLobbed, 40, 300);
        arm(unit, 2, kHoming, 60, 200);
    }
    CharTemplate& tank = defineRow(kTank, 3, 1000000, 1, 1, 24);
    arm(tank, 0, kLobbed, 30, 300);
    arm(tank, 1, kShot, 15, 200);
    clearEntityTable();
    spawnEntity(kPlayerRow, 0, 0, 400, 300, 0, 1);
    stageCountdown = -1;
    trailTick = 1;
    InputState = InputValues{};

    std::mt19937 rng(1);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto heading = [&] { return pick(0, 628) / 100.0; };
    int placed = 0;
    const auto place = [&](int32_t templ, int side, int32_t counter, int32_t x, int32_t y) -> Entity* {
        if (placed >= others) return nullptr;
        const int32_t n = spawnEntity(templ, static_cast<int8_t>(side), counter, x, y, 0, 0);
        if (n < 0) return nullptr;
        ++placed;
        EntityTable[n].angle = heading();
        return &EntityTable[n];
    };
    // A tenth in clusters of 12 units of both sides within 12 pixels, every one touching every
    // other; a quarter of them frail.
    while (placed < others * 10 / 100) {
        const int cx = pick(40, 760);
        const int cy = pick(40, 560);
        for (int k = 0; k < 12; ++k)
            place(k % 4 == 0 ? kFrail : kUnit, k % 2, pick(0, 33), cx + pick(-12, 12), cy + pick(-12, 12));
    }
    // Armed units and tanks over the field, their cycles out of step.
    for (int k = 0; k < others * 25 / 100; ++k)
        place(k % 3 == 0 ? kTank : kUnit, k % 2, pick(0, 33), pick(0, 800), pick(0, 600));
    for (int k = 0; k < others * 2 / 100; ++k) place(kBlock, 1, 0, pick(0, 800), pick(0, 600));
    // Far off the field: units that drove away, some near the ends of the coordinates.
    for (int k = 0; k < others * 5 / 100; ++k) {
        const int32_t far = k % 10 == 0 ? INT32_MAX - pick(0, 1000) : pick(5000, 100000);
        place(kUnit, k % 2, pick(0, 33), pick(0, 1) ? far : -far, pick(-100000, 100000));
    }
    // Blasts that hurt, and the trail marks that units leave every ninth frame.
    for (int k = 0; k < others * 8 / 100; ++k) place(kBlast, k % 2, pick(1, 64), pick(0, 800), pick(0, 600));
    for (int k = 0; k < others * 10 / 100; ++k)
        place(kTrailTemplate, k % 2, pick(1, kTrailLife), pick(0, 800), pick(0, 600));
    // The rest: shots in flight, with their travel left, lobbed ones in the air.
    while (placed < others) {
        const int kind = pick(0, 2);
        Entity* shot = place(kind == 0 ? kShot : kind == 1 ? kLobbed : kHoming, pick(0, 1), pick(20, 300),
                             pick(0, 800), pick(0, 600));
        if (shot != nullptr && kind == 1) {
            shot->z = pick(0, 60);
            shot->vspeed = pick(-10, 10);
        }
    }
}

BenchWorld world;

void prepare(benchmark::State& state) {
    buildWorld(static_cast<int>(state.range(0)));
    world.save({&trailTick, &battleMidScroll, &battleNearScroll, &battleGroundScroll, &battleBlink, &stageCountdown,
                &opponentsLeft});
}

void engineFrame() {
    battleUpdate();
    battleDraw();
}

const bool registered = registerStageParts(prepare, world,
                                           {{"BM_BattleFrame", engineFrame},
                                            {"BM_BattlePlainFrame", plainBattleFrame},
                                            {"BM_BattleUpdate", battleUpdate},
                                            {"BM_BattleCollisionPass", collisionPass},
                                            {"BM_BattleDraw", battleDraw}});

}  // namespace
