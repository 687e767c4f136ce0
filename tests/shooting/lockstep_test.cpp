// The shooting stage's frames against the plain passes, frame by frame: a transcription of
// the collision pass over every ordered pair of the 4096 slots, the decision over every
// slot and the drawing with its two copies per masked rectangle, run on random worlds and
// compared after every frame with shootingUpdate and shootingDraw on the same worlds: the
// whole table, the globals, the sounds and the window's pixels.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/lockstep.h"
#include "platform/media.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "shooting/shooting_draw.h"
#include "shooting/shooting_update.h"
#include "stage/scenery.h"
#include "stage_fixture.h"

namespace {

int32_t wrap32(int64_t v) { return static_cast<int32_t>(v); }
int64_t absolute(int64_t v) { return v < 0 ? -v : v; }

// ---- The plain passes.

void plainSettle(int32_t k) {
    Entity& e = EntityTable[k];
    if (e.HP > 0) {
        if (k == 0 && e.TYP != 1) startShotSound("./wav/mehit.wav");
        return;
    }
    e.inUse = 0;
    if (e.TYP != 1 && e.DEA != 0) spawnEntity(e.DEA, e.side, 0, e.x, wrap32(int64_t{e.y} - 32), 8, 0);
}

void plainPush(Entity& mover, const Entity& block) {
    const int64_t dx = int64_t{mover.x} - block.x;
    const int64_t dy = int64_t{mover.y} - block.y;
    if (absolute(dy) > absolute(dx) && dy < 0) {
        mover.y = wrap32(int64_t{block.y} - block.SIZ);
        mover.vspeed = 0;
    } else if (absolute(dy) > absolute(dx) && dy > 0) {
        mover.y = wrap32(int64_t{block.y} + block.SIZ);
    } else if (absolute(dy) < absolute(dx) && dx < 0) {
        mover.x = wrap32(int64_t{block.x} - block.SIZ);
    } else if (absolute(dy) < absolute(dx) && dx > 0) {
        mover.x = wrap32(int64_t{block.x} + block.SIZ);
    }
}

void plainCollisions() {
    for (int32_t i = 0; i < kEntityCount; ++i) {
        for (int32_t j = 0; j < kEntityCount; ++j) {
            Entity& a = EntityTable[i];
            Entity& b = EntityTable[j];
            if (a.inUse != 1 || b.inUse != 1) continue;
            if (a.side == b.side) continue;
            if (a.TYP == 1 && b.TYP == 1) continue;
            const int64_t s = int64_t{a.SIZ} + b.SIZ;
            if (!(absolute(int64_t{a.y} - b.y) < s && absolute(int64_t{a.x} - b.x) < s)) continue;
            if (a.TYP == 0 && b.TYP == 2) {
                plainPush(a, b);
            } else if (a.TYP == 2 && b.TYP == 0) {
                plainPush(b, a);
            } else {
                a.HP = wrap32(int64_t{a.HP} - b.BP);
                b.HP = wrap32(int64_t{b.HP} - a.BP);
                plainSettle(i);
                plainSettle(j);
            }
        }
    }
}

void plainDecision() {
    int32_t count = 0;
    for (int32_t k = 0; k < kEntityCount; ++k) {
        const Entity& e = EntityTable[k];
        if (e.inUse == 1 && e.side != EntityTable[0].side && e.TYP != 1 && e.TYP != 2) ++count;
    }
    opponentsLeft = count;
    if (count == 0) {
        if (stageCountdown < 0) {
            stageCountdown = 300;
            stageResult = 1;
            startShotSound("./wav/win.wav");
        }
    } else if (EntityTable[0].inUse == 0 && stageCountdown < 0) {
        stageCountdown = 300;
        stageResult = 0;
        startShotSound("./wav/lost.wav");
    }
}

void plainDraw() {
    plainScenery(shootMidScroll, shootNearScroll, shootGroundScroll, false);
    for (int32_t k = 0; k < kEntityCount; ++k) {
        const Entity& e = EntityTable[k];
        if (e.inUse != 1) continue;
        const int64_t sx = e.cool[0] == 0 ? e.LEF : int64_t{e.LEF} + e.TAX;
        const int64_t sy = e.cool[0] == 0 ? e.TOP : int64_t{e.TOP} + e.TAY;
        plainSprite(e.x, e.y, e.WID, e.HEI, sx, sy);
    }
    plainBannerAndPresent();
}

void plainFrame() {
    playerControl();
    for (int32_t i = 1; i < kEntityCount; ++i) moveObject(i);
    plainCollisions();
    plainDecision();
    plainDraw();
}

void engineFrame() {
    shootingUpdate();
    shootingDraw();
}

// ---- Random worlds.

struct World : LockstepWorld {
    int32_t scroll[3];
};

class ShootingLockstep : public ::testing::Test {
protected:
    HeadlessPlatform hp;
    std::mt19937 rng;

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    int32_t randomSize() {
        const int roll = pick(1, 100);
        if (roll <= 10) return 0;
        if (roll <= 20) return -pick(1, 40);
        if (roll <= 70) return pick(1, 24);
        if (roll <= 85) return pick(25, 64);
        if (roll <= 95) return pick(65, 300);
        const int32_t huge[] = {100000, 1 << 30, INT32_MAX};
        return huge[pick(0, 2)];
    }

    int32_t randomCoordinate(int flavour, int lo, int hi) {
        if (flavour == 3 && chance(10)) return chance(50) ? INT32_MAX - pick(0, 50) : INT32_MIN + pick(0, 50);
        return pick(lo, hi);
    }

    void randomTemplates(int flavour) {
        const int8_t kinds[] = {0, 0, 0, 1, 1, 1, 2, 3, 5, 7, -3};
        for (int row = 0; row < 24; ++row) {
            CharTemplate t = makeRow(kinds[pick(0, 10)], pick(0, 40), pick(0, 40), pick(1, 6), pick(0, 4),
                                     pick(-1, 12), randomSize());
            if (flavour == 3 && chance(30)) t.SIZ = chance(50) ? 0 : INT32_MAX;
            t.LEF = pick(-10, 780);
            t.TOP = pick(-10, 580);
            t.TAX = pick(-20, 20);
            t.TAY = pick(-20, 20);
            t.WEP[0] = static_cast<int8_t>(pick(0, 23));
            t.BLA[0] = pick(0, 3);
            t.DEA = static_cast<int8_t>(chance(50) ? pick(1, 23) : 0);
            t.GRA = static_cast<int8_t>(chance(20));
            for (int i = 0; i < 4; ++i) t.LEN[i] = pick(-10, 300);
            if (t.TYP == 2) t.HP = pick(20, 200);
            CharTable[row] = t;
        }
        CharTable[0].HP = pick(20, 200);
        CharTable[0].TYP = static_cast<int8_t>(chance(80) ? 0 : 3);
    }

    World build(uint32_t seed) {
        rng.seed(seed);
        const int flavour = static_cast<int>(seed % 6);
        randomScenery(rng, seed % 7 == 3);
        randomTemplates(flavour);
        if (flavour == 1) {  // bodies large enough that remains 32 pixels up still touch
            for (int row = 1; row < 24; ++row) CharTable[row].SIZ = pick(16, 48);
        }
        // Some ground tiles reach past the sheet's edge: clipped, they leave gaps.
        StageParams = StageParamsRecord{pick(-3, 9), pick(0, 790), pick(0, 590), pick(8, 40), pick(8, 40), pick(0, 600)};
        shootMidScroll = pick(0, 800);
        shootNearScroll = pick(0, 800);
        shootGroundScroll = 0;
        resetShootingStage();
        Entity& player = EntityTable[kPlayerSlot];
        player.x = pick(0, 760);
        player.y = pick(0, 560);
        if (flavour == 1 || flavour == 5) {  // a frail player in the thick of it leaves remains
            player.HP = pick(1, 8);
            player.DEA = static_cast<int8_t>(pick(1, 23));
        }

        // Flavours: 0 spread; 1 dense clusters; 2 the table filled to its last slot; 3 extreme
        // sizes and coordinates; 4 many sides; 5 stacks of objects on one point. Worlds
        // without gaps put remains above the pair that spawned them, where its row meets them.
        const bool gaps = flavour == 0 || flavour == 3 || flavour == 5;
        const int count = flavour == 2 ? kEntityCount : pick(300, 900);
        int cx = player.x, cy = player.y;
        for (int k = 0; k < count; ++k) {
            int8_t side = static_cast<int8_t>(pick(0, 1));
            if (flavour == 4) {
                const int8_t sides[] = {0, 1, 2, 4, 5, -1, 127, 8};
                side = sides[pick(0, 7)];
            }
            int32_t x = randomCoordinate(flavour, -40, 840);
            int32_t y = randomCoordinate(flavour, -40, 640);
            if (flavour == 1 || flavour == 5) {
                if (k % 40 == 39) {
                    cx = pick(0, 800);
                    cy = pick(0, 600);
                }
                const bool stacked = flavour == 5 && chance(60);
                x = cx + (stacked ? 0 : pick(-30, 30));
                y = cy + (stacked ? 0 : pick(-30, 30));
            }
            if (spawnEntity(pick(1, 23), side, pick(0, 70), x, y, static_cast<int8_t>(pick(0, 9)), 0) < 0) break;
        }
        // Gaps: freed slots keep their stale fields, as removed objects do.
        for (int32_t s = 1; gaps && s < liveSlotEnd; ++s)
            if (chance(15)) EntityTable[s].inUse = 0;

        World w = capture(flavour == 2 ? 3 : 7, seed);
        InputValues in{};
        for (int f = 0; f < w.frames; ++f) {
            if (chance(40)) in.arrowX = pick(-1, 1);
            if (chance(40)) in.arrowY = pick(-1, 1);
            if (chance(30)) in.keyZ = chance(70);
            if (chance(30)) in.keyX = chance(50);
            w.inputs[f] = in;
        }
        return w;
    }

    // The world as the table and globals hold it now, to be played for `frames` frames
    // without input.
    static World capture(int frames, uint32_t seed) {
        World w;
        w.captureTable(frames, seed);
        w.scroll[0] = shootMidScroll;
        w.scroll[1] = shootNearScroll;
        w.scroll[2] = shootGroundScroll;
        return w;
    }

    // The player, worn down in its own row, dies in a foe's row and leaves its remains in a
    // new slot above the pair: the rest of the foe's row meets them. Random worlds seldom
    // make this.
    World playerRemainsWorld() {
        randomScenery(rng, false);
        StageParams = StageParamsRecord{0, 0, 0, 32, 32, 0};
        CharTable[0] = makeRow(0, 32, 32, 3, 0, 0, 16);
        CharTable[0].DEA = 2;
        CharTable[1] = makeRow(0, 32, 32, 100, 2, 0, 16);
        CharTable[2] = makeRow(0, 32, 32, 10, 1, 0, 20);
        resetShootingStage();
        EntityTable[kPlayerSlot].x = 300;
        EntityTable[kPlayerSlot].y = 300;
        spawnEntity(1, 1, 0, 300, 300, 0, 0);
        return capture(2, 1);
    }

    void start(const World& w) {
        w.restoreTable();
        shootMidScroll = w.scroll[0];
        shootNearScroll = w.scroll[1];
        shootGroundScroll = w.scroll[2];
        hp.trace.clear();
    }

    FrameRecord runFrame(const World& w, int f, void (*frame)()) {
        hp.traceFrame = f + 1;
        InputState = w.inputs[f];
        const size_t before = hp.trace.size();
        frame();
        // A draw from the generator shows that both runs used it alike.
        const int64_t draw = randomNext();
        return recordFrame(hp, before,
                           {opponentsLeft, stageCountdown, stageResult, shootMidScroll, shootNearScroll,
                            shootGroundScroll, draw});
    }

    void SetUp() override { platform = &hp; }
};

}  // namespace

TEST_F(ShootingLockstep, EveryFrameMatchesThePlainPasses) {
    const int worlds = lockstepWorlds(12);
    int spawnedMidPass = 0;
    int destroyed = 0;
    for (int k = 0; k <= worlds; ++k) {
        const World w = k < worlds ? build(static_cast<uint32_t>(1000 + k)) : playerRemainsWorld();
        std::vector<FrameRecord> reference;
        start(w);
        for (int f = 0; f < w.frames; ++f) reference.push_back(runFrame(w, f, plainFrame));

        start(w);
        for (int f = 0; f < w.frames; ++f) {
            const std::vector<Entity> before(EntityTable, EntityTable + kEntityCount);
            const FrameRecord got = runFrame(w, f, engineFrame);
            const std::string difference = frameDifference(reference[f], got);
            ASSERT_EQ(difference, "") << "world " << w.seed << " frame " << f + 1;
            for (int s = 0; s < kEntityCount; ++s) {
                spawnedMidPass += before[s].inUse == 0 && got.table[s].inUse == 1 && got.table[s].move == 8;
                destroyed += before[s].inUse == 1 && got.table[s].inUse == 0;
            }
        }
    }
    // The worlds were busy: remains were spawned in the collision pass and objects died.
    EXPECT_GT(spawnedMidPass, 50);
    EXPECT_GT(destroyed, 500);
}
