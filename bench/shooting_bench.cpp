// Frame cost of a crowded shooting stage, with 100 to 4,095 objects besides the player:
// opponents on patterns firing rings and fans, shots everywhere, dense clusters of both sides
// trading hits (frail bodies among them leave remains during the collision pass), blocks,
// and objects far off the screen that the frame removes. Each iteration plays the same
// frame from a copy of the world; the plain frame is the same frame done plainly.
#include <random>

#include "bench_support.h"
#include "plain_passes.h"
#include "shooting/shooting.h"
#include "shooting/shooting_draw.h"
#include "shooting/shooting_update.h"
#include "stage/spawn.h"

namespace {

enum Row : int32_t {
    kPlayerRow = 0,
    kPlayerShot = 1,
    kOpponent = 2,
    kOpponentShot = 3,
    kBlock = 4,
    kFrail = 5,
    kRemains = 6,
    kAlly = 7,
};

CharTemplate row(int8_t typ, int32_t wid, int32_t hp, int32_t bp, int32_t sp, int32_t siz) {
    CharTemplate t{};
    t.inUse = 1;
    t.TYP = typ;
    t.WID = wid;
    t.HEI = wid;
    t.LEF = 64;
    t.TOP = 64;
    t.HP = hp;
    t.BP = bp;
    t.SP = sp;
    t.SIZ = siz;
    t.goalX = kNoTarget;
    return t;
}

void buildWorld(int others) {
    buildBenchScenery();
    StageParams = StageParamsRecord{4, 0, 200, 32, 32, 480};
    CharTable[kPlayerRow] = row(0, 32, 1000000000, 1, 4, 16);
    CharTable[kPlayerRow].WEP[0] = kPlayerShot;
    CharTable[kPlayerRow].GRA = 1;
    CharTable[kPlayerShot] = row(1, 8, 1, 2, 10, 4);
    CharTable[kOpponent] = row(0, 24, 1000000, 1, 2, 12);
    CharTable[kOpponent].WEP[0] = kOpponentShot;
    CharTable[kOpponentShot] = row(1, 6, 1, 1, 5, 3);
    CharTable[kBlock] = row(2, 48, 1000000000, 0, 0, 24);
    CharTable[kFrail] = row(0, 16, 2, 1, 1, 10);
    CharTable[kFrail].DEA = kRemains;
    CharTable[kRemains] = row(5, 16, 1, 0, 1, 8);
    CharTable[kAlly] = row(0, 24, 1000000, 1, 2, 12);
    resetShootingStage();
    InputState = InputValues{};
    InputState.keyZ = 1;
    InputState.arrowX = 1;

    std::mt19937 rng(1);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int placed = 0;
    const auto place = [&](int32_t templ, int8_t side, int32_t counter, int32_t x, int32_t y, int8_t move) {
        if (placed < others && spawnEntity(templ, side, counter, x, y, move, 0) >= 0) ++placed;
    };
    // A tenth in clusters of 12 bodies of both sides within 12 pixels, every one touching
    // every other; a quarter of them frail.
    while (placed < others * 10 / 100) {
        const int cx = pick(40, 760);
        const int cy = pick(40, 440);
        for (int k = 0; k < 12; ++k) {
            const int32_t templ = k % 4 == 0 ? kFrail : k % 2 == 0 ? kAlly : kOpponent;
            place(templ, static_cast<int8_t>(templ == kAlly ? 0 : 1), 0, cx + pick(-12, 12), cy + pick(-12, 12), 0);
        }
    }
    // Opponents on the patterns that fire, spread over the screen, phases out of step.
    for (int k = 0; k < others * 15 / 100; ++k)
        place(kOpponent, 1, pick(0, 65), pick(0, 770), pick(0, 450), static_cast<int8_t>(pick(3, 5)));
    for (int k = 0; k < others / 100; ++k) place(kBlock, 1, 0, pick(0, 750), pick(100, 450), 0);
    // Far off the screen: removed by the frame.
    for (int k = 0; k < others * 3 / 100; ++k)
        place(kOpponent, 1, 0, pick(0, 1) ? pick(2000, 100000) : -pick(2000, 100000), pick(-100000, 100000), 0);
    // The rest: shots in flight, the opponents' along their directions, the player's right.
    while (placed < others) {
        if (pick(0, 4) == 0)
            place(kPlayerShot, 0, 0, pick(0, 790), pick(0, 590), 1);
        else
            place(kOpponentShot, 1, pick(0, 31), pick(0, 790), pick(0, 590), 6);
    }
}

BenchWorld world;

void prepare(benchmark::State& state) {
    buildWorld(static_cast<int>(state.range(0)));
    world.save({&shootMidScroll, &shootNearScroll, &shootGroundScroll, &stageCountdown, &opponentsLeft});
}

void engineFrame() {
    shootingUpdate();
    shootingDraw();
}

const bool registered = registerStageParts(prepare, world,
                                           {{"BM_ShootingFrame", engineFrame},
                                            {"BM_ShootingPlainFrame", plainShootingFrame},
                                            {"BM_ShootingUpdate", shootingUpdate},
                                            {"BM_ShootingCollisionPass", shootingCollisionPass},
                                            {"BM_ShootingDraw", shootingDraw}});

}  // namespace
