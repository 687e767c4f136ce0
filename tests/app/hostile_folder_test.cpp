// Game folders made to hurt the game: files that never end or never open, and music that
// cannot sound. The game starts and runs its frames as it would with the file missing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "platform/data_file.h"
#include "platform/headless_platform.h"
#include "platform/media.h"
#include "script/script.h"
#include "stage/stage_file.h"
#include "stage/world.h"
#include "support/hostile_files.h"
#include "support/test_files.h"

namespace {

class HostileFolder : public ::testing::Test {
protected:
    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        alarm(60);  // a reader that waits or spins would otherwise hang the whole suite
    }
    void TearDown() override {
        alarm(0);
        platform = nullptr;
    }
    TempGameFolder folder;
    HeadlessPlatform hp;
};

TEST_F(HostileFolder, FilesThatNeverEndOrNeverOpenReadAsEmpty) {
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
    ASSERT_EQ(mkfifo("data/advfile.dat", 0644), 0);  // nobody ever writes into it
    ASSERT_EQ(symlink("/dev/zero", "data/charlist.txt"), 0);
    startUp();
    EXPECT_STREQ(ScriptTable[0], "end");
    EXPECT_STREQ(ScriptTable[1], "");
    for (const CharTemplate& t : CharTable) EXPECT_EQ(t.inUse, 0);

    // A script that calls /dev/zero: an endless file of NUL bytes, which is a device.
    ASSERT_TRUE(writeText("data/start.dat", "call /dev/zero\n"));
    LoadScript("data/start.dat");
    GameMode = 1;
    while (!loopPass()) {
    }
    EXPECT_STREQ(ScriptTable[0], "end");
    EXPECT_STREQ(ScriptTable[1], "");

    // A stage file that is a link to /dev/zero changes nothing, as a missing one.
    ASSERT_EQ(symlink("/dev/zero", "data/level1.txt"), 0);
    StageParams = StageParamsRecord{4, 1, 2, 32, 32, 500};
    loadStage(1);
    EXPECT_EQ(StageParams.scrollSpeed, 4);
    EXPECT_EQ(StageParams.groundTop, 500);

    // A text file past the size limit: the game reads its first 4 MiB as the whole file.
    std::string script = "varset 1 5 ";
    script += std::string(static_cast<size_t>(kTextFileLimit) - script.size(), ' ');
    ASSERT_TRUE(writeText("data/long.dat", script + "varset 2 7\n"));
    LoadScript("data/long.dat");
    const std::vector<std::string> rows(ScriptTable, ScriptTable + 5);
    EXPECT_EQ(rows, (std::vector<std::string>{"varset", "1", "5", "end", ""}));
}

TEST_F(HostileFolder, MusicThatCannotSoundFailsToOpenSoTheKeepAliveLeavesItAlone) {
    WaveSpec empty;
    empty.dataBytes = 0;
    WaveSpec halfSample;
    halfSample.bits = 16;
    halfSample.dataBytes = 1;
    WaveSpec noChannels;
    noChannels.channels = 0;
    WaveSpec undecodable;
    undecodable.encoding = 0x55;
    ASSERT_TRUE(writeBytes("wav/empty.wav", waveBytes(empty)));
    ASSERT_TRUE(writeBytes("wav/half.wav", waveBytes(halfSample)));
    ASSERT_TRUE(writeBytes("wav/none.wav", waveBytes(noChannels)));
    ASSERT_TRUE(writeBytes("wav/mp3.wav", waveBytes(undecodable)));
    ASSERT_EQ(mkfifo("wav/fifo.wav", 0644), 0);
    GameMode = 9;  // frames of nothing but the keep-alive
    for (const char* music : {"wav/empty.wav", "wav/half.wav", "wav/none.wav", "wav/mp3.wav", "wav/fifo.wav"}) {
        std::snprintf(BgmFileName, sizeof BgmFileName, "%s", music);
        restartMusic();
        EXPECT_STREQ(MciReply, "") << music;  // the play found no music open
        hp.trace.clear();
        for (int frame = 0; frame < 5; ++frame) {
            while (!loopPass()) {
            }
        }
        std::vector<std::string> sent;  // without their frame numbers
        for (const std::string& line : hp.trace) sent.push_back(line.substr(line.find(' ') + 1));
        EXPECT_EQ(sent, std::vector<std::string>(5, "mci status BGM mode")) << music;
    }
}

}  // namespace
