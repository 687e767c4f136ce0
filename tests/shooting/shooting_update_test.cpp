#include <gtest/gtest.h>

#include <vector>

#include "app/main_loop.h"
#include "platform/random.h"
#include "shooting/shooting_update.h"
#include "stage_fixture.h"

namespace {

std::vector<int> framesWithNewShots(int frames) {
    std::vector<int> fired;
    for (int f = 1; f <= frames; ++f) {
        const int before = std::count_if(EntityTable, EntityTable + kEntityCount,
                                         [](const Entity& e) { return e.inUse == 1 && e.TYP == 1; });
        shootingUpdate();
        const int after = std::count_if(EntityTable, EntityTable + kEntityCount,
                                        [](const Entity& e) { return e.inUse == 1 && e.TYP == 1; });
        if (after > before) fired.push_back(f);
    }
    return fired;
}

}  // namespace

TEST_F(ShootingStage, HoldingZFiresEveryFrameWithBla0AndEverySixthWithBla5) {
    InputState.keyZ = 1;
    CharTable[kPlayerRow].BLA[0] = 0;
    resetShootingStage();
    EXPECT_EQ(framesWithNewShots(12), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    CharTable[kPlayerRow].BLA[0] = 5;
    resetShootingStage();
    EXPECT_EQ(framesWithNewShots(18), (std::vector<int>{1, 7, 13}));
    EXPECT_EQ(player().cool[0], 0);  // reloaded on frame 18, fires again on 19
}

TEST_F(ShootingStage, AShotLeavesThePlayersCentreAndOnlyEvenDrawsSoundIt) {
    seedRandom(77);
    int evenDraws = 0;
    for (int i = 0; i < 10; ++i) evenDraws += randomNext() % 2 == 0;
    seedRandom(77);
    const bool firstEven = randomNext() % 2 == 0;
    seedRandom(77);

    place(kFoeRow, 1, 700, 50);  // keeps the stage undecided
    InputState.keyZ = 1;
    shootingUpdate();
    // Fired from (64 + 16, 288 + 16) and moved 8 to the right in the same frame.
    const int32_t s = 2;
    EXPECT_EQ(at(s).inUse, 1);
    EXPECT_EQ(at(s).x, 88);
    EXPECT_EQ(at(s).y, 304);
    EXPECT_EQ(at(s).move, 1);
    EXPECT_EQ(at(s).side, 0);
    ASSERT_TRUE(firstEven);
    ASSERT_EQ(hp.trace.size(), 3u);
    EXPECT_EQ(hp.trace[0], "0 mci close SHOTVOX");
    EXPECT_EQ(hp.trace[1], "0 mci open ././wav/shot00.wav alias SHOTVOX");
    EXPECT_EQ(hp.trace[2], "0 mci play SHOTVOX");
    for (int f = 2; f <= 10; ++f) shootingUpdate();
    ASSERT_EQ(evenDraws, 5);  // the seed's draws are mixed, so parity matters
    EXPECT_EQ(soundsStarted("./wav/shot00.wav"), evenDraws);
}

TEST_F(ShootingStage, ArrowsMoveBothAxesAtFullSpeedInsideThePlayfield) {
    StageParams.groundTop = 270;
    InputState.arrowX = 1;
    InputState.arrowY = -1;
    shootingUpdate();
    EXPECT_EQ(player().x, 68);
    EXPECT_EQ(player().y, 284);
    for (int f = 0; f < 300; ++f) shootingUpdate();
    EXPECT_EQ(player().x, 800 - 32);
    EXPECT_EQ(player().y, 270);
    InputState.arrowX = -1;
    InputState.arrowY = 1;
    for (int f = 0; f < 300; ++f) shootingUpdate();
    EXPECT_EQ(player().x, 0);
    EXPECT_EQ(player().y, 600 - 32);  // held at the bottom without gravity
}

TEST_F(ShootingStage, AFallOffTheBottomLosesTheStage) {
    CharTable[kPlayerRow].GRA = 1;
    resetShootingStage();
    place(kFoeRow, 1, 700, 50);
    int frame = 0;
    int32_t expectedSpeed = 0;
    while (player().inUse == 1) {
        const int32_t yBefore = player().y;
        ++frame;
        shootingUpdate();
        expectedSpeed = std::min(expectedSpeed + 2, 10);
        EXPECT_EQ(player().vspeed, expectedSpeed) << "frame " << frame;
        if (player().inUse == 0) {
            EXPECT_GT(yBefore, 600);  // removed by the clamp once it is past the bottom edge
            EXPECT_EQ(stageCountdown, 300);
            EXPECT_EQ(stageResult, 0);
        } else {
            EXPECT_EQ(stageCountdown, -1);
        }
        ASSERT_LT(frame, 100);
    }
    EXPECT_EQ(soundsStarted("./wav/lost.wav"), 1);
    EXPECT_EQ(soundsStarted("./wav/win.wav"), 0);
}

TEST_F(ShootingStage, ThePlayerStandsOnABlockAndJumps256PixelsIn16Frames) {
    CharTable[kPlayerRow].GRA = 1;
    resetShootingStage();
    place(kFoeRow, 1, 700, 50);
    const int32_t block = place(kBlockRow, 1, 64, 320);
    for (int f = 0; f < 3; ++f) {
        shootingUpdate();
        EXPECT_EQ(player().y, 288);  // 320 - the block's SIZ
        EXPECT_EQ(player().vspeed, 0);
    }
    InputState.keyX = 1;
    int32_t highest = player().y;
    int32_t speed = -31;
    for (int f = 1; f <= 16; ++f) {
        shootingUpdate();
        EXPECT_EQ(player().vspeed, speed + 2);  // never 0 in the air, so held X does nothing
        speed += 2;
        highest = std::min(highest, player().y);
    }
    EXPECT_EQ(highest, 288 - 256);
    int frames = 0;
    while (player().vspeed != 0 && frames < 100) {
        shootingUpdate();
        ++frames;
    }
    EXPECT_EQ(player().y, 288);  // landed on the block again
    shootingUpdate();
    EXPECT_EQ(player().vspeed, -29);  // and jumps again at once
    EXPECT_EQ(at(block).HP, 1000);
}

TEST_F(ShootingStage, OverlappingBodiesExchangeDamageTwicePerFrameAndLeaveRemains) {
    CharTable[kFoeRow].DEA = kRemainsRow;
    const int32_t a = place(kFoeRow, 1, 400, 100);
    const int32_t b = place(kFoeRow, 2, 410, 110);
    shootingUpdate();
    EXPECT_EQ(at(a).HP, 4);
    EXPECT_EQ(at(b).HP, 4);
    shootingUpdate();
    // Destroyed on the second visit (b, a): b settles first and its remains take its own,
    // lowest free, slot; a's remains then take a's slot.
    EXPECT_EQ(at(b).TYP, 5);
    EXPECT_EQ(at(b).side, 2);
    EXPECT_EQ(at(b).x, 410);
    EXPECT_EQ(at(b).y, 110 - 32);
    EXPECT_EQ(at(b).move, 8);
    EXPECT_EQ(at(a).TYP, 5);
    EXPECT_EQ(at(a).side, 1);
    EXPECT_EQ(at(a).x, 400);
    EXPECT_EQ(at(a).y, 100 - 32);
    EXPECT_EQ(liveSlotEnd, 3);
}

TEST_F(ShootingStage, AHitPlayerHearsTheHitOnBothVisits) {
    const int32_t foe = place(kFoeRow, 1, 70, 290);
    shootingUpdate();
    EXPECT_EQ(player().HP, 4);
    EXPECT_EQ(at(foe).HP, 8);
    EXPECT_EQ(soundsStarted("./wav/mehit.wav"), 2);
}

TEST_F(ShootingStage, TemplateNumbersOutsideTheTableSpawnNothing) {
    CharTable[kPlayerRow].WEP[0] = -1;
    CharTable[kPlayerRow].BLA[0] = 3;
    CharTable[kFoeRow].WEP[0] = -7;
    CharTable[kFoeRow].DEA = -3;
    resetShootingStage();
    place(kFoeRow, 1, 400, 200, 3, 65);  // fires this frame
    const int32_t doomed = place(kFoeRow, 1, 600, 100);
    place(kFoeRow, 2, 600, 100);
    at(doomed).HP = 1;
    InputState.keyZ = 1;
    shootingUpdate();
    EXPECT_EQ(at(doomed).inUse, 0);
    EXPECT_EQ(liveSlotEnd, 4);           // no shot, no pattern shot, no remains
    EXPECT_EQ(player().cool[0], 3);      // the weapon still reloads
}

TEST_F(ShootingStage, ShotsPassThroughShotsAndHitBlocks) {
    const int32_t mine = place(kFoeShotRow, 1, 300, 100);
    const int32_t theirs = place(kFoeShotRow, 2, 301, 100);
    CharTable[kFoeShotRow].DEA = kRemainsRow;  // shots leave no remains all the same
    const int32_t shot = place(kFoeShotRow, 1, 500, 100);
    const int32_t block = place(kBlockRow, 2, 510, 100);
    at(block).BP = 1;
    shootingUpdate();
    EXPECT_EQ(at(mine).inUse, 1);
    EXPECT_EQ(at(theirs).inUse, 1);
    EXPECT_EQ(at(mine).HP, 1);
    EXPECT_EQ(at(shot).inUse, 0);
    EXPECT_EQ(at(block).HP, 999);
    EXPECT_EQ(liveCount(5), 0);
}

TEST_F(ShootingStage, ABlockPushesABodyOutByItsOwnSizeAlongTheLongerOffset) {
    struct Case {
        int32_t x, y, expectX, expectY;
        bool stands;
    };
    const Case cases[] = {
        {405, 380, 405, 368, true},   // above: put on top, standing
        {405, 420, 405, 432, false},  // below
        {380, 405, 368, 405, false},  // left
        {420, 405, 432, 405, false},  // right
        {380, 380, 380, 380, false},  // |dx| = |dy|: left where it is
    };
    for (const Case& c : cases) {
        resetShootingStage();
        place(kBlockRow, 2, 400, 400);
        const int32_t body = place(kFoeRow, 1, c.x, c.y);
        at(body).vspeed = 7;
        shootingCollisionPass();
        EXPECT_EQ(at(body).x, c.expectX) << c.x << "," << c.y;
        EXPECT_EQ(at(body).y, c.expectY) << c.x << "," << c.y;
        EXPECT_EQ(at(body).vspeed, c.stands ? 0 : 7);
        EXPECT_EQ(at(body).HP, 10);
    }
}

TEST_F(ShootingStage, BodiesOfOtherKindsExchangeDamageWithBlocks) {
    CharTable[kFoeRow].TYP = 3;
    const int32_t block = place(kBlockRow, 2, 400, 400);
    CharTable[kBlockRow].BP = 2;
    at(block).BP = 2;
    const int32_t body = place(kFoeRow, 1, 405, 380);
    shootingCollisionPass();
    EXPECT_EQ(at(body).y, 380);
    EXPECT_EQ(at(body).HP, 6);
    EXPECT_EQ(at(block).HP, 994);
}

TEST_F(ShootingStage, AStageWithoutOpponentsIsWonOnTheFirstFrameOnce) {
    place(kBlockRow, 1, 400, 400);      // blocks are no opponents
    place(kFoeShotRow, 1, 400, 100);    // nor are shots
    place(kFoeRow, 0, 200, 100);        // nor the player's own side
    shootingUpdate();
    EXPECT_EQ(opponentsLeft, 0);
    EXPECT_EQ(stageCountdown, 300);
    EXPECT_EQ(stageResult, 1);
    for (int f = 0; f < 5; ++f) shootingUpdate();
    EXPECT_EQ(soundsStarted("./wav/win.wav"), 1);
}

TEST_F(ShootingStage, AWinCountdownIsNotTurnedIntoALoss) {
    shootingUpdate();
    ASSERT_EQ(stageResult, 1);
    place(kFoeRow, 1, 64, 288);  // arrives late and destroys the player
    player().HP = 1;
    for (int f = 0; f < 10; ++f) {
        shootingUpdate();
        --stageCountdown;  // as the main loop counts
    }
    EXPECT_EQ(player().inUse, 0);
    EXPECT_EQ(opponentsLeft, 1);
    EXPECT_EQ(stageResult, 1);
    EXPECT_EQ(stageCountdown, 290);
    EXPECT_EQ(soundsStarted("./wav/lost.wav"), 0);
}

TEST_F(ShootingStage, AClearScreenWinsEvenWithoutThePlayer) {
    player().HP = 1;
    const int32_t foe = place(kFoeRow, 1, 64, 288);
    at(foe).HP = 1;
    shootingUpdate();
    EXPECT_EQ(player().inUse, 0);
    EXPECT_EQ(opponentsLeft, 0);
    EXPECT_EQ(stageResult, 1);
    EXPECT_EQ(soundsStarted("./wav/lost.wav"), 0);
}

TEST_F(ShootingStage, ObjectsLeavingTheScreenAreRemovedAndStillOnesStay) {
    const int32_t still = place(kFoeRow, 1, 800, 600);    // on the edges: kept
    const int32_t farLeft = place(kFoeRow, 1, -33, 100);  // x < -WID
    const int32_t farRight = place(kFoeRow, 1, 801, 100);
    const int32_t above = place(kFoeRow, 1, 100, -33);    // y < -HEI
    const int32_t below = place(kFoeRow, 1, 100, 601);
    const int32_t edgeLeft = place(kFoeRow, 1, -32, -32);
    for (int f = 0; f < 3; ++f) shootingUpdate();
    EXPECT_EQ(at(still).inUse, 1);
    EXPECT_EQ(at(still).x, 800);
    EXPECT_EQ(at(edgeLeft).inUse, 1);
    EXPECT_EQ(at(farLeft).inUse, 0);
    EXPECT_EQ(at(farRight).inUse, 0);
    EXPECT_EQ(at(above).inUse, 0);
    EXPECT_EQ(at(below).inUse, 0);
}

TEST_F(ShootingStage, AFallingObjectIsRemovedOnlyPastTheBottomEdge) {
    CharTable[kFoeRow].GRA = 1;
    const int32_t faller = place(kFoeRow, 1, 100, 590, 2, 0);  // swings down, clamped
    clampToPlayfield(faller);
    EXPECT_EQ(at(faller).inUse, 1);
    EXPECT_EQ(at(faller).y, 590);  // between 600 - HEI and 600: left alone
    at(faller).y = 601;
    clampToPlayfield(faller);
    EXPECT_EQ(at(faller).inUse, 0);
}

TEST_F(ShootingStage, ALostStageIsReplayedByTheMainLoop) {
    GameMode = 3;
    place(kFoeRow, 1, 700, 50);
    player().HP = 0;
    player().x = 500;
    place(kFoeRow, 2, 500, 288);
    runModeStep();
    ASSERT_EQ(stageResult, 0);
    for (int f = 1; f < 300; ++f) runModeStep();
    EXPECT_EQ(GameMode, 3);
    EXPECT_EQ(stageCountdown, -1);
    EXPECT_EQ(player().inUse, 1);
    EXPECT_EQ(player().x, 64);
    EXPECT_EQ(player().y, 288);
}
