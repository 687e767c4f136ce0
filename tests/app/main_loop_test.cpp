#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/media.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "script/script.h"
#include "stage/world.h"
#include "support/test_files.h"

namespace {

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
    }
    void TearDown() override { platform = nullptr; }

    // Runs passes until a frame has run; returns the number of messages dispatched first.
    int runUntilFrame() {
        int dispatched = 0;
        while (!loopPass()) ++dispatched;
        return dispatched;
    }

    // The trace lines of frame `frame`, without their frame number.
    std::vector<std::string> traceOf(int64_t frame) {
        const std::string prefix = std::to_string(frame) + " ";
        std::vector<std::string> lines;
        for (const std::string& line : hp.trace)
            if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
        return lines;
    }

    HeadlessPlatform hp;
};

TEST_F(MainLoop, PumpDispatchesAtMost128MessagesAndDropsThe129th) {
    for (int i = 0; i < 200; ++i) hp.post(WM_MOUSEMOVE, 0, i);
    EXPECT_EQ(runUntilFrame(), 128);
    EXPECT_EQ(frameCount, 1);
    EXPECT_EQ(InputState.mouseX, 127);  // messages 0..127 dispatched
    EXPECT_EQ(pumpCount, 0);
    EXPECT_EQ(hp.queue.size(), 71u);    // message 128 was fetched with the frame and dropped
    EXPECT_EQ(hp.queue.front().lParam, 129);

    EXPECT_EQ(runUntilFrame(), 71);     // dispatching resumes; the empty queue runs frame 2
    EXPECT_EQ(frameCount, 2);
    EXPECT_EQ(InputState.mouseX, 199);
}

TEST_F(MainLoop, QuitAsThe129thMessageEndsTheLoopAfterThatPassFrame) {
    for (int i = 0; i < 128; ++i) hp.post(WM_MOUSEMOVE, 0, i);
    hp.post(WM_QUIT, 7);
    EXPECT_EQ(runUntilFrame(), 128);
    EXPECT_TRUE(quitFetched());
    EXPECT_EQ(frameCount, 1);
    EXPECT_EQ(traceOf(1), std::vector<std::string>{"mci status BGM mode"});
    EXPECT_EQ(shutDown(), 7);
}

TEST_F(MainLoop, QuitWithinTheCapEndsTheLoopWithoutAFrame) {
    hp.post(WM_QUIT, 0);
    EXPECT_FALSE(loopPass());
    EXPECT_TRUE(quitFetched());
    EXPECT_EQ(frameCount, 0);
}

TEST_F(MainLoop, FrameRunsKeepAliveThen16MsSleepThenModeStep) {
    GameMode = 9;  // idles
    EXPECT_EQ(runUntilFrame(), 0);
    EXPECT_EQ(hp.clockMs, 16);
    EXPECT_EQ(GameMode, 9);
    EXPECT_EQ(traceOf(1), std::vector<std::string>{"mci status BGM mode"});
}

TEST_F(MainLoop, KeepAliveBeforeAnyMusicSendsOnlyTheStatusQuery) {
    for (int frame = 1; frame <= 5; ++frame) {
        runUntilFrame();
        EXPECT_EQ(traceOf(frame), std::vector<std::string>{"mci status BGM mode"});
    }
    EXPECT_EQ(MciReply[0], '\0');
    EXPECT_EQ(hp.clockMs, 5 * 16);
}

TEST_F(MainLoop, MusicThatPlayedToItsEndRestartsOnTheNextFrame) {
    TempGameFolder folder;
    ASSERT_TRUE(writeWav("wav/m.wav", 100));
    std::snprintf(BgmFileName, sizeof BgmFileName, "%s", "wav/m.wav");
    GameMode = 9;
    restartMusic();  // close, open, play at 20 ms, 30 ms when it returns
    hp.trace.clear();
    // Frame k queries at 30 + 16 (k - 1) ms: the 100 ms music is over from 120 ms on,
    // which frame 7 (126 ms) is the first to see.
    for (int frame = 1; frame <= 6; ++frame) {
        runUntilFrame();
        EXPECT_EQ(traceOf(frame), std::vector<std::string>{"mci status BGM mode"}) << "frame " << frame;
    }
    runUntilFrame();
    EXPECT_EQ(traceOf(7), (std::vector<std::string>{"mci status BGM mode", "mci close BGM",
                                                    "mci open ./wav/m.wav alias BGM", "mci play BGM"}));
    runUntilFrame();
    EXPECT_EQ(traceOf(8), std::vector<std::string>{"mci status BGM mode"});
    EXPECT_STREQ(MciReply, "playing");
}

TEST_F(MainLoop, ShutdownClosesShotThenMusicAndFreesEverySurface) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
    ASSERT_TRUE(writePlainBmp("bmp/char.bmp", 64, 32, 0x123456));
    startUp();
    hp.post(WM_CLOSE);
    while (!quitFetched()) loopPass();
    hp.trace.clear();
    EXPECT_EQ(shutDown(), 0);
    EXPECT_EQ(hp.trace, (std::vector<std::string>{"0 mci close SHOTVOX", "0 mci close BGM"}));
    EXPECT_EQ(hp.clockMs, 20);
    for (const Surface& s : SurfaceTable) EXPECT_TRUE(s.pixels.empty());
}

TEST_F(MainLoop, StartUpShowsTheLoadingTextAndLoadsTheSurfaces) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, 0x00FF00));
    ASSERT_TRUE(writePlainBmp("bmp/char.bmp", 64, 32, 0x123456));
    hp.startSeconds = 1;
    startUp();
    ASSERT_EQ(hp.presentCount, 1);
    ASSERT_EQ(hp.shown.width, 800);
    int dark = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 14 * 8; ++x) dark += hp.shown.row(y)[x] == kBlack;
    EXPECT_GT(dark, 100);
    EXPECT_EQ(hp.shown.row(100)[400], kWhite);
    EXPECT_EQ(SurfaceTable[kBackBuffer].row(0)[0], 0x00FF00u);
    EXPECT_EQ(SurfaceTable[kCharMask].row(0)[0], kBlack);
    EXPECT_EQ(GameMode, 1);
}

TEST_F(MainLoop, HandOverShowsTheReadyScreenAndPlacesThePlayer) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
    ASSERT_TRUE(writePlainBmp("bmp/zyunbi.bmp", 800, 600, 0x0000FF));
    startUp();
    EntityTable[7].inUse = 1;
    noteSlotLive(7);
    GameMode = 2;
    runUntilFrame();
    EXPECT_EQ(GameMode, 3);
    EXPECT_EQ(hp.shown.row(300)[400], 0x0000FFu);
    EXPECT_EQ(stageCountdown, -1);
    EXPECT_EQ(EntityTable[0].inUse, 1);
    EXPECT_EQ(EntityTable[0].x, 64);
    EXPECT_EQ(EntityTable[0].y, 288);
    EXPECT_EQ(EntityTable[7].inUse, 0);

    GameMode = 4;
    runUntilFrame();
    EXPECT_EQ(GameMode, 5);
}

TEST_F(MainLoop, StageEndCountsDownAndReturnsToTheScript) {
    GameMode = 3;
    stageResult = 1;
    stageCountdown = 2;
    stageEndCheck();
    EXPECT_EQ(GameMode, 3);
    EXPECT_EQ(stageCountdown, 1);
    stageEndCheck();
    EXPECT_EQ(GameMode, 1);
    EXPECT_EQ(stageCountdown, 0);  // stays 0 until the next stage starts
    EXPECT_EQ(ScriptVars[0], 0);   // a shooting stage writes no variable
}

TEST_F(MainLoop, CountdownOfZeroBecomesMinusOneWithoutEndingTheStage) {
    GameMode = 5;
    stageCountdown = 0;
    stageEndCheck();
    EXPECT_EQ(stageCountdown, -1);
    EXPECT_EQ(GameMode, 5);
    stageEndCheck();
    EXPECT_EQ(stageCountdown, -1);
}

TEST_F(MainLoop, LostShootingStageIsReplayedInPlace) {
    TempGameFolder folder;
    GameMode = 3;
    stageResult = 0;
    stageCountdown = 1;
    EntityTable[0].x = 500;
    EntityTable[3].inUse = 1;
    noteSlotLive(3);
    stageEndCheck();
    EXPECT_EQ(GameMode, 3);
    EXPECT_EQ(stageCountdown, -1);
    EXPECT_EQ(EntityTable[0].x, 64);
    EXPECT_EQ(EntityTable[0].y, 288);
    EXPECT_EQ(EntityTable[3].inUse, 0);
}

TEST_F(MainLoop, BattleResultReachesTheScriptInVariableZero) {
    GameMode = 5;
    stageResult = 1;
    stageCountdown = 1;
    stageEndCheck();
    EXPECT_EQ(GameMode, 1);
    EXPECT_EQ(ScriptVars[0], 1);

    GameMode = 5;
    stageResult = 0;
    stageCountdown = 1;
    ScriptVars[0] = 9;
    stageEndCheck();
    EXPECT_EQ(ScriptVars[0], 0);
}

}  // namespace
