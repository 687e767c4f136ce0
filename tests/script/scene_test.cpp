// A whole scene through start-up and the main loop: frame numbers of the sounds, the shown
// window, a choice, and the hand-over to a stage and back.
#include "script/buttons.h"
#include "script/presentation.h"
#include "script_fixture.h"
#include "stage/world.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

}  // namespace

using Scene = ScriptTest;

TEST_F(Scene, AScriptRunsFrameByFrameThroughTheMainLoop) {
    writePicture("bmp/format.bmp", kBlack);
    writePicture("bmp/red.bmp", kRed);
    writePicture("bmp/blue.bmp", kBlue);
    writeFile("data/advfile.dat",
              "bgm wav/theme.wav\r\n"
              "drawtext 0 100 200 Hello\r\n"
              "varset 3 -5 drawtext 1 100 260 @3\r\n"
              "wav wav/a.wav\r\n"
              "bmp bmp/red.bmp\r\n"
              "buttonset 100 400 Next data/two.dat\r\n"
              "buttonstart bmp/blue.bmp\r\n");
    writeFile("data/two.dat", "weapon 1 3 10 20 wav2 wav/b.wav kh 2 drawtext 0 10 10 @0 bmp bmp/red.bmp");
    startUp();
    frames(8);
    EXPECT_EQ(ScriptPhase, Phase::Show);
    EXPECT_EQ(hp.shown.row(0)[0], kRed);
    EXPECT_STREQ(TextSlots[1].text, "-5");
    EXPECT_LT(countShown(100, 200, 160, 224, kRed), 60 * 24);  // "Hello"
    EXPECT_LT(countShown(100, 260, 124, 284, kRed), 24 * 24);  // "-5"

    hp.post(WM_LBUTTONDOWN);
    frame();  // 9: the click
    hp.post(WM_LBUTTONUP);
    frames(5);  // 10 Release, 11 buttonset, 12 buttonstart, 13 Arm, 14 Show
    EXPECT_EQ(ShownButtonCount, 1);
    EXPECT_EQ(hp.shown.row(0)[0], kBlue);
    EXPECT_LT(countShown(100, 400, 148, 424, kBlue), 48 * 24);  // "Next"
    EXPECT_LT(countShown(100, 200, 160, 224, kBlue), 60 * 24);  // the texts stay

    hp.post(WM_MOUSEMOVE, 0, 110 | (410 << 16));
    hp.post(WM_LBUTTONDOWN);
    frame();  // 15: chosen
    EXPECT_STREQ(ScriptTable[0], "weapon");
    hp.post(WM_LBUTTONUP);
    frames(5);  // 16 Release, 17 weapon, 18 the skipped 20, 19 wav2, 20 kh
    EXPECT_EQ(CharTable[0].WEP[1], 3);
    EXPECT_EQ(GameMode, 4);
    EXPECT_EQ(StageNumber, 2);

    const std::vector<std::string> expected = {"1 mci close BGM", "1 mci open ./wav/theme.wav alias BGM",
                                               "1 mci play BGM", "5 effect wav/a.wav", "19 effect wav/b.wav"};
    EXPECT_EQ(soundTrace(), expected);

    // Back from a won battle, the script goes on after kh with variable 0 set.
    GameMode = 1;
    ScriptVars[0] = 1;
    frames(4);  // drawtext, bmp, Arm, Show
    EXPECT_STREQ(TextSlots[0].text, "1");
    EXPECT_EQ(TextSlots[0].x, 10);
    EXPECT_LT(countShown(10, 10, 22, 34, kRed), 12 * 24);
}
