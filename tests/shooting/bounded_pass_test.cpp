// The passes stop at liveSlotEnd. Replaying the same frames with plain scans of all 4096
// slots, in the same order, must leave exactly the same world and the same sounds.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "platform/media.h"
#include "platform/random.h"
#include "shooting/shooting_update.h"
#include "stage_fixture.h"

namespace {

void fullScanUpdate() {
    playerControl();
    for (int32_t i = 1; i < kEntityCount; ++i) moveObject(i);
    for (int32_t i = 0; i < kEntityCount; ++i)
        for (int32_t j = 0; j < kEntityCount; ++j) shootingCollidePair(i, j);
    const Entity& p = EntityTable[kPlayerSlot];
    int32_t count = 0;
    for (const Entity& e : EntityTable) count += e.inUse == 1 && e.side != p.side && e.TYP != 1 && e.TYP != 2;
    opponentsLeft = count;
    if (count == 0) {
        if (stageCountdown < 0) {
            stageCountdown = kStageDecidedFrames;
            stageResult = 1;
            startShotSound("./wav/win.wav");
        }
    } else if (p.inUse == 0 && stageCountdown < 0) {
        stageCountdown = kStageDecidedFrames;
        stageResult = 0;
        startShotSound("./wav/lost.wav");
    }
}

bool sameEntity(const Entity& a, const Entity& b) {
    return a.inUse == b.inUse && a.side == b.side && a.x == b.x && a.y == b.y && a.z == b.z && a.move == b.move &&
           a.LEF == b.LEF && a.TOP == b.TOP && a.WID == b.WID && a.HEI == b.HEI && a.HP == b.HP && a.BP == b.BP &&
           a.SP == b.SP && a.SIZ == b.SIZ && std::memcmp(a.WEP, b.WEP, sizeof a.WEP) == 0 &&
           std::memcmp(a.BLA, b.BLA, sizeof a.BLA) == 0 && std::memcmp(a.LEN, b.LEN, sizeof a.LEN) == 0 &&
           std::memcmp(a.cool, b.cool, sizeof a.cool) == 0 && a.counter == b.counter && a.TYP == b.TYP &&
           a.SE == b.SE && a.DEA == b.DEA && a.TAX == b.TAX && a.TAY == b.TAY && a.GRA == b.GRA &&
           a.vspeed == b.vspeed && std::memcmp(&a.angle, &b.angle, sizeof a.angle) == 0 &&
           std::memcmp(a.aimX, b.aimX, sizeof a.aimX) == 0 && std::memcmp(a.aimY, b.aimY, sizeof a.aimY) == 0 &&
           a.goalX == b.goalX && a.goalY == b.goalY && a.guard == b.guard;
}

struct World {
    Entity table[kEntityCount];
    int32_t end;
    int32_t opponents, countdown;
    uint8_t result;
    std::vector<std::string> trace;
};

void save(World& w, const HeadlessPlatform& hp) {
    std::memcpy(w.table, EntityTable, sizeof EntityTable);
    w.end = liveSlotEnd;
    w.opponents = opponentsLeft;
    w.countdown = stageCountdown;
    w.result = stageResult;
    w.trace = hp.trace;
}

void restore(const World& w, HeadlessPlatform& hp) {
    std::memcpy(EntityTable, w.table, sizeof EntityTable);
    liveSlotEnd = w.end;
    opponentsLeft = w.opponents;
    stageCountdown = w.countdown;
    stageResult = w.result;
    hp.trace = w.trace;
}

// A crowded stage of random kinds, sizes, patterns and phases. With one slot in `freeOneIn`
// freed, live records are scattered and mid-pass spawns fill the gaps; without gaps they
// raise the end during the pass.
void buildRandomWorld(uint32_t seed, int freeOneIn) {
    std::mt19937 rng(seed);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int8_t kinds[] = {0, 0, 0, 1, 1, 2, 3, 5};
    for (int t = 0; t < 16; ++t) {
        CharTemplate row = makeRow(kinds[pick(0, 7)], pick(0, 40), pick(0, 40), pick(1, 12), pick(0, 4),
                                   pick(0, 6), pick(0, 24));
        row.WEP[0] = static_cast<int8_t>(pick(-1, 15));
        row.DEA = static_cast<int8_t>(pick(0, 2) == 0 ? 0 : pick(-1, 15));
        row.BLA[0] = pick(0, 3);
        row.GRA = static_cast<int8_t>(pick(0, 3) == 0);
        CharTable[t] = row;
    }
    CharTable[kPlayerRow].TYP = 0;
    CharTable[kPlayerRow].HP = 40;
    StageParams = StageParamsRecord{3, 0, 0, 32, 32, pick(0, 200)};
    resetShootingStage();
    for (int k = 0; k < 700; ++k)
        spawnEntity(pick(1, 15), static_cast<int8_t>(pick(0, 3)), pick(0, 70), pick(-20, 820), pick(-20, 620),
                    static_cast<int8_t>(pick(0, 9)), 0);
    for (int32_t s = 1; s < liveSlotEnd && freeOneIn > 0; ++s)
        if (pick(1, freeOneIn) == 1) EntityTable[s].inUse = 0;
    InputState.keyZ = 1;
    InputState.keyX = 1;
    InputState.arrowX = pick(-1, 1);
    InputState.arrowY = pick(-1, 1);
}

}  // namespace

TEST_F(ShootingStage, BoundedPassesMatchFullScansOnRandomWorlds) {
    static World start, bounded;  // large: kept out of the stack
    constexpr int kFrames = 4;
    const std::pair<uint32_t, int> worlds[] = {{1, 0}, {2, 2}, {3, 8}, {4, 0}};
    for (const auto& [seed, freeOneIn] : worlds) {
        buildRandomWorld(seed, freeOneIn);
        hp.trace.clear();
        save(start, hp);

        seedRandom(seed);
        for (int f = 0; f < kFrames; ++f) shootingUpdate();
        save(bounded, hp);

        restore(start, hp);
        seedRandom(seed);
        for (int f = 0; f < kFrames; ++f) fullScanUpdate();

        int born = 0, died = 0;
        for (int32_t s = 0; s < kEntityCount; ++s) {
            ASSERT_TRUE(sameEntity(bounded.table[s], EntityTable[s])) << "seed " << seed << " slot " << s;
            born += start.table[s].inUse == 0 && EntityTable[s].inUse == 1;
            died += start.table[s].inUse == 1 && EntityTable[s].inUse == 0;
        }
        EXPECT_EQ(bounded.end, liveSlotEnd);
        EXPECT_EQ(bounded.opponents, opponentsLeft);
        EXPECT_EQ(bounded.countdown, stageCountdown);
        EXPECT_EQ(bounded.result, stageResult);
        EXPECT_EQ(bounded.trace, hp.trace);
        // The worlds were busy: objects died, and new ones filled gaps or raised the end.
        EXPECT_GT(died, 20) << "seed " << seed;
        EXPECT_GT(born + liveSlotEnd - start.end, 5) << "seed " << seed;
    }
}
