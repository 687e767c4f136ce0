#include "stage/spawn.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/random.h"
#include "stage/entity_grid.h"
#include "support/lockstep.h"
#include "stage/world.h"

namespace {

class Spawn : public ::testing::Test {
protected:
    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        CharTable[0] = loaded(0, 0);
        CharTable[2] = loaded(0, 5);  // a unit that sounds when it appears
        CharTable[4] = loaded(1, 0);  // a shot
    }

    static CharTemplate loaded(int8_t typ, int8_t se) {
        CharTemplate t{};
        t.inUse = 1;
        t.HP = 1;
        t.TYP = typ;
        t.SE = se;
        t.goalX = kNoTarget;
        return t;
    }

    // A live entity placed by hand.
    static Entity& place(int slot, int8_t side, int8_t typ, int32_t x, int32_t y) {
        Entity& e = EntityTable[slot];
        e = Entity{};
        e.inUse = 1;
        e.side = side;
        e.TYP = typ;
        e.x = x;
        e.y = y;
        noteSlotLive(slot);
        return e;
    }

    HeadlessPlatform hp;
};

}  // namespace

TEST_F(Spawn, TakesLowestFreeSlotsAndPlaysTheSpawnSound) {
    EXPECT_EQ(spawnEntity(0, 0, 0, 64, 288, 0, 1), 0);
    EXPECT_EQ(spawnEntity(2, 1, 7, 10, 20, 3, 0), 1);
    EXPECT_EQ(spawnEntity(4, 1, 0, 0, 0, 0, 0), 2);
    EXPECT_EQ(spawnEntity(2, 1, 0, 0, 0, 0, 0), 3);
    EXPECT_EQ(hp.trace, (std::vector<std::string>{"0 effect ././wav/se5.wav", "0 effect ././wav/se5.wav"}));

    const Entity& e = EntityTable[1];
    EXPECT_EQ(e.inUse, 1);
    EXPECT_EQ(e.side, 1);
    EXPECT_EQ(e.counter, 7);
    EXPECT_EQ(e.x, 10);
    EXPECT_EQ(e.y, 20);
    EXPECT_EQ(e.move, 3);

    EntityTable[2].inUse = 0;  // a removed object's slot is reused first
    EXPECT_EQ(spawnEntity(4, 1, 0, 0, 0, 0, 0), 2);
    EXPECT_EQ(spawnEntity(4, 1, 0, 0, 0, 0, 0), 4);

    // An unloaded row is copied all the same.
    EXPECT_EQ(spawnEntity(77, 1, 0, 5, 6, 0, 0), 5);
    EXPECT_EQ(EntityTable[5].inUse, 1);
    EXPECT_EQ(EntityTable[5].HP, 0);
}

TEST_F(Spawn, SpeedMinusOneTakesScrollSpeedAndSoundUsesSignedNumber) {
    CharTable[6] = loaded(1, -3);
    CharTable[6].SP = -1;
    StageParams.scrollSpeed = 4;
    const int s = spawnEntity(6, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(EntityTable[s].SP, 4);
    EXPECT_EQ(CharTable[6].SP, -1);
    EXPECT_EQ(hp.trace.back(), "0 effect ././wav/se-3.wav");
}

TEST_F(Spawn, TemplateOutsideTableSpawnsNothing) {
    seedRandom(5);
    const int firstDraw = randomNext();
    seedRandom(5);
    EXPECT_EQ(spawnEntity(128, 1, -1, 0, 0, 0, 0), -1);
    EXPECT_EQ(spawnEntity(-1, 1, -1, 0, 0, 0, 1), -1);
    EXPECT_EQ(randomNext(), firstDraw);  // not even a counter was drawn
    EXPECT_EQ(liveSlotEnd, 0);
    EXPECT_EQ(EntityTable[0].inUse, 0);
    EXPECT_TRUE(hp.trace.empty());
}

TEST_F(Spawn, FullTableReturnsMinusOneAndIntoSlotZeroReplacesPlayer) {
    spawnEntity(0, 0, 0, 64, 288, 0, 1);
    for (int s = 1; s < kEntityCount; ++s) place(s, 1, 1, 0, 0);
    EXPECT_EQ(spawnEntity(2, 1, 0, 0, 0, 0, 0), -1);
    EXPECT_TRUE(hp.trace.empty());
    EXPECT_EQ(EntityTable[0].x, 64);

    EXPECT_EQ(spawnEntity(2, 1, 0, 9, 9, 0, 1), 0);  // even a live player is replaced
    EXPECT_EQ(EntityTable[0].side, 1);
    EXPECT_EQ(EntityTable[0].x, 9);
    EXPECT_EQ(hp.trace.size(), 1u);
}

TEST_F(Spawn, RandomCountersKeepAShortMemory) {
    // A seed whose first plain draw would give 0: the memory starts as 0, 0, 0 and refuses it.
    uint32_t seed = 0;
    for (;; ++seed) {
        seedRandom(seed);
        if (randomNext() % 33 == 0) break;
    }
    seedRandom(seed);
    int32_t picks[3];
    for (int32_t& p : picks) p = EntityTable[spawnEntity(4, 1, -1, 0, 0, 0, 0)].counter;
    for (int32_t p : picks) {
        EXPECT_GE(p, 1);
        EXPECT_LE(p, 32);
    }
    EXPECT_NE(picks[0], picks[1]);
    EXPECT_NE(picks[1], picks[2]);
    EXPECT_NE(picks[0], picks[2]);

    // A long run never repeats any of its previous three, small ranges in between or not;
    // small ranges ignore the memory and leave it alone.
    int32_t last[3] = {picks[2], picks[1], picks[0]};
    bool smallRepeat = false;
    for (int i = 0; i < 2000; ++i) {
        const int32_t small = randomPick(3);
        smallRepeat = smallRepeat || small == last[0];
        const int32_t r = randomPick(4);
        ASSERT_TRUE(r >= 0 && r <= 4);
        ASSERT_TRUE(r != last[0] && r != last[1] && r != last[2]);
        last[2] = last[1];
        last[1] = last[0];
        last[0] = r;
    }
    EXPECT_TRUE(smallRepeat);
}

TEST_F(Spawn, GoalIsNearestOpposingUnitLowestSlotOnTies) {
    place(0, 0, 0, 500, 500);
    place(1, 0, 3, 100, 100);  // kind 3 is never a goal
    place(2, 0, 0, 130, 100);
    place(3, 0, 0, 70, 100);   // same distance as slot 2
    place(4, 1, 0, 101, 100);  // same side
    CharTable[8] = loaded(0, 0);
    CharTable[8].LEN[0] = 31;
    CharTable[8].LEN[1] = 30;  // strictly inside the range only
    CharTable[8].LEN[2] = 0;   // 128
    const int s = spawnEntity(8, 1, 0, 100, 100, 0, 0);
    const Entity& e = EntityTable[s];
    EXPECT_EQ(e.goalX, 130);
    EXPECT_EQ(e.aimX[0], 100);  // kind 3 is aimed at by kind 0
    EXPECT_EQ(e.aimY[0], 100);
    EXPECT_EQ(e.aimX[1], 100);
    EXPECT_EQ(e.aimX[2], 100);

    EntityTable[1].inUse = 0;
    EntityTable[s].aimY[1] = 55;
    setupEntity(s);
    EXPECT_EQ(e.aimX[0], 130);
    EXPECT_EQ(e.aimX[1], kNoTarget);
    EXPECT_EQ(e.aimY[1], 55);  // y stays as it was
    EXPECT_EQ(e.aimX[2], 130);
}

TEST_F(Spawn, NoOpponentMeansPlayersPositionAndNoAims) {
    Entity& player = place(0, 1, 0, 64, 288);
    player.inUse = 0;  // the player's position serves even when it is gone
    CharTable[8] = loaded(3, 0);
    const int s = spawnEntity(8, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(EntityTable[s].goalX, 64);
    EXPECT_EQ(EntityTable[s].goalY, 288);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(EntityTable[s].aimX[i], kNoTarget);

    // A kind-3 unit aims only at kind 0.
    place(9, 0, 3, 1, 1);
    setupEntity(s);
    EXPECT_EQ(EntityTable[s].aimX[0], kNoTarget);
    place(10, 0, 0, 2, 2);
    setupEntity(s);
    EXPECT_EQ(EntityTable[s].aimX[0], 2);
    EXPECT_EQ(EntityTable[s].goalX, 2);

    // Kinds without targeting keep whatever they were spawned with.
    CharTable[9] = loaded(5, 0);
    CharTable[9].aimX[0] = 12;
    CharTable[9].goalX = 13;
    const int shot = spawnEntity(9, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(EntityTable[shot].aimX[0], 12);
    EXPECT_EQ(EntityTable[shot].goalX, 13);
}

TEST_F(Spawn, PlayerKeepsGoalAndManualAim) {
    place(3, 1, 0, 10, 10);
    Entity& player = place(0, 0, 0, 0, 0);
    player.goalX = 444;
    player.aimX[0] = 777;
    player.aimX[1] = 1;
    setupEntity(0);
    EXPECT_EQ(player.goalX, 444);
    EXPECT_EQ(player.aimX[0], 777);
    EXPECT_EQ(player.aimX[1], 10);
}

// The searches stop at liveSlotEnd; a plain scan of the whole table must agree with them.
namespace {

struct Targets {
    int32_t goalX, goalY;
    int32_t aimX[4], aimY[4];
};

// The exact sum of the squares, square root in double, truncated.
int64_t referenceDistance(const Entity& a, const Entity& b) {
    const __int128 dx = static_cast<__int128>(a.x) - b.x;
    const __int128 dy = static_cast<__int128>(a.y) - b.y;
    return static_cast<int64_t>(std::sqrt(static_cast<double>(dy * dy + dx * dx)));
}

Targets referenceSetup(int slot) {
    const Entity& e = EntityTable[slot];
    Targets t{e.goalX, e.goalY, {}, {}};
    std::memcpy(t.aimX, e.aimX, sizeof t.aimX);
    std::memcpy(t.aimY, e.aimY, sizeof t.aimY);
    const int8_t k = e.TYP;
    if (k == 1 || k == 5 || k == 6 || k == 7 || (k >= 10 && k <= 13)) return t;
    if (slot != 0) {
        int64_t best = 32767;
        int found = -1;
        for (int q = 0; q < kEntityCount; ++q) {
            const Entity& c = EntityTable[q];
            if (c.TYP == 0 && (k == 0 || k == 3) && c.inUse == 1 && c.side != e.side &&
                referenceDistance(e, c) < best) {
                best = referenceDistance(e, c);
                found = q;
            }
        }
        const Entity& g = EntityTable[found < 0 ? 0 : found];
        t.goalX = g.x;
        t.goalY = g.y;
    }
    for (int i = 0; i < 4; ++i) {
        if (slot == 0 && i == weaponSel) continue;
        int64_t best = e.LEN[i] <= 0 ? 128 : e.LEN[i];
        int found = -1;
        for (int q = 0; q < kEntityCount; ++q) {
            const Entity& c = EntityTable[q];
            const bool eligible = (k == 0 && (c.TYP == 0 || c.TYP == 3)) || (k == 3 && c.TYP == 0);
            if (c.inUse == 1 && c.side != e.side && eligible && referenceDistance(e, c) < best) {
                best = referenceDistance(e, c);
                found = q;
            }
        }
        if (found >= 0) {
            t.aimX[i] = EntityTable[found].x;
            t.aimY[i] = EntityTable[found].y;
        } else {
            t.aimX[i] = kNoTarget;
        }
    }
    return t;
}

int referenceFreeSlot() {
    for (int s = 1; s < kEntityCount; ++s) {
        if (EntityTable[s].inUse == 0) return s;
    }
    return -1;
}

}  // namespace

TEST_F(Spawn, BoundedSearchesMatchFullScans) {
    std::mt19937 rng(1234);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    CharTable[5] = loaded(0, 0);
    for (int trial = 0; trial < 400; ++trial) {
        std::memset(EntityTable, 0, sizeof EntityTable);
        liveSlotEnd = 0;
        // Live slots below a high-water mark, some dense, some sparse, some tables full;
        // free slots keep stale fields, as removed entities do.
        const bool full = trial % 10 == 0;
        const int mark = full ? kEntityCount : trial % 3 == 0 ? pick(1, 64) : pick(1, kEntityCount);
        const int fillPercent = full ? 100 : pick(0, 100);
        const int spread = trial % 2 == 0 ? 60 : 1000;  // many ties, or few
        for (int s = 0; s < kEntityCount; ++s) {
            Entity& e = EntityTable[s];
            e.inUse = s < mark && pick(1, 100) <= fillPercent;
            e.side = static_cast<int8_t>(pick(0, 2));
            e.TYP = static_cast<int8_t>(pick(0, 4));
            e.x = pick(0, spread);
            e.y = pick(0, spread);
            for (int i = 0; i < 4; ++i) e.LEN[i] = pick(-5, 40);
        }
        liveSlotEnd = mark;

        const int s = pick(0, mark - 1);
        const Targets expected = referenceSetup(s);
        setupEntity(s);
        const Entity& e = EntityTable[s];
        ASSERT_EQ(e.goalX, expected.goalX) << "trial " << trial;
        ASSERT_EQ(e.goalY, expected.goalY) << "trial " << trial;
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(e.aimX[i], expected.aimX[i]) << "trial " << trial << " weapon " << i;
            ASSERT_EQ(e.aimY[i], expected.aimY[i]) << "trial " << trial << " weapon " << i;
        }

        const int freeSlot = referenceFreeSlot();
        ASSERT_EQ(spawnEntity(5, 1, 0, pick(0, spread), pick(0, spread), 0, 0), freeSlot) << "trial " << trial;
        if (freeSlot >= 0) {  // the new unit's own setup, done before the table grew further
            const Targets own = referenceSetup(freeSlot);
            ASSERT_EQ(EntityTable[freeSlot].goalX, own.goalX) << "trial " << trial;
            ASSERT_EQ(EntityTable[freeSlot].goalY, own.goalY) << "trial " << trial;
            for (int i = 0; i < 4; ++i) ASSERT_EQ(EntityTable[freeSlot].aimX[i], own.aimX[i]) << "trial " << trial;
        }
    }
}

// While a stage's update runs, the searches ask the grid instead of scanning; they must find
// what the scans find, whatever the places (ties, crowds, coordinates at the ends of the
// range), sizes, heights, ranges and sides.
TEST_F(Spawn, GridSearchesMatchFullScans) {
    std::mt19937 rng(99 + lockstepSeedOffset());
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto coordinate = [&](int spread) {
        switch (pick(0, 9)) {
        case 0: return pick(-100000, 100000);
        case 1: return std::numeric_limits<int32_t>::max() - pick(0, 40);
        case 2: return std::numeric_limits<int32_t>::min() + pick(0, 40);
        default: return pick(0, spread);
        }
    };
    const GridPlan plans[] = {{nullptr, false}, {[](int8_t typ) { return typ == 1; }, true}};
    CharTable[5] = loaded(0, 0);
    for (int trial = 0; trial < lockstepWorlds(300); ++trial) {
        std::memset(EntityTable, 0, sizeof EntityTable);
        const bool full = trial % 10 == 0;
        const int mark = full ? kEntityCount : trial % 3 == 0 ? pick(1, 64) : pick(1, kEntityCount);
        const int fillPercent = full ? 100 : pick(0, 100);
        const int spread = trial % 2 == 0 ? 60 : 1000;  // many ties, or few
        const int sides = trial % 4 == 0 ? 9 : 2;       // sides beyond four share buckets
        for (int s = 0; s < kEntityCount; ++s) {
            Entity& e = EntityTable[s];
            e.inUse = s < mark && pick(1, 100) <= fillPercent;
            e.side = static_cast<int8_t>(pick(0, sides - 1));
            e.TYP = static_cast<int8_t>(pick(0, 4));
            e.x = coordinate(spread);
            e.y = coordinate(spread);
            e.z = pick(0, 3) == 0 ? pick(-200, 200) : 0;
            e.SIZ = pick(0, 5) == 0 ? pick(65, 100000) : pick(-5, 40);
            for (int i = 0; i < 4; ++i) e.LEN[i] = pick(0, 7) == 0 ? std::numeric_limits<int32_t>::max() : pick(-5, 400);
        }
        liveSlotEnd = mark;
        gridBuild(plans[trial % 2]);
        for (int k = 0; k < 10; ++k) {
            const int s = pick(0, mark - 1);
            const Targets expected = referenceSetup(s);
            setupEntity(s);
            const Entity& e = EntityTable[s];
            ASSERT_EQ(e.goalX, expected.goalX) << "trial " << trial << " slot " << s;
            ASSERT_EQ(e.goalY, expected.goalY) << "trial " << trial << " slot " << s;
            for (int i = 0; i < 4; ++i) {
                ASSERT_EQ(e.aimX[i], expected.aimX[i]) << "trial " << trial << " slot " << s << " weapon " << i;
                ASSERT_EQ(e.aimY[i], expected.aimY[i]) << "trial " << trial << " slot " << s << " weapon " << i;
            }
        }
        // A box query hands over every filed slot from `from` up placed inside the box, edges
        // included, and nothing else but the oversized records.
        const GridPlan& plan = plans[trial % 2];
        for (int k = 0; k < 10; ++k) {
            const int64_t left = int64_t{coordinate(spread)} - pick(0, 40);
            const int64_t top = int64_t{coordinate(spread)} - pick(0, 40);
            const int64_t right = left + pick(-1, 300);
            const int64_t bottom = top + pick(-1, 300);
            const int32_t from = pick(0, mark);
            static int16_t found[kMaxCollected];
            const int32_t n = gridCollect(left, top, right, bottom, kAllBuckets, from, found);
            if (n == kTooWide) continue;
            std::vector<bool> returned(kEntityCount);
            for (int32_t q = 0; q < n; ++q) {
                const Entity& e = EntityTable[found[q]];
                const bool inside = e.x >= left && e.x <= right && e.y >= top && e.y <= bottom;
                const bool oversized = e.SIZ > 64 || (plan.heightMatters && (e.z > 64 || e.z < -64));
                ASSERT_TRUE(found[q] >= from && (inside || oversized)) << "trial " << trial << " slot " << found[q];
                returned[found[q]] = true;
            }
            for (int s = from; s < mark; ++s) {
                const Entity& e = EntityTable[s];
                const bool filed = e.inUse == 1 && (plan.files == nullptr || plan.files(e.TYP) || isUnitKind(e.TYP));
                if (filed && e.x >= left && e.x <= right && e.y >= top && e.y <= bottom) {
                    ASSERT_TRUE(returned[s]) << "trial " << trial << " slot " << s;
                }
            }
        }
        // The grid knows which slots are free: a spawn takes the one a scan would.
        const int freeSlot = referenceFreeSlot();
        ASSERT_EQ(spawnEntity(5, 1, 0, coordinate(spread), coordinate(spread), 0, 0), freeSlot) << "trial " << trial;
        gridDrop();
    }
}

TEST(Distance, ExactSumsOfSquaresAcrossThe32BitRange) {
    const int32_t big = std::numeric_limits<int32_t>::max();
    const int32_t small = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(truncatedDistance(0, 0, 3, 4), 5);
    EXPECT_EQ(truncatedDistance(0, 0, 1, 1), 1);
    EXPECT_EQ(truncatedDistance(-46341, 0, 46341, 0), 92682);  // squares beyond 32 bits
    EXPECT_EQ(truncatedDistance(small, 0, big, 0), int64_t{4294967295});
    EXPECT_EQ(distanceOf(int64_t{1} << 32, 0), int64_t{1} << 32);
    EXPECT_EQ(distanceOf(-(int64_t{1} << 32), int64_t{1} << 32), int64_t{6074000999});
}
