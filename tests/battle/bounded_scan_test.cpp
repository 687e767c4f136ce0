// Every pass of the stage stops at liveSlotEnd. A run with liveSlotEnd forced to the whole
// table on every frame is the full-scan reference: both runs must agree on every byte of the
// table, every global, every sound and every pixel.
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/collisions.h"
#include "battle_support.h"
#include "platform/random.h"
#include "platform/surface.h"

namespace {

const int8_t kKinds[] = {0, 0, 0, 3, 3, 1, 2, 4, 5, 6, 7, 10, 11, 12, 13, 20, 21, 22, 23, 30, -2};
constexpr int kTemplates = 30;
constexpr int kFrames = 30;

struct WorldState {
    Entity table[kEntityCount];
    int32_t liveEnd;
    int32_t trail;
    int32_t opponents;
    int32_t countdown;
    uint8_t result;
    int32_t scroll[4];
};

struct RunResult {
    std::unique_ptr<WorldState> end = std::make_unique<WorldState>();
    std::vector<std::string> trace;
    std::vector<uint32_t> shown;
};

class BoundedScanTest : public BattleTest {
protected:
    std::mt19937 rng;
    std::vector<InputValues> inputs;

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    void randomTemplates() {
        for (int row = 0; row <= kTemplates; ++row) {
            const int8_t typ = row == 0 ? 0 : kKinds[uniform(0, sizeof kKinds - 1)];
            CharTemplate& t = defineTemplate(row, typ, uniform(1, 12), uniform(0, 6), uniform(-1, 6), uniform(-2, 40));
            t.LEF = uniform(0, 700);
            t.TOP = uniform(0, 500);
            t.WID = uniform(1, 40);
            t.HEI = uniform(1, 40);
            t.DEA = static_cast<int8_t>(uniform(0, 3) == 0 ? uniform(1, kTemplates) : 0);
            for (int i = 0; i < 4; ++i) {
                if (uniform(0, 2) == 0) continue;
                t.WEP[i] = static_cast<int8_t>(uniform(1, kTemplates));
                t.BLA[i] = uniform(0, 12);
                t.LEN[i] = uniform(-10, 400);
            }
        }
        CharTable[kMarkTemplate].DEA = static_cast<int8_t>(uniform(0, kTemplates));
    }

    void randomTable() {
        startStage();
        for (int k = 0; k < 250; ++k) {
            const int s = uniform(1, 700);
            Entity& e = EntityTable[s];
            e = CharTable[uniform(1, kTemplates)];
            e.inUse = uniform(0, 6) != 0;
            e.side = static_cast<int8_t>(uniform(0, 2));
            e.x = uniform(0, 9) == 0 ? uniform(-100000, 100000) : uniform(100, 500);
            e.y = uniform(100, 500);
            e.z = uniform(0, 4) == 0 ? uniform(-30, 60) : 0;
            e.vspeed = uniform(-5, 10);
            e.angle = std::uniform_real_distribution<double>(-1, 7.5)(rng);
            e.counter = uniform(-5, 40);
            e.guard = uniform(0, 3) == 0 ? uniform(1, 8) : 0;
            for (int i = 0; i < 4; ++i) {
                e.cool[i] = uniform(0, 3);
                e.aimX[i] = uniform(0, 2) == 0 ? kNoTarget : uniform(0, 800);
                e.aimY[i] = uniform(0, 600);
            }
            e.goalX = uniform(0, 2) == 0 ? kNoTarget : uniform(0, 800);
            e.goalY = uniform(0, 600);
            noteSlotLive(s);
        }
        inputs.clear();
        for (int f = 0; f < kFrames; ++f) {
            InputValues in{};
            in.arrowX = uniform(-1, 1) * (uniform(0, 3) == 0);
            in.keyZ = uniform(0, 4) == 0;
            in.mouseX = uniform(0, 800);
            in.mouseY = uniform(0, 700);
            in.buttonL = uniform(0, 4) == 0;
            in.buttonR = uniform(0, 3) == 0;
            inputs.push_back(in);
        }
    }

    void randomSurfaces() {
        for (int slot = 0; slot < kSurfaceCount; ++slot) {
            resizeSurface(SurfaceTable[slot], 800, 600, kBlack);
            if (slot == kBackBuffer) continue;
            for (uint32_t& p : SurfaceTable[slot].pixels) p = uniform(0, 3) == 0 ? kBlack : rng() & 0xFFFFFF;
        }
        resizeSurface(windowDC, 800, 600, kWhite);
        buildMask(kCharMask);
        buildMask(kNearMask);
        buildMask(kMiddleMask);
        StageParams = StageParamsRecord{uniform(-3, 9), 0, 0, uniform(8, 40), uniform(8, 40), uniform(300, 560)};
    }

    static void save(WorldState& w) {
        std::memcpy(w.table, EntityTable, sizeof EntityTable);
        w.liveEnd = liveSlotEnd;
        w.trail = trailTick;
        w.opponents = opponentsLeft;
        w.countdown = stageCountdown;
        w.result = stageResult;
        w.scroll[0] = battleMidScroll;
        w.scroll[1] = battleNearScroll;
        w.scroll[2] = battleGroundScroll;
        w.scroll[3] = battleBlink;
    }

    static void restore(const WorldState& w) {
        std::memcpy(EntityTable, w.table, sizeof EntityTable);
        liveSlotEnd = w.liveEnd;
        trailTick = w.trail;
        opponentsLeft = w.opponents;
        stageCountdown = w.countdown;
        stageResult = w.result;
        battleMidScroll = w.scroll[0];
        battleNearScroll = w.scroll[1];
        battleGroundScroll = w.scroll[2];
        battleBlink = w.scroll[3];
    }

    void run(const WorldState& start, bool fullScan, RunResult& out) {
        restore(start);
        seedRandom(7);
        hp.trace.clear();
        for (int f = 0; f < kFrames; ++f) {
            hp.traceFrame = f;
            InputState = inputs[f];
            if (fullScan) liveSlotEnd = kEntityCount;
            battleUpdate();
            battleDraw();
        }
        if (fullScan) liveSlotEnd = start.liveEnd;  // compared below; the bounded run never lowers it
        save(*out.end);
        out.trace = hp.trace;
        out.shown = hp.shown.pixels;
    }
};

}  // namespace

TEST_F(BoundedScanTest, MatchesTheFullScanOnRandomTables) {
    auto start = std::make_unique<WorldState>();
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        rng.seed(seed);
        randomTemplates();
        randomSurfaces();
        randomTable();
        save(*start);

        RunResult bounded;
        RunResult full;
        run(*start, false, bounded);
        const int32_t boundedEnd = liveSlotEnd;
        run(*start, true, full);

        EXPECT_LT(boundedEnd, kEntityCount) << "seed " << seed;
        EXPECT_EQ(std::memcmp(bounded.end->table, full.end->table, sizeof EntityTable), 0) << "seed " << seed;
        EXPECT_EQ(bounded.end->trail, full.end->trail);
        EXPECT_EQ(bounded.end->opponents, full.end->opponents) << "seed " << seed;
        EXPECT_EQ(bounded.end->countdown, full.end->countdown) << "seed " << seed;
        EXPECT_EQ(bounded.end->result, full.end->result) << "seed " << seed;
        EXPECT_EQ(std::memcmp(bounded.end->scroll, full.end->scroll, sizeof bounded.end->scroll), 0);
        EXPECT_EQ(bounded.trace, full.trace) << "seed " << seed;
        EXPECT_TRUE(bounded.shown == full.shown) << "seed " << seed;
        // The runs did something worth comparing.
        int spawned = 0;
        int hurt = 0;
        for (int n = 0; n < kEntityCount; ++n) {
            spawned += start->table[n].inUse == 0 && bounded.end->table[n].inUse == 1;
            hurt += start->table[n].inUse == 1 && bounded.end->table[n].HP < start->table[n].HP;
        }
        EXPECT_GT(spawned, 20) << "seed " << seed;
        EXPECT_GT(hurt, 5) << "seed " << seed;
    }
}

// The collision pass skips rows and partners that can do nothing; the reference visits every
// ordered pair of the whole table. Low hit points make kills, and remains of every kind
// (units, shots, blocks) join the pass where they spawn.
TEST_F(BoundedScanTest, CollisionPassMatchesEveryOrderedPair) {
    auto start = std::make_unique<WorldState>();
    auto fast = std::make_unique<WorldState>();
    for (uint32_t seed = 11; seed <= 16; ++seed) {
        rng.seed(seed);
        randomTemplates();
        for (int row = 1; row <= kTemplates; ++row) {
            CharTable[row].HP = uniform(-1, 4);
            CharTable[row].DEA = static_cast<int8_t>(uniform(0, 1) ? uniform(1, kTemplates) : 0);
        }
        randomTable();
        // A dense crowd whose free slots keep the kinds they had, so remains also land in
        // slots that were no partner before, below the pair under test.
        for (int n = 1; n < 400; ++n) {
            Entity& e = EntityTable[n];
            if (e.inUse == 0) e = CharTable[uniform(1, kTemplates)];
            e.inUse = uniform(0, 3) != 0;
            e.x = uniform(300, 340);
            e.y = uniform(300, 340);
            noteSlotLive(n);
        }
        save(*start);

        hp.trace.clear();
        collisionPass();
        save(*fast);
        const std::vector<std::string> fastTrace = hp.trace;

        restore(*start);
        hp.trace.clear();
        int hits = 0;
        for (int32_t i = 0; i < kEntityCount; ++i) {
            if (EntityTable[i].inUse != 1) continue;
            for (int32_t j = 0; j < kEntityCount; ++j) {
                if (EntityTable[j].inUse != 1) continue;
                const int before = EntityTable[j].HP;
                collidePair(i, j);
                hits += EntityTable[j].HP != before;
            }
        }
        EXPECT_GT(hits, 20) << "seed " << seed;
        EXPECT_EQ(std::memcmp(fast->table, EntityTable, sizeof EntityTable), 0) << "seed " << seed;
        EXPECT_EQ(fast->liveEnd, liveSlotEnd) << "seed " << seed;
        EXPECT_EQ(fastTrace, hp.trace) << "seed " << seed;
    }
}
