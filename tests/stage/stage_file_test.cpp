#include "stage/stage_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "game_folder.h"
#include "platform/headless_platform.h"
#include "platform/media.h"
#include "platform/surface.h"
#include "stage/charlist.h"
#include "stage/world.h"

namespace {

class StageFile : public ::testing::Test {
protected:
    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        writeText("data/charlist.txt",
                  "0,0,0,32,32,10,1,4,16,0,0,0,0,0,0,0,0,0\n"
                  "2,0,0,32,32,3,1,-1,30,0,0,0,5,0,0,0,0,0\n"
                  "4,0,0,8,8,1,1,8,8,0,0,1,0,0,0,0,0,0\n");
        loadCharList();
        back[1] = writePicture("bmp/back1.bmp", 4, 2, 0x112233);
        back[2] = writePicture("bmp/back2.bmp", 4, 2, 0x445566);
        back[3] = writePicture("bmp/back3.bmp", 4, 2, 0x778899);
        writeWave("wav/level3.wav", 1000);
        writeWave("wav/se5.wav", 100);
        clearEntityTable();
    }

    static Surface maskOf(Surface s) {
        for (uint32_t& p : s.pixels) p = p == kBlack ? kWhite : kBlack;
        return s;
    }

    static void expectParams(std::vector<int32_t> expected) {
        const StageParamsRecord& p = StageParams;
        EXPECT_EQ((std::vector<int32_t>{p.scrollSpeed, p.groundSrcX, p.groundSrcY, p.groundWidth,
                                        p.groundHeight, p.groundTop}),
                  expected);
    }

    GameFolder folder;
    HeadlessPlatform hp;
    Surface back[4];
};

}  // namespace

TEST_F(StageFile, RunsEveryCommandInFileOrder) {
    writeText("data/level2.txt",
              "/ stage two\r\n"
              "50,1,2,3\r\n"
              "54,4,0,0,32,32,400 / parameters after the scenery\n"
              "61,3\n"
              "53,2,1,10,100,200,3,0\n"
              "53 2 1 -1 300 200 1 0\n"
              "99,1,2,3\n"
              "53\n"
              "53,200,1,0,0,0,0,0\n"
              "53,-1,1,0,0,0,0,0\n"
              "53,4,1,0,5x,0,0,0,77,88");
    loadStage(2);

    EXPECT_EQ(SurfaceTable[kNearLayer].pixels, back[1].pixels);
    EXPECT_EQ(SurfaceTable[kMiddleLayer].pixels, back[2].pixels);
    EXPECT_EQ(SurfaceTable[kFarLayer].pixels, back[3].pixels);
    EXPECT_EQ(SurfaceTable[kNearMask].pixels, maskOf(back[1]).pixels);
    EXPECT_EQ(SurfaceTable[kMiddleMask].pixels, maskOf(back[2]).pixels);
    expectParams({4, 0, 0, 32, 32, 400});
    EXPECT_STREQ(BgmFileName, "././wav/level3.wav");

    EXPECT_EQ(liveSlotEnd, 4);
    EXPECT_EQ(EntityTable[1].counter, 10);
    EXPECT_EQ(EntityTable[1].x, 100);
    EXPECT_EQ(EntityTable[1].move, 3);
    EXPECT_EQ(EntityTable[1].SP, 4);  // -1 in the template: the scroll speed just set
    EXPECT_EQ(EntityTable[2].x, 300);
    EXPECT_GE(EntityTable[2].counter, 1);
    EXPECT_EQ(EntityTable[3].TYP, 1);
    EXPECT_EQ(EntityTable[3].x, 5 * 10 + ('x' - 48));  // the stray character counts
    EXPECT_EQ(EntityTable[4].inUse, 0);

    EXPECT_EQ(hp.trace, (std::vector<std::string>{"0 mci close BGM", "0 mci open ./././wav/level3.wav alias BGM",
                                                  "0 mci play BGM", "0 effect ././wav/se5.wav",
                                                  "0 effect ././wav/se5.wav"}));
    EXPECT_TRUE(hp.soundIsPlaying(kMusicChannel));
}

TEST_F(StageFile, SceneryLineAlsoSetsParameters) {
    writeText("data/level1.txt", "50,1,2,3\n54,4,0,0,32,32,400\n");
    writeText("data/level2.txt", "54,4,0,0,32,32,400\n50,1,2,3\n");
    loadStage(1);
    expectParams({4, 0, 0, 32, 32, 400});
    loadStage(2);
    expectParams({1, 2, 3, 0, 0, 0});
}

TEST_F(StageFile, MusicLineRestartsTheSameMusic) {
    writeText("data/level1.txt", "61,3\n");
    loadStage(1);
    hp.clockMs += 700;
    loadStage(1);
    hp.clockMs += 700;  // 1400 ms after the first start: only a restart is still playing
    EXPECT_TRUE(hp.soundIsPlaying(kMusicChannel));
    EXPECT_EQ(std::count(hp.trace.begin(), hp.trace.end(), "0 mci play BGM"), 2);
    EXPECT_EQ(hp.trace[3], "0 mci close BGM");
}

TEST_F(StageFile, NumberIsASignedByte) {
    writeText("data/level-56.txt", "54,9,9,9,9,9,9\n");
    loadStage(static_cast<int8_t>(200));
    expectParams({9, 9, 9, 9, 9, 9});
}

TEST_F(StageFile, MissingFileKeepsSceneryParametersAndMusic) {
    writeText("data/level1.txt", "50,1,2,3\n54,4,0,0,32,32,400\n61,3\n");
    loadStage(1);
    const size_t traced = hp.trace.size();
    loadStage(7);
    expectParams({4, 0, 0, 32, 32, 400});
    EXPECT_EQ(SurfaceTable[kNearLayer].pixels, back[1].pixels);
    EXPECT_STREQ(BgmFileName, "././wav/level3.wav");
    EXPECT_EQ(hp.trace.size(), traced);
    EXPECT_EQ(liveSlotEnd, 0);
}

TEST_F(StageFile, MissingBackgroundKeepsPictureAndItsMask) {
    writeText("data/level1.txt", "50,1,2,3\n");
    writeText("data/level2.txt", "50,8,2,9\n");
    loadStage(1);
    loadStage(2);
    EXPECT_EQ(SurfaceTable[kNearLayer].pixels, back[1].pixels);
    EXPECT_EQ(SurfaceTable[kNearMask].pixels, maskOf(back[1]).pixels);  // not masked twice
    EXPECT_EQ(SurfaceTable[kFarLayer].pixels, back[3].pixels);
    expectParams({8, 2, 9, 0, 0, 0});
}
