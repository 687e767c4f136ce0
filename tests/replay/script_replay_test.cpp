// A script that uses every command, played through sortie-replay: the frame each command
// runs in, the picture screens with their texts and buttons, the sounds in the trace, a
// button chosen with the mouse, the character list saved by `weapon` in the player's
// folder, and the hand-over to both stages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"

namespace {

using namespace replay;

constexpr uint32_t kFirstPicture = 0x3060C0;
constexpr uint32_t kButtonPicture = 0x40A040;

std::string scriptOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";  // carriage returns are dropped
    return text;
}

const char kHeader[] = "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN\n";
// The player's weapon 0 fires template 10. Row 20 holds values that do not fit three
// characters (HP 1234) and negative ones; row 30 has HP 0.
const char kPlayerRow[] = "000,000,000,032,032,010,001,004,016,010,002,000,000,000,032,000,001,000\n";
const char kOtherRows[] =
    "010,128,000,008,008,001,005,008,004,000,000,001,000,000,000,000,000,000\n"
    "020,064,040,032,032,1234,001,-01,016,000,000,000,005,000,-05,000,000,000\n"
    "030,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000\n";

class ScriptReplay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
        writeSheet({});
        ASSERT_TRUE(writePlainBmp("bmp/pic1.bmp", 800, 600, kFirstPicture));
        ASSERT_TRUE(writePlainBmp("bmp/pic2.bmp", 800, 600, kButtonPicture));
        ASSERT_TRUE(writeWav("wav/music.wav", 10000));  // plays through the whole run
        ASSERT_TRUE(writeWav("wav/a.wav", 100));
        ASSERT_TRUE(writeWav("wav/b.wav", 100));
        ASSERT_TRUE(writeText("data/charlist.txt", std::string(kHeader) + kPlayerRow + kOtherRows + kHeader));
        // One command a frame; the frame each one runs in is noted beside it.
        ASSERT_TRUE(writeText("data/advfile.dat", scriptOf({
                                                      "rem bmp",                            // 1: "bmp" is the comment
                                                      "bgm ./wav/music.wav",                // 2
                                                      "wav ./wav/a.wav",                    // 3
                                                      "wav2 ./wav/b.wav",                   // 4: plays
                                                      "wav2 ./wav/b.wav",                   // 5: the same again: silent
                                                      "wav ./wav/b.wav",                    // 6: wav always plays
                                                      "wav2 ./wav/b.wav",                   // 7: still silent
                                                      "wav2 ./wav/a.wav",                   // 8: plays
                                                      "varset 3 -7",                        // 9
                                                      "varplus 3 2",                        // 10
                                                      "varminus 3 10",                      // 11: -15
                                                      "varset 4 2147483647",                // 12
                                                      "varplus 4 1",                        // 13: wraps around
                                                      "weapon 1 3 10 20",                   // 14, 15 skips "20"
                                                      "weapon 2 5 4 endweapon endweapon",   // 16, no frame lost
                                                      "drawtext 0 100 40 Hello",            // 17
                                                      "drawtext 1 100 80 @3",               // 18
                                                      "drawtext 2 100 120 @4",              // 19
                                                      "drawtext 4 400 40 &Pick",            // 20
                                                      "bmp ./bmp/pic1.bmp",                 // 21 Arm, 22 Show...
                                                      "call ./data/second.dat",             // 26
                                                  })));
        // Variables survive `end`: the first pass finds 1 and 2, the second 2 and 2.
        ASSERT_TRUE(writeText("data/second.dat", scriptOf({
                                                     "varplus 5 1",                  // 27, 31
                                                     "varset 6 2",                   // 28, 32
                                                     "varcmp 5 6 ./data/third.dat",  // 29, 33: loads
                                                     "end",                          // 30
                                                 })));
        ASSERT_TRUE(writeText("data/third.dat", scriptOf({
                                                    "varset 2 -5",                            // 34
                                                    "drawtext 3 100 160 @2",                  // 35
                                                    "buttonset 100 300 &Alpha ./data/alpha.dat",  // 36
                                                    "buttonset 300 300 Beta ./data/beta.dat",     // 37
                                                    "buttonstart ./bmp/pic2.bmp",             // 38 Arm, 39, 40 Show
                                                })));
        ASSERT_TRUE(writeText("data/alpha.dat", "kh 200\n"));
        ASSERT_TRUE(writeText("data/beta.dat", "varset 1 5\nshoot 3\n"));
    }

    // The first picture screen: pic1 with the four texts of the first script; variable 3 is
    // -15 and variable 4 wrapped round to the smallest value.
    const Surface firstScreen = pictureScreen(kFirstPicture, {{100, 40, "Hello"},
                                                              {100, 80, "-15"},
                                                              {100, 120, "-2147483648"},
                                                              {400, 40, "&Pick"}});
    // The button screen: the loads emptied the first texts; slot 3 shows variable 2.
    const Surface buttonScreen =
        pictureScreen(kButtonPicture, {{100, 160, "-5"}, {100, 300, "&Alpha"}, {300, 300, "Beta"}});
    const Surface buttonScreenBetaHidden = pictureScreen(kButtonPicture, {{100, 160, "-5"}, {100, 300, "&Alpha"}});

    TempGameFolder folder;
};

// The sounds of the first script's frames 1 to 8.
std::map<int64_t, std::vector<std::string>> scriptSounds() {
    return {{2, musicStart("./wav/music.wav")},
            {3, {"effect ./wav/a.wav"}},
            {4, {"effect ./wav/b.wav"}},
            {6, {"effect ./wav/b.wav"}},
            {8, {"effect ./wav/a.wav"}}};
}

TEST_F(ScriptReplay, EveryCommandRunsInItsFrameAndAClickedButtonLeadsToTheShootingStage) {
    // The picture of frame 21 is up in frame 23; Z in frame 24 passes it, and its release in
    // frame 25 lets the script go on. On the button screen (up in frame 40) the pointer rests
    // on "Beta" from frame 41; Z in frame 42 chooses nothing; the left button in frame 43
    // does, and its release in frame 44 lets beta.dat start in frame 45.
    ASSERT_TRUE(writeText("input.txt",
                          "24 key down Z\n25 key up Z\n"
                          "41 mouse move 320 310\n"
                          "42 key down Z\n"
                          "43 key up Z\n43 mouse down left\n"
                          "44 mouse up left\n"));
    const ReplayRun run = runReplay(46, "--input input.txt --data player", {0, 22, 23, 24, 39, 40, 41, 42, 43});
    ASSERT_EQ(run.status, 0) << run.err;

    // Frame 45 sets variable 1 (the loads cleared the others) and frame 46 runs `shoot 3`.
    EXPECT_EQ(run.value("frames"), 46);
    EXPECT_EQ(run.value("mode"), 2);
    EXPECT_EQ(run.value("stage"), 3);
    EXPECT_EQ(run.value("script_counter"), 5);
    std::vector<int64_t> vars(32, 0);
    vars[1] = 5;
    EXPECT_EQ(run.vars(), vars);
    EXPECT_EQ(run.value("entities"), 0);

    // Before the music is opened the keep-alive's query fails and restarts nothing; the long
    // music then plays on, so only the script's own sounds join the queries.
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(46, scriptSounds())), "");

    // Nothing is presented before the first picture screen: after the bmp frame (21) and the
    // Arm frame (22) the window still shows the loading text.
    const Surface loading = shot(0);
    EXPECT_EQ(differences(shot(22), loading), 0);
    EXPECT_EQ(differences(shot(23), firstScreen), 0);
    EXPECT_EQ(differences(shot(24), firstScreen), 0);
    for (const ScreenText& t : std::vector<ScreenText>{{100, 40, "Hello"}, {100, 80, "-15"}, {400, 40, "&Pick"}})
        EXPECT_GT(glyphPixels(shot(23), t), 20) << t.text;

    // The button screen is up two frames after buttonstart (38). With the pointer on "Beta"
    // its label shows on every second frame; the choice in frame 43 still draws it.
    EXPECT_EQ(differences(shot(39), firstScreen), 0);
    EXPECT_EQ(differences(shot(40), buttonScreen), 0);
    EXPECT_EQ(differences(shot(41), buttonScreen), 0);
    EXPECT_EQ(differences(shot(42), buttonScreenBetaHidden), 0);
    EXPECT_EQ(differences(shot(43), buttonScreen), 0);
    EXPECT_GT(glyphPixels(shot(41), {300, 300, "Beta"}), 20);
    EXPECT_EQ(glyphPixels(shot(42), {300, 300, "Beta"}), 0);

    // Both `weapon` commands saved the list in the player's folder: the player's row gains
    // weapons 1 and 2 in order, and every other row comes back exactly as it was written,
    // HP 1234 and the row with HP 0 included. The game's own list is as it was.
    EXPECT_EQ(readWhole("data/charlist.txt"), std::string(kHeader) + kPlayerRow + kOtherRows + kHeader);
    EXPECT_EQ(readWhole("player/data/charlist.txt"),
              std::string(kHeader) + kPlayerRow +
                  "000,000,000,032,032,010,001,004,016,003,010,000,000,000,032,000,001,020\n"
                  "000,000,000,032,032,010,001,004,016,005,004,000,000,000,032,000,001,000\n" +
                  kOtherRows + kHeader);
    EXPECT_FALSE(std::filesystem::exists("player/data/charlist.txt.tmp"));
}

TEST_F(ScriptReplay, BothInputsHeldKeepThePictureArmedAndAButtonLeadsToTheBattleStage) {
    // The left button and Z go down in the bmp frame (21): the picture stays armed through
    // frame 22 and shows only in frame 24, after the button is released in frame 23; the Z
    // still held is the click that passes it in that same frame. Then the same frames as
    // above up to the button screen; a press already on "&Alpha" chooses it in frame 41.
    ASSERT_TRUE(writeText("input.txt",
                          "21 key down Z\n21 mouse down left\n"
                          "23 mouse up left\n"
                          "25 key up Z\n"
                          "41 mouse move 120 310\n41 mouse down left\n"
                          "42 mouse up left\n"));
    // Without --data the run keeps the player's data in a temporary folder of its own, gone
    // when it ends.
    std::filesystem::create_directory("tmp");
    setenv("TMPDIR", "tmp", 1);
    const ReplayRun run = runReplay(43, "--input input.txt", {0, 22, 23, 24, 41});
    unsetenv("TMPDIR");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty("tmp"));
    EXPECT_EQ(readWhole("data/charlist.txt"), std::string(kHeader) + kPlayerRow + kOtherRows + kHeader);

    // alpha.dat's `kh 200` in frame 43: the stage number is a signed byte.
    EXPECT_EQ(run.value("mode"), 4);
    EXPECT_EQ(run.value("stage"), -56);
    EXPECT_EQ(run.value("script_counter"), 2);
    EXPECT_EQ(run.vars(), std::vector<int64_t>(32, 0));
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(43, scriptSounds())), "");

    const Surface loading = shot(0);
    EXPECT_EQ(differences(shot(22), loading), 0);
    EXPECT_EQ(differences(shot(23), loading), 0);
    EXPECT_EQ(differences(shot(24), firstScreen), 0);
    EXPECT_EQ(differences(shot(41), buttonScreen), 0);  // the chosen label is drawn as it goes
}

}  // namespace
