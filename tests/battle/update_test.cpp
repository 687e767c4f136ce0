#include <cmath>

#include "battle/battle.h"
#include "battle/battle_update.h"
#include "battle/weapons.h"
#include "battle_support.h"
#include "platform/random.h"

namespace {

constexpr int kUnit = 1;      // TYP 0 unit
constexpr int kTank = 2;      // TYP 3 unit
constexpr int kBullet = 3;    // TYP 1 shot
constexpr int kHoming = 4;    // TYP 21 shot
constexpr int kBlock = 5;     // TYP 2 block
constexpr int kProp = 6;      // TYP 4: no behaviour
constexpr int kBlast = 7;     // TYP 6 timed object
constexpr int kWreck = 8;     // TYP 5 remains

class UpdateTest : public BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        defineTemplate(kUnit, 0, 10, 3, 0, 16);
        defineTemplate(kTank, 3, 10, 3, 0, 16);
        defineTemplate(kBullet, 1, 10, 3, 0, 4);
        defineTemplate(kHoming, 21, 1, 5, 4, 8);
        defineTemplate(kBlock, 2, 1, 0, 0, 32);
        defineTemplate(kProp, 4, 1, 0, 0, 16);
        defineTemplate(kBlast, 6, 1, 0, 0, 16);
        defineTemplate(kWreck, 5, 1, 7, 0, 0);
    }

    Entity& player() { return EntityTable[kPlayerSlot]; }

    // An object that neither steers nor is steered, so tests see only what they set up.
    int placeStill(int templ, int side, int x, int y) {
        const int n = place(templ, side, x, y);
        EntityTable[n].goalX = kNoTarget;
        return n;
    }
};

}  // namespace

TEST_F(UpdateTest, HeadingWrapsOnceEachWay) {
    startStage();
    const int a = placeStill(kProp, 0, 100, 100);
    const int b = placeStill(kProp, 0, 200, 100);
    const int c = placeStill(kProp, 0, 300, 100);
    EntityTable[a].angle = kTwoPi;
    EntityTable[b].angle = -0.1;
    EntityTable[c].angle = 2 * kTwoPi;
    battleUpdate();
    EXPECT_EQ(EntityTable[a].angle, kTwoPi);
    EXPECT_EQ(EntityTable[b].angle, -0.1 + kTwoPi);
    EXPECT_EQ(EntityTable[c].angle, 2 * kTwoPi - kTwoPi);
}

TEST_F(UpdateTest, MotionIsTruncatedPerAxis) {
    startStage();
    const int n = placeStill(kProp, 0, 100, 100);
    EntityTable[n].SP = 3;
    EntityTable[n].angle = 0.3;
    battleUpdate();
    EXPECT_EQ(EntityTable[n].x, 100);
    EXPECT_EQ(EntityTable[n].y, 102);
}

TEST_F(UpdateTest, SteeringTurnsTheFullStepAndSwingsAcross) {
    startStage();
    const int n = placeStill(kProp, 0, 100, 100);
    Entity& e = EntityTable[n];
    e.goalX = 200;  // straight right: bearing pi/2
    e.goalY = 100;
    e.angle = kHalfPi - 0.01;
    battleUpdate();
    EXPECT_EQ(e.angle, kHalfPi - 0.01 + 1.0 / 16);
    battleUpdate();
    EXPECT_EQ(e.angle, kHalfPi - 0.01 + 1.0 / 16 - 1.0 / 16);
}

TEST_F(UpdateTest, SteeringTakesTheShortWayAroundAndWraps) {
    startStage();
    const int n = placeStill(kProp, 0, 100, 100);
    Entity& e = EntityTable[n];
    e.goalX = 90;  // just left of straight down: bearing near 2 pi
    e.goalY = 200;
    e.angle = 0.02;
    battleUpdate();
    EXPECT_EQ(e.angle, 0.02 - 1.0 / 16 + kTwoPi);
}

TEST_F(UpdateTest, ObjectsWithoutSizeNeverTurn) {
    CharTable[0].SIZ = 0;
    startStage();
    const int n = placeStill(kProp, 0, 100, 100);
    EntityTable[n].SIZ = -4;
    EntityTable[n].goalX = 300;
    EntityTable[n].angle = 1.0;
    InputState.arrowX = 1;
    battleUpdate();
    EXPECT_EQ(EntityTable[n].angle, 1.0);
    EXPECT_EQ(player().angle, 0.0);
    EXPECT_EQ(player().goalX, kNoTarget);
    InputState.arrowX = 0;
    InputState.buttonR = 1;
    InputState.mouseX = 500;
    InputState.mouseY = 500;
    battleUpdate();
    EXPECT_EQ(player().angle, 0.0);
    EXPECT_EQ(player().goalX, 500);
}

TEST_F(UpdateTest, RightClickNearerThan64IsDroppedWithoutTurning) {
    startStage();
    InputState.buttonR = 1;
    InputState.mouseX = 64 + 40;
    InputState.mouseY = 288 + 48;  // 62 away
    battleUpdate();
    EXPECT_EQ(player().goalX, kNoTarget);
    EXPECT_EQ(player().angle, 0.0);

    InputState.mouseX = 64 + 64;  // exactly 64 away, to the right
    InputState.mouseY = 288;
    battleUpdate();
    EXPECT_EQ(player().goalX, 128);
    EXPECT_EQ(player().goalY, 288);
    EXPECT_EQ(player().angle, 1.0 / 16);
    EXPECT_EQ(InputState.buttonR, 1);  // never cleared by the stage
}

TEST_F(UpdateTest, ArrowKeyBeatsTheRightButton) {
    startStage();
    InputState.buttonR = 1;
    InputState.mouseX = 600;
    InputState.mouseY = 288;
    InputState.arrowX = 1;
    battleUpdate();
    EXPECT_EQ(player().goalX, kNoTarget);
    EXPECT_EQ(player().angle, -1.0 / 16 + kTwoPi);
    InputState.arrowX = -1;
    battleUpdate();
    EXPECT_EQ(player().goalX, kNoTarget);
    EXPECT_EQ(player().angle, -1.0 / 16 + kTwoPi + 1.0 / 16);
}

TEST_F(UpdateTest, MouseBelowTheFieldIsIgnored) {
    startStage();
    InputState.buttonL = 1;
    InputState.buttonR = 1;
    InputState.mouseX = 400;
    InputState.mouseY = 600;
    battleUpdate();
    EXPECT_EQ(InputState.buttonL, 1);
    EXPECT_EQ(InputState.keyZ, 0);
    EXPECT_EQ(player().goalX, kNoTarget);
}

// The request is used up even with nothing to aim at; the sound follows the parity of the
// frame's random draw all the same.
TEST_F(UpdateTest, ZWithoutAimConsumesTheRequest) {
    CharTable[0].WEP[0] = kBullet;
    startStage();
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        seedRandom(seed);
        const bool even = randomNext() % 2 == 0;
        seedRandom(seed);
        hp.trace.clear();
        InputState.keyZ = 1;
        battleUpdate();
        EXPECT_EQ(InputState.keyZ, 0);
        EXPECT_EQ(liveCount(), 1);
        EXPECT_EQ(traced("open ././wav/shot00.wav alias SHOTVOX"), even) << "seed " << seed;
    }
}

TEST_F(UpdateTest, LeftClickWhileCoolingAimsAtOnceAndFiresWhenReady) {
    CharTable[0].WEP[0] = kBullet;
    CharTable[0].BLA[0] = 20;
    startStage();
    player().cool[0] = 3;
    InputState.buttonL = 1;
    InputState.mouseX = 400;
    InputState.mouseY = 300;
    battleUpdate();
    EXPECT_EQ(player().aimX[0], 400);
    EXPECT_EQ(player().aimY[0], 300);
    EXPECT_EQ(InputState.buttonL, 0);
    EXPECT_EQ(InputState.keyZ, 1);
    battleUpdate();
    battleUpdate();
    EXPECT_EQ(liveCount(), 1);
    battleUpdate();
    EXPECT_EQ(liveCount(), 2);
    EXPECT_EQ(InputState.keyZ, 0);
    EXPECT_EQ(EntityTable[1].angle, bearing(64, 288, 400, 300));
    EXPECT_EQ(player().cool[0], 19);
}

TEST_F(UpdateTest, AutomaticWeaponRefiresAfterItsInterval) {
    CharTable[0].WEP[1] = kBullet;
    CharTable[0].BLA[1] = 10;
    CharTable[0].LEN[1] = 300;
    CharTable[kBullet].DEA = 0;
    startStage();
    placeStill(kTank, 1, 264, 288);
    std::vector<int> firing;
    int shots = 0;
    for (int frame = 1; frame <= 25; ++frame) {
        battleUpdate();
        int now = 0;
        for (const Entity& e : EntityTable) now += e.inUse == 1 && e.TYP == 1;
        if (now > shots) firing.push_back(frame);
        shots = now;
    }
    EXPECT_EQ(firing, (std::vector<int>{1, 11, 21}));
}

TEST_F(UpdateTest, UnitsCycleRetargetDriveAndFireEvery34Frames) {
    startStage();
    const int n = place(kTank, 1, 400, 288, 0);
    Entity& e = EntityTable[n];
    e.WEP[0] = kBullet;
    e.LEN[0] = 500;
    std::vector<int> firing;
    int shots = 0;
    for (int frame = 1; frame <= 70; ++frame) {
        battleUpdate();
        int now = 0;
        for (const Entity& s : EntityTable) now += s.inUse == 1 && s.TYP == 1;
        if (now > shots) firing.push_back(frame);
        shots = now;
        if (frame == 17) {
            EXPECT_EQ(e.goalX, 64);
        } else if (frame == 18) {
            EXPECT_EQ(e.goalX, kNoTarget);
        }
    }
    EXPECT_EQ(firing, (std::vector<int>{34, 68}));
}

TEST_F(UpdateTest, UnitsLeaveTrailMarksOnTheirHeading) {
    startStage();
    const int n = placeStill(kUnit, 0, 300, 300);
    EntityTable[n].angle = 1.25;
    EntityTable[n].counter = 20;  // driving straight
    trailTick = 7;
    battleUpdate();
    EXPECT_EQ(liveCount(), 2);
    battleUpdate();
    ASSERT_EQ(liveCount(), 4);
    // The player's mark took slot 2 and the unit's slot 3; both ran in the same pass.
    EXPECT_EQ(EntityTable[2].x, 64);
    EXPECT_EQ(EntityTable[2].angle, 0.0);
    EXPECT_EQ(EntityTable[3].x, 300);
    EXPECT_EQ(EntityTable[3].angle, 1.25);
    EXPECT_EQ(EntityTable[3].side, 0);
    EXPECT_EQ(EntityTable[3].TYP, 5);
    EXPECT_EQ(EntityTable[3].counter, 7);
}

TEST_F(UpdateTest, TimedObjectExpiresIntoRemains) {
    CharTable[kBlast].DEA = kWreck;
    startStage();
    const int n = placeStill(kBlast, 1, 300, 300);
    EntityTable[n].counter = 2;
    EntityTable[n].aimX[3] = 77;
    battleUpdate();
    battleUpdate();
    EXPECT_EQ(EntityTable[n].inUse, 1);
    battleUpdate();
    EXPECT_EQ(EntityTable[n].inUse, 0);
    ASSERT_EQ(EntityTable[n + 1].inUse, 1);
    EXPECT_EQ(EntityTable[n + 1].TYP, 5);
    EXPECT_EQ(EntityTable[n + 1].aimX[3], 77);
    // Spawned after its maker's slot, it has its first turn in the same pass.
    EXPECT_EQ(EntityTable[n + 1].counter, 63);
}

TEST_F(UpdateTest, HitsRespectTheGuard) {
    startStage();
    const int a = placeStill(kUnit, 1, 300, 300);
    const int b = placeStill(kUnit, 2, 305, 300);
    std::vector<int> hpA;
    for (int frame = 1; frame <= 17; ++frame) {
        battleUpdate();
        hpA.push_back(EntityTable[a].HP);
        EXPECT_EQ(EntityTable[a].HP, EntityTable[b].HP);
    }
    EXPECT_EQ(hpA, (std::vector<int>{7, 7, 7, 7, 7, 7, 7, 7, 4, 4, 4, 4, 4, 4, 4, 4, 1}));
    EXPECT_EQ(EntityTable[a].guard, 8);
}

TEST_F(UpdateTest, LiftedShotsPassOverUnits) {
    startStage();
    const int a = placeStill(kUnit, 1, 300, 300);
    const int s = placeStill(kBullet, 2, 300, 300);
    EntityTable[s].z = 20;
    EntityTable[s].counter = 100;
    battleUpdate();
    EXPECT_EQ(EntityTable[a].HP, 10);
    EntityTable[s].z = 9;  // (16 + 4) / 2 = 10 reaches it
    battleUpdate();
    EXPECT_EQ(EntityTable[a].HP, 7);
}

TEST_F(UpdateTest, ShotThatKillsTakesTheDyingUnitsBlow) {
    CharTable[kUnit].HP = 2;
    CharTable[kUnit].BP = 5;
    startStage();
    const int u = placeStill(kUnit, 1, 300, 300);
    const int s = placeStill(kBullet, 0, 300, 300);
    EntityTable[s].counter = 100;
    battleUpdate();
    EXPECT_EQ(EntityTable[u].inUse, 0);
    EXPECT_EQ(EntityTable[s].HP, 10 - 5);
}

TEST_F(UpdateTest, ShotThatKillsTakesTheBlowOfRemainsInTheSameSlot) {
    CharTable[kUnit].HP = 2;
    CharTable[kUnit].BP = 5;
    CharTable[kUnit].DEA = kWreck;
    startStage();
    const int u = placeStill(kUnit, 1, 300, 300);
    const int s = placeStill(kBullet, 0, 300, 300);
    EntityTable[s].counter = 100;
    battleUpdate();
    ASSERT_EQ(EntityTable[u].inUse, 1);
    EXPECT_EQ(EntityTable[u].TYP, 5);
    EXPECT_EQ(EntityTable[s].HP, 10 - 7);
}

TEST_F(UpdateTest, KilledShotsLeaveNoRemains) {
    CharTable[kBullet].HP = 1;
    CharTable[kBullet].DEA = kWreck;
    startStage();
    placeStill(kUnit, 1, 300, 300);
    const int s = placeStill(kBullet, 0, 300, 300);
    EntityTable[s].counter = 100;
    battleUpdate();
    EXPECT_EQ(EntityTable[s].inUse, 0);
    EXPECT_EQ(liveCount(), 2);
}

TEST_F(UpdateTest, HitPlayerHearsItUnlessItIsAShot) {
    startStage();
    placeStill(kUnit, 1, 70, 288);
    battleUpdate();
    EXPECT_EQ(player().HP, 7);
    EXPECT_TRUE(traced("open ././wav/mehit.wav alias SHOTVOX"));
}

TEST_F(UpdateTest, TanksAreHitOnlyByTheirKinds) {
    startStage();
    const int t = placeStill(kTank, 1, 300, 300);
    placeStill(kUnit, 2, 300, 300);
    const int s = placeStill(kBullet, 2, 300, 300);
    EntityTable[s].counter = 100;
    battleUpdate();
    EXPECT_EQ(EntityTable[t].HP, 10 - 3);  // the bullet, not the unit
    EXPECT_EQ(EntityTable[s].HP, 10 - 3);
}

TEST_F(UpdateTest, PlayersHomingShotTurnsBackAndPassesThrough) {
    CharTable[0].WEP[0] = kHoming;
    CharTable[0].LEN[0] = 400;
    startStage();
    InputState.buttonL = 1;
    InputState.mouseX = 400;
    InputState.mouseY = 288;
    seedRandom(1);
    int slot = -1;
    int furthest = 0;
    bool passed = false;
    for (int frame = 1; frame <= 120; ++frame) {
        battleUpdate();
        if (frame == 1) {
            for (int n = 1; n < kEntityCount; ++n) {
                if (EntityTable[n].inUse == 1 && EntityTable[n].TYP == 21) slot = n;
            }
            ASSERT_GT(slot, 0);
        }
        const Entity& shot = EntityTable[slot];
        if (shot.inUse != 1) break;
        furthest = std::max(furthest, shot.x);
        if (std::abs(shot.x - 64) + std::abs(shot.y - 288) < 12) passed = true;
        EXPECT_EQ(shot.goalX, 64);
        EXPECT_EQ(player().HP, 10);
    }
    EXPECT_EQ(EntityTable[slot].inUse, 0);
    EXPECT_LT(furthest, 64 + 4 * 30);
    EXPECT_TRUE(passed);
    EXPECT_EQ(player().HP, 10);
    EXPECT_EQ(player().inUse, 1);
}

TEST_F(UpdateTest, BlocksPushUnitsOutAlongTheLongerAxis) {
    startStage();
    const int block = placeStill(kBlock, 1, 300, 300);
    const int above = placeStill(kUnit, 0, 302, 280);
    const int left = placeStill(kUnit, 0, 270, 305);
    const int diagonal = placeStill(kTank, 0, 290, 290);
    EntityTable[above].vspeed = 5;
    EntityTable[diagonal].TYP = 0;
    EntityTable[diagonal].x = 320;
    EntityTable[diagonal].y = 320;
    battleUpdate();
    EXPECT_EQ(EntityTable[above].y, 300 - 48);
    EXPECT_EQ(EntityTable[above].x, 302);
    EXPECT_EQ(EntityTable[above].vspeed, 0);
    EXPECT_EQ(EntityTable[left].x, 300 - 48);
    EXPECT_EQ(EntityTable[diagonal].x, 320);
    EXPECT_EQ(EntityTable[diagonal].y, 320);
    EXPECT_EQ(EntityTable[block].x, 300);
}

TEST_F(UpdateTest, OverlappingUnitsBackOffAlongTheirHeadings) {
    CharTable[kUnit].SP = 3;
    startStage();
    const int a = placeStill(kUnit, 0, 400, 400);
    const int b = placeStill(kUnit, 0, 400, 410);
    EntityTable[a].counter = 20;  // driving straight, no retargeting
    EntityTable[b].counter = 20;
    EntityTable[a].angle = 0;       // down
    EntityTable[b].angle = kPi;     // up
    battleUpdate();
    // Each moved 3 toward the other, then backed off 6.
    EXPECT_EQ(EntityTable[a].y, 400 + 3 - 6);
    EXPECT_EQ(EntityTable[b].y, 410 - 2 + 5);
}

TEST_F(UpdateTest, NoOpponentsWinsOnTheFirstFrame) {
    startStage();
    placeStill(kBullet, 1, 500, 500);
    placeStill(kBlock, 1, 500, 100);
    placeStill(kProp, 0, 100, 100);
    battleUpdate();
    EXPECT_EQ(opponentsLeft, 0);
    EXPECT_EQ(stageCountdown, 300);
    EXPECT_EQ(stageResult, 1);
    EXPECT_TRUE(traced("open ././wav/win.wav alias SHOTVOX"));
}

TEST_F(UpdateTest, OpponentsOfEveryCountedKindKeepTheStageOpen) {
    startStage();
    placeStill(kProp, 1, 700, 100);
    battleUpdate();
    EXPECT_EQ(opponentsLeft, 1);
    EXPECT_EQ(stageCountdown, -1);
}

TEST_F(UpdateTest, PlayerFallingWithTheLastOpponentWins) {
    CharTable[0].HP = 3;
    CharTable[kUnit].HP = 3;
    CharTable[0].BP = 5;
    startStage();
    placeStill(kUnit, 1, 70, 290);
    battleUpdate();
    EXPECT_EQ(player().inUse, 0);
    EXPECT_EQ(opponentsLeft, 0);
    EXPECT_EQ(stageResult, 1);
    EXPECT_EQ(stageCountdown, 300);
    EXPECT_TRUE(traced("win.wav"));
    EXPECT_FALSE(traced("lost.wav"));
}

TEST_F(UpdateTest, LostStageStaysLost) {
    CharTable[0].HP = 3;
    startStage();
    const int u = placeStill(kUnit, 1, 70, 290);
    battleUpdate();
    EXPECT_EQ(player().inUse, 0);
    EXPECT_EQ(stageResult, 0);
    EXPECT_EQ(stageCountdown, 300);
    EXPECT_TRUE(traced("open ././wav/lost.wav alias SHOTVOX"));
    stageCountdown = 299;
    EntityTable[u].inUse = 0;
    battleUpdate();
    EXPECT_EQ(stageResult, 0);
    EXPECT_EQ(stageCountdown, 299);
}
