// Starting elsewhere, through sortie-replay: --script replaces the first script, --stage
// hands over to a stage in frame 1 and lets the start script run from its first row when
// the stage ends, and an input file's clock line seeds the game as --time would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"

namespace {

using namespace replay;

constexpr uint32_t kReady = 0x336699;

class StartReplay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
        ASSERT_TRUE(writePlainBmp("bmp/zyunbi.bmp", 800, 600, kReady));
        writeSheet({{{0, 0, 256, 32}, 0xE02020}, {{0, 32, 8, 8}, 0xE0E020}});
        ASSERT_TRUE(writeText("data/charlist.txt",
                              "0,0,0,32,32,10,1,4,16,1,0,0,8,0,0,0,0,100\n"  // the player fires row 1 on every frame
                              "1,0,32,8,8,1,1,10,4,0,0,1,0,0,0,0,0,0\n"
                              "2,0,0,32,32,999,0,0,16,0,0,0,0,0,0,0,0,0\n"   // a still opponent
                              "63,0,0,16,16,1,0,0,0,0,0,5,0,0,0,0,0,0\n"));
        ASSERT_TRUE(writeText("data/advfile.dat", "varset 3 7\nend\n"));
        ASSERT_TRUE(writeText("data/after.dat", "varplus 0 5\nend\n"));
        // Stage 1 has no opponent and is won at once; stage 2 keeps one at the far side.
        ASSERT_TRUE(writeText("data/level1.txt", "54,0,0,0,0,0,600\n"));
        ASSERT_TRUE(writeText("data/level2.txt", "54,0,0,0,0,0,600\n53,2,1,0,700,100,0,0\n"));
    }

    TempGameFolder folder;
};

TEST_F(StartReplay, AStageStartsInFrameOneAndTheStartScriptRunsFromItsFirstRowAfterIt) {
    // Frame 1 is the hand-over: the ready screen, the player (sound 8); frame 2 wins the
    // empty stage. The first script has not run.
    ReplayRun run = runReplay(2, "--stage shoot 1", {1});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(2, {{1, {"effect ././wav/se8.wav"}},
                                                            {2, shotSound("./wav/win.wav")}})),
              "");
    EXPECT_TRUE(filled(shot(1), {0, 0, 800, 600}, kReady));
    EXPECT_EQ(run.value("mode"), 3);
    EXPECT_EQ(run.value("stage"), 1);
    EXPECT_EQ(run.value("script_counter"), 0);

    // The battle's countdown returns to the start script (here another one) in frame 301
    // with the result in variable 0, and frame 302 runs that script's first row.
    run = runReplay(302, "--script data/after.dat --stage battle 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.value("result"), 1);
    EXPECT_EQ(run.value("script_counter"), 3);
    EXPECT_EQ(run.vars()[0], 6);

    // A script alone runs from frame 1; without options the first script does.
    EXPECT_EQ(runReplay(1, "--script ./data/after.dat").vars()[0], 5);
    EXPECT_EQ(runReplay(1, "").vars()[3], 7);
}

TEST_F(StartReplay, AMissingScriptOrStageFileIsRefusedWithOneLine) {
    for (const char* options : {"--script data/none.dat", "--script data", "--stage battle 3", "--stage shoot",
                                "--stage walk 1", "--stage battle 128"}) {
        const ReplayRun run = runReplay(1, options);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_TRUE(run.summary.empty()) << options;
        EXPECT_EQ(linesOf(run.err).size(), 1u) << options << ": " << run.err;
    }
    EXPECT_EQ(runReplay(1, "--script " + std::string(160, 'a')).status, 2);
}

TEST_F(StartReplay, TheClockLineOfAnInputFileSeedsTheGameUnlessTimeIsGiven) {
    // The player fires on every frame and every shot draws a random number: an even one
    // starts the shot sound, so the trace shows the seed.
    ASSERT_TRUE(writeText("z.txt", "2 key down Z\n"));
    ASSERT_TRUE(writeText("clock.txt", "0 clock 5\n2 key down Z\n"));
    const ReplayRun seeded = runReplay(30, "--stage shoot 2 --time 5 --input z.txt");
    const ReplayRun other = runReplay(30, "--stage shoot 2 --time 9 --input z.txt");
    const ReplayRun fromFile = runReplay(30, "--stage shoot 2 --input clock.txt");
    const ReplayRun overridden = runReplay(30, "--stage shoot 2 --time 9 --input clock.txt");
    ASSERT_EQ(seeded.status, 0) << seeded.err;
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_NE(seeded.trace, other.trace);
    EXPECT_EQ(fromFile.trace, seeded.trace);
    EXPECT_EQ(overridden.trace, other.trace);
}

}  // namespace
