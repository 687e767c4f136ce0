#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/trig.h"
#include "shooting/patterns.h"
#include "shooting/shooting_update.h"
#include "stage_fixture.h"

namespace {

struct Shot {
    int frame;
    int32_t direction;
    int32_t x, y;
};

// Runs the object pass for `frames` frames and lists the pattern shots in the order they
// were fired (they stand still: their template's SP is 0).
std::vector<Shot> runCollectingShots(int frames, int firstFrame = 1) {
    std::vector<Shot> shots;
    for (int f = firstFrame; f < firstFrame + frames; ++f) {
        const int32_t end = liveSlotEnd;
        objectPass();
        for (int32_t s = end; s < liveSlotEnd; ++s)
            shots.push_back({f, EntityTable[s].counter, EntityTable[s].x, EntityTable[s].y});
    }
    return shots;
}

}  // namespace

TEST_F(ShootingStage, Pattern2SwingsDownAndUpOverA65FrameCycle) {
    const int32_t o = place(kFoeRow, 1, 400, 200, 2, 0);
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int f = 1; f <= 32; ++f) objectPass();
        EXPECT_EQ(at(o).y, 296);  // SP 3 for 32 frames
        EXPECT_EQ(at(o).counter, 32);
        for (int f = 1; f <= 32; ++f) objectPass();
        EXPECT_EQ(at(o).y, 200);
        objectPass();  // the still frame of the reset
        EXPECT_EQ(at(o).y, 200);
        EXPECT_EQ(at(o).counter, 0);
    }
    EXPECT_EQ(at(o).x, 400);
    EXPECT_EQ(liveSlotEnd, 2);  // no shots

    StageParams.groundTop = 100;  // clamped: held at the bottom, then swings up from there
    at(o).y = 560;
    for (int f = 1; f <= 32; ++f) objectPass();
    EXPECT_EQ(at(o).y, 600 - 32);
    for (int f = 1; f <= 32; ++f) objectPass();
    EXPECT_EQ(at(o).y, 600 - 32 - 96);
}

TEST_F(ShootingStage, Pattern3LoopsASquareAndFiresOncePer66Frames) {
    const int32_t o = place(kFoeRow, 1, 400, 200, 3, 0);
    const auto checkAt = [&](int frames, int32_t x, int32_t y) {
        for (int f = 0; f < frames; ++f) objectPass();
        EXPECT_EQ(at(o).x, x);
        EXPECT_EQ(at(o).y, y);
    };
    checkAt(17, 400, 251);  // 17 frames down
    checkAt(16, 448, 251);  // right
    checkAt(16, 448, 203);  // up
    checkAt(16, 400, 203);  // left
    EXPECT_EQ(liveSlotEnd, 2);
    const std::vector<Shot> shots = runCollectingShots(66, 66);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].frame, 66);  // the still frame on which the phase goes back to 0
    EXPECT_EQ(shots[0].direction, 25);
    EXPECT_EQ(shots[0].x, 400 + 16);
    EXPECT_EQ(shots[0].y, 203 + 16);
    EXPECT_EQ(at(o).y, 206);  // each cycle ends SP lower
    EXPECT_EQ(at(o).counter, 65);
    EXPECT_EQ(at(o + 1).move, 6);  // pattern fire flies along its direction
}

TEST_F(ShootingStage, Pattern4LoopsADiamondAndFiresTwoFansOfThree) {
    const int32_t o = place(kFoeRow, 1, 400, 200, 4, 0);
    std::vector<Shot> shots;
    std::vector<std::pair<int32_t, int32_t>> path;
    for (int f = 1; f <= 66; ++f) {
        const int32_t end = liveSlotEnd;
        objectPass();
        path.push_back({at(o).x, at(o).y});
        for (int32_t s = end; s < liveSlotEnd; ++s)
            shots.push_back({f, at(s).counter, at(s).x, at(s).y});
    }
    ASSERT_EQ(shots.size(), 6u);
    const int32_t fans[] = {22, 26, 24, 22, 26, 24};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(shots[k].direction, fans[k]);
        EXPECT_EQ(shots[k].frame, k < 3 ? 16 : 48);  // the new phase is 16 or 48
        const auto [x, y] = path[shots[k].frame - 1];
        EXPECT_EQ(shots[k].x, x + 16);  // from the centre, after the frame's move
        EXPECT_EQ(shots[k].y, y + 16);
    }
    EXPECT_EQ(path[16], (std::pair<int32_t, int32_t>{451, 251}));  // 17 frames down-right
    EXPECT_EQ(path[32], (std::pair<int32_t, int32_t>{499, 203}));
    EXPECT_EQ(path[48], (std::pair<int32_t, int32_t>{451, 155}));
    EXPECT_EQ(path[65], (std::pair<int32_t, int32_t>{403, 203}));  // SP right and SP lower
    EXPECT_EQ(at(o).counter, 0);
}

TEST_F(ShootingStage, Pattern5CirclesAndFiresEightShotsPer34FramesNoneDownLeft) {
    CharTable[kFoeRow].SP = 5;
    const int32_t o = place(kFoeRow, 1, 400, 200, 5, 0);
    std::vector<Shot> shots = runCollectingShots(34);
    // Angled steps truncate toward zero, so the circle does not close.
    EXPECT_EQ(at(o).x, 385);
    EXPECT_EQ(at(o).y, 190);
    EXPECT_EQ(at(o).counter, 0);
    ASSERT_EQ(shots.size(), 8u);
    const int32_t directions[] = {4, 8, 12, 16, 20, 24, 32, 0};
    const int frames[] = {4, 8, 12, 16, 20, 24, 32, 34};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(shots[k].direction, directions[k]);
        EXPECT_EQ(shots[k].frame, frames[k]);
    }
    EXPECT_EQ(shots[0].x, 403 + 16);  // after the fourth step of the circle (phase 3)
    EXPECT_EQ(shots[0].y, 217 + 16);
    shots = runCollectingShots(34, 35);
    EXPECT_EQ(shots.size(), 8u);
    for (const Shot& s : shots) EXPECT_FALSE(s.direction > 24 && s.direction < 32) << s.direction;
}

TEST_F(ShootingStage, PhasesOutsideTheCycleResetOnTheFirstFrame) {
    const int32_t swing = place(kFoeRow, 1, 100, 200, 2, 100);
    const int32_t square = place(kFoeRow, 1, 200, 200, 3, 100);
    const int32_t circle = place(kFoeRow, 1, 300, 200, 5, 100);
    const std::vector<Shot> shots = runCollectingShots(1);
    for (int32_t o : {swing, square, circle}) {
        EXPECT_EQ(at(o).counter, 0);
        EXPECT_EQ(at(o).y, 200);
    }
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].direction, 25);
    EXPECT_EQ(shots[1].direction, 0);
}

TEST_F(ShootingStage, Pattern6FliesAlongItsDirection) {
    CharTable[kFoeRow].SP = 5;
    const int32_t right = place(kFoeRow, 1, 100, 100, 6, 8);
    const int32_t down = place(kFoeRow, 1, 200, 100, 6, 0);
    const int32_t straight = place(kFoeRow, 1, 300, 100, 6, 32);
    const int32_t beyond = place(kFoeRow, 1, 400, 100, 6, 40);
    for (int f = 0; f < 4; ++f) objectPass();
    EXPECT_EQ(at(right).x, 120);
    EXPECT_EQ(at(right).y, 100);
    EXPECT_EQ(at(down).x, 200);
    EXPECT_EQ(at(down).y, 120);
    EXPECT_EQ(at(straight).x, 320);
    EXPECT_EQ(at(beyond).x, 420);
    EXPECT_EQ(at(right).counter, 8);  // the direction never changes
}

TEST_F(ShootingStage, ASlowShotInDirection1StandsStillUnlessBelowZero) {
    CharTable[kFoeRow].SP = 1;
    const int32_t still = place(kFoeRow, 1, 100, 100, 6, 1);
    const int32_t drifting = place(kFoeRow, 1, -5, -3, 6, 1);
    for (int f = 0; f < 3; ++f) objectPass();
    EXPECT_EQ(at(still).x, 100);
    EXPECT_EQ(at(still).y, 100);
    // Below zero every fraction rounds toward zero, so it creeps right and down by 1.
    EXPECT_EQ(at(drifting).x, -2);
    EXPECT_EQ(at(drifting).y, 0);
    for (int f = 0; f < 5; ++f) objectPass();
    EXPECT_EQ(at(drifting).x, 0);
    EXPECT_EQ(at(drifting).y, 0);
}

TEST_F(ShootingStage, AngledStepsTruncateTowardZero) {
    EXPECT_EQ(truncatedStep(5, 0.5), 5);
    EXPECT_EQ(truncatedStep(5, -0.5), 4);
    EXPECT_EQ(truncatedStep(-5, 0.5), -4);
    EXPECT_EQ(truncatedStep(-5, -0.5), -5);
    EXPECT_EQ(truncatedStep(INT_MAX, 1.0), INT_MIN);  // out of range, as the processor gives
}

TEST_F(ShootingStage, StraightPatternsAreNeverClampedAndLeaveTheScreen) {
    const int32_t right = place(kFoeRow, 1, 790, 100, 1);
    const int32_t left7 = place(kFoeRow, 1, -28, 100, 7);
    const int32_t left8 = place(kFoeRow, 1, 10, 100, 8);
    const int32_t still = place(kFoeRow, 1, 10, 700 - 1000, 0);
    const int32_t unknown = place(kFoeRow, 1, 500, 100, 9);
    objectPass();
    EXPECT_EQ(at(right).x, 793);  // past 800 - WID, not clamped
    EXPECT_EQ(at(left7).x, -31);
    EXPECT_EQ(at(left8).x, 7);
    EXPECT_EQ(at(still).inUse, 0);  // above the screen: removed whatever its move
    EXPECT_EQ(at(unknown).x, 500);
    for (int f = 0; f < 3; ++f) objectPass();
    EXPECT_EQ(at(right).inUse, 0);
    EXPECT_EQ(at(left7).inUse, 0);
    EXPECT_EQ(at(left8).inUse, 1);
}

TEST_F(ShootingStage, ShotsFiredIntoLaterSlotsMoveInTheSameFrame) {
    CharTable[kFoeShotRow].SP = 8;
    const int32_t gap = place(kFoeRow, 1, 100, 100);
    const int32_t shooter = place(kFoeRow, 1, 400, 200, 3, 65);
    at(gap).inUse = 0;
    objectPass();  // the first shot takes the free slot below the shooter: not moved yet
    ASSERT_EQ(at(gap).inUse, 1);
    EXPECT_EQ(at(gap).x, 416);
    EXPECT_EQ(at(gap).y, 216);
    at(shooter).counter = 65;
    objectPass();  // the second lands above it and flies at once
    const int32_t later = shooter + 1;
    ASSERT_EQ(at(later).inUse, 1);
    EXPECT_EQ(at(later).x, truncatedStep(416, 8 * engineSin(25 * kAngleStep)));
    EXPECT_EQ(at(later).y, truncatedStep(216, 8 * engineCos(25 * kAngleStep)));
    EXPECT_EQ(at(later).x, 408);  // left and slightly down
    EXPECT_EQ(at(later).y, 217);
}
