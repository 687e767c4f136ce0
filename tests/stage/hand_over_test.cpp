// The main loop's road through a stage: the ready screen and stage start, the countdown
// after the stage is decided, the return to the script, the replay of a lost shooting stage
// and the battle result in script variable 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_loop.h"
#include "game_folder.h"
#include "platform/headless_platform.h"
#include "platform/surface.h"
#include "script/script.h"
#include "stage/world.h"

namespace {

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        writePicture("bmp/format.bmp", kScreenWidth, kScreenHeight, kWhite);
        writePicture("bmp/char.bmp", 64, 64, 0x808080);
        ready = writePicture("bmp/zyunbi.bmp", kScreenWidth, kScreenHeight, 0x336699);
        writePicture("bmp/back1.bmp", 8, 8, 0x112233);
        writeWave("wav/level3.wav", 60000);  // longer than any test: the keep-alive stays quiet
        writeWave("wav/se5.wav", 100);
        writeText("data/advfile.dat", "end\n");
        writeText("data/charlist.txt",
                  "0,0,0,32,32,10,1,4,16,0,0,0,0,0,0,0,0,0\n"
                  "2,0,0,32,32,3,1,-1,30,0,0,0,5,0,0,0,0,0\n"
                  "63,0,0,8,8,1,0,0,4,0,0,5,0,0,0,0,0,0\n");  // trail mark of battle units
        writeText("data/level2.txt",
                  "50,1,1,1\n"
                  "54,4,0,0,32,32,400\n"
                  "61,3\n"
                  "53,2,1,10,600,200,3,0\n"
                  "53,2,1,20,700,300,1,0\n");
        startUp();
    }

    void frame() {
        hp.traceFrame = frameCount + 1;
        ASSERT_TRUE(loopPass());
    }

    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }

    // The trace lines of frame f, without the frame number.
    std::vector<std::string> traceOf(int64_t f) const {
        std::vector<std::string> lines;
        const std::string prefix = std::to_string(f) + " ";
        for (const std::string& line : hp.trace) {
            if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
        }
        return lines;
    }

    void enterStage(int8_t mode) {
        StageNumber = 2;
        GameMode = mode;
        frame();
    }

    void expectFreshStage() {
        const Entity& player = EntityTable[0];
        EXPECT_EQ(player.inUse, 1);
        EXPECT_EQ(player.side, 0);
        EXPECT_EQ(player.x, 64);
        EXPECT_EQ(player.y, 288);
        EXPECT_EQ(player.HP, 10);
        EXPECT_EQ(stageCountdown, -1);
        EXPECT_EQ(EntityTable[1].x, 600);
        EXPECT_EQ(EntityTable[2].x, 700);
        EXPECT_EQ(EntityTable[1].SP, 4);
        EXPECT_EQ(liveSlotEnd, 3);
    }

    // The reset and the stage file's work end the frame that restarts a stage.
    void expectStageLoadEnds(int64_t f) {
        const std::vector<std::string> lines = traceOf(f);
        const std::vector<std::string> load = {"mci close BGM", "mci open ./././wav/level3.wav alias BGM",
                                               "mci play BGM", "effect ././wav/se5.wav",
                                               "effect ././wav/se5.wav"};
        ASSERT_GE(lines.size(), load.size());
        EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(load.size()), lines.end()), load);
    }

    GameFolder folder;
    HeadlessPlatform hp;
    Surface ready;
};

}  // namespace

TEST_F(HandOver, ShootStartsShootingStageBehindReadyScreen) {
    stageCountdown = 55;
    EntityTable[40].inUse = 1;  // left over from an earlier stage
    noteSlotLive(40);
    enterStage(2);

    EXPECT_EQ(GameMode, 3);
    EXPECT_EQ(SurfaceTable[kPicture].pixels, ready.pixels);
    EXPECT_EQ(SurfaceTable[kBackBuffer].pixels, ready.pixels);
    EXPECT_EQ(hp.shown.pixels, ready.pixels);  // on screen while the stage loads
    expectFreshStage();
    EXPECT_EQ(EntityTable[40].inUse, 0);
    EXPECT_EQ(StageParams.groundTop, 400);
    expectStageLoadEnds(frameCount);
}

TEST_F(HandOver, KhStartsBattleStageBehindReadyScreen) {
    enterStage(4);
    EXPECT_EQ(GameMode, 5);
    EXPECT_EQ(hp.shown.pixels, ready.pixels);
    expectFreshStage();
    expectStageLoadEnds(frameCount);
}

TEST_F(HandOver, WonShootingStageReturnsToScriptOnThe300thFrame) {
    enterStage(2);
    ScriptVars[0] = 7;
    stageCountdown = kStageDecidedFrames;  // as the deciding frame's update leaves it
    stageResult = 1;
    frames(299);
    EXPECT_EQ(GameMode, 3);
    EXPECT_EQ(stageCountdown, 1);
    frame();
    EXPECT_EQ(GameMode, 1);
    EXPECT_EQ(stageCountdown, 0);  // stays 0 until the next stage starts
    EXPECT_EQ(ScriptVars[0], 7);
    frame();
    EXPECT_EQ(stageCountdown, 0);

    enterStage(2);
    EXPECT_EQ(stageCountdown, -1);
}

TEST_F(HandOver, CountdownOfZeroEndsNothing) {
    enterStage(2);
    stageCountdown = 0;
    stageResult = 1;
    frame();
    EXPECT_EQ(stageCountdown, -1);
    EXPECT_EQ(GameMode, 3);
}

TEST_F(HandOver, LostShootingStageIsReplayedInPlace) {
    enterStage(2);
    EntityTable[0].x = 5;
    EntityTable[0].HP = 0;
    EntityTable[1].inUse = 0;
    EntityTable[3].inUse = 1;  // a shot in flight
    noteSlotLive(3);
    resizeSurface(SurfaceTable[kPicture], kScreenWidth, kScreenHeight, 0x654321);
    stageCountdown = kStageDecidedFrames;
    stageResult = 0;
    frames(300);

    EXPECT_EQ(GameMode, 3);
    expectFreshStage();
    EXPECT_EQ(EntityTable[3].inUse, 0);
    EXPECT_EQ(SurfaceTable[kPicture].pixels[0], 0x654321u);  // no ready screen this time
    expectStageLoadEnds(frameCount);                         // objects and music again
}

TEST_F(HandOver, BattleStageResultGoesToVariableZero) {
    enterStage(4);
    ScriptVars[0] = 5;
    stageCountdown = kStageDecidedFrames;
    stageResult = 1;
    frames(299);
    EXPECT_EQ(ScriptVars[0], 5);
    frame();
    EXPECT_EQ(ScriptVars[0], 1);
    EXPECT_EQ(GameMode, 1);

    enterStage(4);  // a lost battle is not replayed
    stageCountdown = kStageDecidedFrames;
    stageResult = 0;
    frames(300);
    EXPECT_EQ(ScriptVars[0], 0);
    EXPECT_EQ(GameMode, 1);
}
