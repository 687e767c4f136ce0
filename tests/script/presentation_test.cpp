#include <cstring>

#include "platform/text.h"
#include "script/buttons.h"
#include "script/presentation.h"
#include "script_fixture.h"

namespace {

constexpr uint32_t kGrey = 0x808080;

}  // namespace

class Presentation : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        writePicture("bmp/grey.bmp", kGrey);
    }
    // Frames until the first Show frame of the screen the script is heading for.
    void runToShow(int limit = 40) {
        for (int i = 0; i < limit && !(ScriptPhase == Phase::Show && hp.presentCount > 0); ++i) frame();
    }
    void click() {
        InputState.keyZ = 1;
        frame();
        InputState.keyZ = 0;
    }
};

TEST_F(Presentation, BgmSendsCloseOpenPlayAndSetsTheMusicName) {
    loadScriptText("bgm wav/theme.wav varset 0 1");
    frame();
    EXPECT_STREQ(BgmFileName, "wav/theme.wav");
    EXPECT_EQ(ScriptCounter, 2);
    const std::vector<std::string> expected = {"1 mci close BGM", "1 mci open ./wav/theme.wav alias BGM",
                                               "1 mci play BGM"};
    EXPECT_EQ(soundTrace(), expected);
    EXPECT_EQ(hp.clockMs, 16 + 30);  // the frame's sleep and the three commands' waits
}

TEST_F(Presentation, Wav2NeverStartsTheSameSoundTwiceInARow) {
    writeFile("data/next.dat", "wav2 a.wav wav2 c.wav");
    loadScriptText("wav2 a.wav wav2 a.wav wav2 b.wav wav2 a.wav wav a.wav wav2 a.wav wav b.wav call data/next.dat");
    frames(10);
    const std::vector<std::string> expected = {"1 effect a.wav", "3 effect b.wav", "4 effect a.wav",
                                               "5 effect a.wav", "7 effect b.wav", "10 effect c.wav"};
    EXPECT_EQ(soundTrace(), expected);
    EXPECT_STREQ(LastWav2Name, "c.wav");
}

TEST_F(Presentation, DrawtextStoresTheTextOrAVariablesValue) {
    loadScriptText(
        "varset 5 -5 varset 12 2147483647 drawtext 0 100 200 @5 drawtext 1 -3 7 @12 drawtext 2 0 0 @ "
        "drawtext 3 0 0 @-9 drawtext 4 0 0 @7x drawtext 5 0 0 a@b varset 5 1");
    frames(10);
    EXPECT_STREQ(TextSlots[0].text, "-5");  // taken when the command ran
    EXPECT_EQ(TextSlots[0].x, 100);
    EXPECT_EQ(TextSlots[0].y, 200);
    EXPECT_STREQ(TextSlots[1].text, "2147483647");
    EXPECT_EQ(TextSlots[1].x, -3);
    EXPECT_STREQ(TextSlots[2].text, "0");
    EXPECT_STREQ(TextSlots[3].text, "0");  // '-' ends the number: variable 0
    EXPECT_STREQ(TextSlots[4].text, "");  // letters count as digits: 7x names variable 142
    EXPECT_STREQ(TextSlots[5].text, "a@b");
}

TEST_F(Presentation, TextsAreDrawnBlackOnWhiteInTheirCells) {
    loadScriptText("drawtext 3 100 200 Hello bmp bmp/grey.bmp");
    runToShow();
    // Every pixel the text changed lies in its 60 x 24 cell rectangle.
    EXPECT_EQ(countShown(0, 0, 800, 600, kGrey), 800 * 600 - countShown(100, 200, 160, 224, kBlack) -
                                                     countShown(100, 200, 160, 224, kWhite));
    EXPECT_GT(countShown(100, 200, 160, 224, kBlack), 20);
    EXPECT_GT(countShown(100, 200, 160, 224, kWhite), 100);
    Surface alone;
    resizeSurface(alone, kScreenWidth, kScreenHeight, kGrey);
    drawText(alone, 100, 200, 160, 224, "Hello", 5);
    EXPECT_EQ(hp.shown.pixels, alone.pixels);
}

TEST_F(Presentation, TextsStayForTheScriptAndGoWithTheNextLoad) {
    writeFile("data/next.dat", "bmp bmp/grey.bmp");
    loadScriptText("drawtext 3 10 10 Hi bmp bmp/grey.bmp bmp bmp/grey.bmp call data/next.dat");
    runToShow();
    EXPECT_GT(countShown(10, 10, 34, 34, kBlack), 0);
    click();
    hp.presentCount = 0;
    runToShow();
    EXPECT_EQ(ScriptCounter, 8);
    EXPECT_GT(countShown(10, 10, 34, 34, kBlack), 0);
    click();
    hp.presentCount = 0;
    runToShow();
    EXPECT_STREQ(ScriptTable[0], "bmp");
    EXPECT_EQ(countShown(0, 0, 800, 600, kGrey), 800 * 600);
}

TEST_F(Presentation, HigherSlotsCoverLowerOnesAndBlankTextsAreSkipped) {
    loadScriptText("drawtext 1 50 50 MMMM drawtext 0 50 50 ii bmp bmp/grey.bmp");
    runToShow();
    Surface expected;
    resizeSurface(expected, kScreenWidth, kScreenHeight, kGrey);
    drawText(expected, 50, 50, 74, 74, "ii", 2);
    drawText(expected, 50, 50, 98, 74, "MMMM", 4);
    EXPECT_EQ(hp.shown.pixels, expected.pixels);
}

TEST_F(Presentation, MnemonicsAndFarOffTextsAreHandled) {
    loadScriptText(
        "drawtext 0 100 100 &Ab drawtext 1 100 300 Ab drawtext 2 2147483640 10 far drawtext 3 -2147483648 "
        "2147483647 far bmp bmp/grey.bmp");
    runToShow();
    // The ampersand is not drawn: both texts take the same width.
    EXPECT_EQ(countShown(100, 100, 136, 124, kGrey), countShown(100, 300, 136, 324, kGrey));
    EXPECT_GT(countShown(100, 100, 136, 124, kBlack), countShown(100, 300, 136, 324, kBlack));
    // The far-off texts touch nothing: their rectangles must not wrap around onto the screen.
    Surface expected;
    resizeSurface(expected, kScreenWidth, kScreenHeight, kGrey);
    drawText(expected, 100, 100, 136, 124, "&Ab", 3);
    drawText(expected, 100, 300, 124, 324, "Ab", 2);
    EXPECT_EQ(hp.shown.pixels, expected.pixels);
}
