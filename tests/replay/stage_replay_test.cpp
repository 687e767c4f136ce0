// The road through a stage, played through sortie-replay: a stage file with every command,
// the slots its objects take and the sounds they make, the ready screen, the countdown and
// the replay of a lost shooting stage. (The battle's road, with variable 0, is in
// battle_replay_test.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"

namespace {

using namespace replay;

constexpr uint32_t kReady = 0x336699;
constexpr uint32_t kFar = 0x202060;
constexpr uint32_t kMiddle = 0xD0D030;
constexpr uint32_t kNear = 0x30D0D0;
constexpr uint32_t kTileColour = 0x806040;
constexpr uint32_t kYellow = 0xE0E020;  // template 1
constexpr uint32_t kCyan = 0x20E0E0;    // template 2
constexpr uint32_t kSecondPlayer = 0x40A0FF;  // template 3, the player the stage file puts in
constexpr uint32_t kSpike = 0x8080FF;   // template 4

class StageReplay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
        ASSERT_TRUE(writePlainBmp("bmp/zyunbi.bmp", 800, 600, kReady));
        writeSheet({{{0, 0, 32, 32}, 0xE02020},
                    {{0, 32, 32, 32}, kYellow},
                    {{32, 32, 32, 32}, kCyan},
                    {{64, 32, 32, 32}, kSecondPlayer},
                    {{96, 32, 32, 32}, kSpike},
                    {{200, 0, 40, 20}, kTileColour}});
        // Full-width bands, so that the scrolling does not move them.
        writePainted("bmp/back1.bmp", 800, 600, kBlack, {{{0, 100, 800, 40}, kNear}});
        writePainted("bmp/back2.bmp", 800, 600, kBlack, {{{0, 40, 800, 40}, kMiddle}});
        ASSERT_TRUE(writePlainBmp("bmp/back3.bmp", 800, 600, kFar));
        ASSERT_TRUE(writeWav("wav/level4.wav", 60000));  // outlasts every run
        ASSERT_TRUE(writeText(
            "data/charlist.txt",
            "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN\n"
            "0,0,0,32,32,10,1,4,16,0,0,0,8,0,0,0,1,0\n"      // the player, spawn sound 8, falls
            "1,0,32,32,32,5,0,0,16,0,0,0,5,0,0,0,0,0\n"      // still opponents with sounds 5 and 6
            "2,32,32,32,32,5,0,0,16,0,0,0,6,0,0,0,0,0\n"
            "3,64,32,32,32,10,1,4,16,0,0,0,7,0,0,0,1,0\n"    // another player, sound 7, falls
            "4,96,32,32,32,99,20,0,16,0,0,0,0,0,0,0,0,0\n"));  // a spike: 20 damage on contact
        // Every command: comments, the scenery whose parameters the 54 line replaces, music,
        // spawns into free slots and into slot 0, an unknown code, a line without a
        // separator, stray characters ("x53" reads 7253, an unknown code; "1a0" reads 590), and a
        // last line without a line end.
        ASSERT_TRUE(writeText("data/level5.txt",
                              "/ level 5\n"
                              "50,1,2,3,9,9,9\n"
                              "54,2,200,0,40,20,160 / scroll 2, tiles 40 x 20 from y 160\n"
                              "61,4\n"
                              "53,1,1,0,600,200,0,0 / slot 1\n"
                              "53,2,1,0,600,200,0,0 / slot 2\n"
                              "99,1,1,0,300,300,0,0\n"
                              "53\n"
                              "x53,1,1,0,100,100,0,0\n"
                              "53,1,1,0,1a0,200,0,0 / slot 3\n"
                              "53,4,1,0,200,260,0,0 / slot 4\n"
                              "53,3,0,0,200,160,0,1"));  // no line end: read all the same
    }

    TempGameFolder folder;
};

TEST_F(StageReplay, ALostShootingStageIsReplayedOnThe300thFrameAfterItsDecision) {
    ASSERT_TRUE(writeText("data/advfile.dat", "shoot 5\n"));
    const ReplayRun run = runReplay(321, "", {0, 1, 2, 3, 11, 12, 310, 311, 312});
    ASSERT_EQ(run.status, 0) << run.err;

    // Frame 1 runs `shoot`; frame 2 shows the ready screen and builds the stage: the reset
    // spawns the player (sound 8), then the file runs in order: the music, slots 1 to 3
    // (sounds 5, 6, 5) and the spike (silent), and last the player of template 3 (sound 7)
    // over slot 0. Command 61 names its music "./" + "./wav/level4.wav", and the open
    // command puts one more "./" in front.
    const std::vector<std::string> stageStart = joined({{"effect ././wav/se8.wav"},
                                                        musicStart("././wav/level4.wav"),
                                                        {"effect ././wav/se5.wav", "effect ././wav/se6.wav",
                                                         "effect ././wav/se5.wav", "effect ././wav/se7.wav"}});
    // The new player starts at (200, 160) and falls 0, 2, 4, ... 10 pixels a frame: after
    // stage frame 10 (game frame 12) it is at y 230, 30 above the spike at (200, 260), within
    // their sizes 16 + 16, and the spike's 20 damage destroys it: lost. The countdown of 300
    // counts that frame as its first, so frame 311 restarts the stage (music and spawns
    // again, no ready screen) and its own 10th frame, 321, loses it again.
    const std::map<int64_t, std::vector<std::string>> sounds = {
        {2, stageStart}, {12, shotSound("./wav/lost.wav")}, {311, stageStart}, {321, shotSound("./wav/lost.wav")}};
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(321, sounds)), "");

    EXPECT_EQ(run.value("mode"), 3);
    EXPECT_EQ(run.value("stage"), 5);
    EXPECT_EQ(run.value("script_counter"), 2);
    EXPECT_EQ(run.value("countdown"), 299);  // decided in this very frame
    EXPECT_EQ(run.value("result"), 0);
    EXPECT_EQ(run.value("entities"), 4);  // the four opponents; the player is gone

    // `shoot` draws nothing; the ready screen is the whole window in the hand-over frame.
    EXPECT_EQ(differences(shot(1), shot(0)), 0);
    EXPECT_TRUE(filled(shot(2), {0, 0, 800, 600}, kReady));

    // The first stage frame: the scenery of the 50 line with the tiles of the 54 line (the
    // 50 line alone would have tiled from y 9), the objects in slot order (slot 2 over
    // slot 1, slot 3 at x 590 over both), and the player of template 3.
    const Surface first = shot(3);
    EXPECT_EQ(pixel(first, 400, 10), kFar);
    EXPECT_EQ(pixel(first, 400, 60), kMiddle);
    EXPECT_EQ(pixel(first, 400, 120), kNear);
    EXPECT_TRUE(filled(first, {0, 160, 190, 100}, kTileColour));
    EXPECT_TRUE(filled(first, {590, 200, 32, 32}, kYellow));
    EXPECT_TRUE(filled(first, {622, 200, 10, 32}, kCyan));
    EXPECT_TRUE(filled(first, {200, 160, 32, 32}, kSecondPlayer));
    EXPECT_TRUE(filled(first, {200, 260, 32, 32}, kSpike));
    EXPECT_EQ(countEverywhere(first, 0xE02020), 0);  // the first player was replaced
    EXPECT_EQ(countColour(first, kBannerOnScreen, kLostColour), 0);

    // The player falls on the spike in frame 12; the banner shows until the restart frame
    // has been drawn, and the replayed stage starts over without it.
    EXPECT_TRUE(filled(shot(11), {200, 220, 32, 32}, kSecondPlayer));
    EXPECT_EQ(countColour(shot(11), kBannerOnScreen, kLostColour), 0);
    EXPECT_EQ(countEverywhere(shot(12), kSecondPlayer), 0);
    EXPECT_TRUE(filled(shot(12), kBannerOnScreen, kLostColour));
    EXPECT_TRUE(filled(shot(310), kBannerOnScreen, kLostColour));
    EXPECT_TRUE(filled(shot(311), kBannerOnScreen, kLostColour));
    EXPECT_TRUE(filled(shot(312), {200, 160, 32, 32}, kSecondPlayer));
    EXPECT_EQ(countColour(shot(312), kBannerOnScreen, kLostColour), 0);
}

}  // namespace
