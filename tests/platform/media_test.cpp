#include "platform/media.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "support/test_files.h"

namespace {

class Media : public ::testing::Test {
protected:
    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        ASSERT_TRUE(writeWav("wav/m.wav", 100));
    }
    void TearDown() override { platform = nullptr; }

    // Sends one command through the interpreter; returns its result and the reply.
    int send(const char* command) {
        std::snprintf(reply, sizeof reply, "junk");
        return mciSendString(command, reply, kTextSize);
    }

    TempGameFolder folder;
    HeadlessPlatform hp;
    char reply[kTextSize];
};

TEST_F(Media, OpenPlayStatusCloseOnBothAliases) {
    EXPECT_EQ(send("open ././wav/m.wav alias BGM"), 0);
    EXPECT_EQ(send("status BGM mode"), 0);
    EXPECT_STREQ(reply, "stopped");  // opened, not yet played
    EXPECT_EQ(send("play BGM"), 0);
    EXPECT_EQ(send("status BGM mode"), 0);
    EXPECT_STREQ(reply, "playing");
    EXPECT_EQ(send("open ./wav/m.wav alias SHOTVOX"), 0);
    EXPECT_EQ(send("play SHOTVOX"), 0);
    EXPECT_EQ(send("status SHOTVOX mode"), 0);
    EXPECT_STREQ(reply, "playing");
    hp.sleepMs(100);
    EXPECT_EQ(send("status BGM mode"), 0);
    EXPECT_STREQ(reply, "stopped");  // played to its end
    EXPECT_EQ(send("close BGM"), 0);
    EXPECT_NE(send("status BGM mode"), 0);
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(send("close SHOTVOX"), 0);
}

TEST_F(Media, CommandsOutsideTheGrammarFailWithAnEmptyReply) {
    EXPECT_NE(send("status BGM mode"), 0);  // never opened
    EXPECT_STREQ(reply, "");
    EXPECT_NE(send("play BGM"), 0);
    EXPECT_NE(send("close BGM"), 0);
    EXPECT_NE(send("open ./wav/missing.wav alias BGM"), 0);
    EXPECT_NE(send("open ./wav/m.wav alias MUSIC"), 0);  // unknown alias
    EXPECT_NE(send("open ./wav/m.wav"), 0);
    EXPECT_NE(send(""), 0);
    EXPECT_NE(send("stop BGM"), 0);

    ASSERT_EQ(send("open ./wav/m.wav alias BGM"), 0);
    EXPECT_NE(send("open ./wav/m.wav alias BGM"), 0);  // the alias is taken
    EXPECT_NE(send("play"), 0);
    EXPECT_NE(send("play BGM now"), 0);
    EXPECT_NE(send("status BGM"), 0);
    EXPECT_NE(send("status BGM length"), 0);
    EXPECT_NE(send("status BGM mode please"), 0);
    EXPECT_NE(send("play bgm"), 0);
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(send("play BGM"), 0);
}

TEST_F(Media, EveryCommandButStatusWaits10Ms) {
    sendMediaCommand("open ", "./", "wav/m.wav", " alias BGM", "", MciReply);
    EXPECT_EQ(hp.clockMs, 10);
    sendMediaCommand("status BGM mode", "", "", "", "", MciReply);
    EXPECT_EQ(hp.clockMs, 10);
    sendMediaCommand("status ", "anything", "", "", "", MciReply);
    EXPECT_EQ(hp.clockMs, 10);
    sendMediaCommand("statu", "s", " SHOTVOX mode", "", "", MciReply);  // the joined text counts
    EXPECT_EQ(hp.clockMs, 10);
    sendMediaCommand("play BGM", "", "", "", "", MciReply);
    sendMediaCommand("stop BGM", "", "", "", "", MciReply);  // failing commands wait too
    sendMediaCommand("status", "", "", "", "", MciReply);    // no space: not a status query
    EXPECT_EQ(hp.clockMs, 40);
    EXPECT_EQ(hp.trace, (std::vector<std::string>{"0 mci open ./wav/m.wav alias BGM", "0 mci status BGM mode",
                                                  "0 mci status anything", "0 mci status SHOTVOX mode",
                                                  "0 mci play BGM", "0 mci stop BGM", "0 mci status"}));
}

TEST_F(Media, CommandsOf160CharactersOrMoreAreNotSent) {
    const std::string name159(159 - 17, 'a');  // "open ./" + name + " alias BGM" is 159 long
    std::snprintf(BgmFileName, sizeof BgmFileName, "%s", name159.c_str());
    sendMediaCommand("open ", "./", BgmFileName, " alias BGM", "", MciReply);
    ASSERT_EQ(hp.trace.size(), 1u);
    EXPECT_EQ(hp.trace[0].size(), std::string("0 mci ").size() + 159);
    EXPECT_EQ(hp.clockMs, 10);

    std::snprintf(MciReply, sizeof MciReply, "playing");
    const std::string name160(160 - 17, 'a');
    std::snprintf(BgmFileName, sizeof BgmFileName, "%s", name160.c_str());
    sendMediaCommand("open ", "./", BgmFileName, " alias BGM", "", MciReply);
    EXPECT_EQ(hp.trace.size(), 1u);
    EXPECT_EQ(hp.clockMs, 10);
    EXPECT_STREQ(MciReply, "");

    const std::string path(159, 'b');
    startShotSound(path.c_str());  // the open does not fit; close and play still go out
    EXPECT_EQ(hp.trace, (std::vector<std::string>{hp.trace[0], "0 mci close SHOTVOX", "0 mci play SHOTVOX"}));
}

TEST_F(Media, ANewShotCutsOffTheOneBefore) {
    startShotSound("./wav/m.wav");
    EXPECT_TRUE(hp.soundIsPlaying(kShotChannel));
    startShotSound("./wav/m.wav");
    EXPECT_EQ(hp.trace, (std::vector<std::string>{
                            "0 mci close SHOTVOX", "0 mci open ././wav/m.wav alias SHOTVOX", "0 mci play SHOTVOX",
                            "0 mci close SHOTVOX", "0 mci open ././wav/m.wav alias SHOTVOX", "0 mci play SHOTVOX"}));
    EXPECT_TRUE(hp.soundIsPlaying(kShotChannel));
    EXPECT_EQ(hp.clockMs, 60);
}

TEST_F(Media, RestartMusicPlaysBgmFileNameFromTheStart) {
    std::snprintf(BgmFileName, sizeof BgmFileName, "wav/m.wav");
    restartMusic();
    EXPECT_EQ(hp.trace, (std::vector<std::string>{"0 mci close BGM", "0 mci open ./wav/m.wav alias BGM",
                                                  "0 mci play BGM"}));
    EXPECT_TRUE(hp.soundIsPlaying(kMusicChannel));
}

TEST_F(Media, EffectsAreTracedAndNeverWait) {
    hp.traceFrame = 4;
    playEffect("././wav/se5.wav");
    EXPECT_EQ(hp.trace, std::vector<std::string>{"4 effect ././wav/se5.wav"});
    EXPECT_EQ(hp.clockMs, 0);
}

TEST(HeadlessTrace, KeptOnlyWhenAskedForAndWrittenAsItHappens) {
    HeadlessPlatform hp;
    platform = &hp;
    for (int i = 0; i < 1000; ++i) sendMediaCommand("status BGM mode", "", "", "", "", MciReply);
    playEffect("./wav/se1.wav");
    EXPECT_TRUE(hp.trace.empty());  // a run of any length keeps nothing

    char* text = nullptr;
    size_t size = 0;
    hp.traceFile = open_memstream(&text, &size);
    hp.traceFrame = 7;
    sendMediaCommand("status BGM mode", "", "", "", "", MciReply);
    std::fflush(hp.traceFile);
    EXPECT_EQ(std::string(text, size), "7 mci status BGM mode\n");  // before the run ends
    hp.recordTrace = true;
    playEffect("./wav/se1.wav");
    std::fclose(hp.traceFile);
    EXPECT_EQ(std::string(text, size), "7 mci status BGM mode\n7 effect ./wav/se1.wav\n");
    EXPECT_EQ(hp.trace, std::vector<std::string>{"7 effect ./wav/se1.wav"});
    std::free(text);
    platform = nullptr;
}

}  // namespace
