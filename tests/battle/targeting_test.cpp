#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "battle/step_math.h"
#include "battle/targeting.h"
#include "battle_support.h"

namespace {

struct Table {
    Entity slots[kEntityCount];
};

class TargetingTest : public BattleTest {
protected:
    std::mt19937 rng;
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // Crowds on a small grid, so that equal distances and range edges are common, plus a few
    // objects far out where the squares no longer fit 64 bits.
    void randomTable() {
        clearEntityTable();
        for (int n = 0; n < 600; ++n) {
            Entity& e = EntityTable[n];
            e.inUse = uniform(0, 5) != 0;
            e.side = static_cast<int8_t>(uniform(0, 2));
            const int8_t kinds[] = {0, 0, 3, 3, 1, 2, 5, 10, 20, 21, 4, -1};
            e.TYP = kinds[uniform(0, sizeof kinds - 1)];
            e.x = uniform(0, 40) * 10;
            e.y = uniform(0, 30) * 10;
            if (uniform(0, 30) == 0) e.x = uniform(0, 1) ? std::numeric_limits<int32_t>::max() - uniform(0, 9)
                                                          : std::numeric_limits<int32_t>::min() + uniform(0, 9);
            for (int i = 0; i < 4; ++i) {
                e.LEN[i] = uniform(-20, 250);
                e.aimX[i] = uniform(0, 800);
                e.aimY[i] = uniform(0, 600);
            }
            e.goalX = uniform(0, 800);
            e.goalY = uniform(0, 600);
        }
        noteSlotLive(599);
    }
};

}  // namespace

TEST_F(TargetingTest, SameResultAsSetupEntity) {
    auto start = std::make_unique<Table>();
    auto expected = std::make_unique<Table>();
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        rng.seed(seed);
        randomTable();
        weaponSel = static_cast<int32_t>(seed - 1);  // nothing in the game changes it, but both must agree
        std::memcpy(start->slots, EntityTable, sizeof EntityTable);
        for (int32_t s = 0; s < 600; ++s) {
            setupEntity(s);
            std::memcpy(expected->slots, EntityTable, sizeof EntityTable);
            std::memcpy(EntityTable, start->slots, sizeof EntityTable);
            acquireTargets(s);
            ASSERT_EQ(std::memcmp(&expected->slots[s], &EntityTable[s], sizeof(Entity)), 0)
                << "seed " << seed << " slot " << s << " kind " << int{EntityTable[s].TYP};
            std::memcpy(EntityTable, start->slots, sizeof EntityTable);
        }
    }
    weaponSel = 0;
}

TEST(DistanceOf, MatchesTruncatedDistanceAcrossTheRange) {
    const int32_t big = std::numeric_limits<int32_t>::max();
    const int32_t small = std::numeric_limits<int32_t>::min();
    const int32_t points[][4] = {{0, 0, 3, 4},        {0, 0, 1, 1},         {5, 5, 5, 5},
                                 {small, 0, big, 0},  {small, small, big, big}, {0, small, 0, big},
                                 {-46341, 0, 46341, 0}, {0, 0, 1 << 30, 1 << 30}, {100, -7, -3, 200}};
    for (const auto& p : points) {
        EXPECT_EQ(distanceOf(static_cast<int64_t>(p[0]) - p[2], static_cast<int64_t>(p[1]) - p[3]),
                  truncatedDistance(p[0], p[1], p[2], p[3]));
    }
    EXPECT_EQ(distanceOf(3, 4), 5);
    EXPECT_EQ(distanceOf(int64_t{1} << 32, 0), int64_t{1} << 32);
}
