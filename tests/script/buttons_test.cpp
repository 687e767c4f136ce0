#include <cstring>

#include "platform/text.h"
#include "script/buttons.h"
#include "script/presentation.h"
#include "script_fixture.h"

namespace {

constexpr uint32_t kGrey = 0x808080;

int64_t mousePosition(int x, int y) { return static_cast<int64_t>(x) | (static_cast<int64_t>(y) << 16); }

}  // namespace

class Buttons : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        writePicture("bmp/grey.bmp", kGrey);
    }
    void pointAt(int x, int y) { hp.post(WM_MOUSEMOVE, 0, mousePosition(x, y)); }
    // True when the cell rectangle at (x, y) of `bytes` bytes shows something over the picture.
    bool labelShown(int x, int y, int bytes) const {
        return countShown(x, y, x + 12 * bytes, y + 24, kGrey) < 12 * bytes * 24;
    }
};

TEST_F(Buttons, AFiveByteLabelIsHoveredStrictlyInsideItsCell) {
    loadScriptText("buttonset 100 200 ABCDE data/t.dat buttonstart bmp/grey.bmp");
    frames(3);
    ASSERT_EQ(ScriptPhase, Phase::Show);
    InputState.buttonL = 1;
    auto chosenAt = [](int x, int y) {
        InputState.mouseX = x;
        InputState.mouseY = y;
        return buttonPass();
    };
    for (int x : {101, 130, 159})
        for (int y : {201, 212, 223}) EXPECT_EQ(chosenAt(x, y), 0) << x << "," << y;
    for (int x : {100, 160}) EXPECT_EQ(chosenAt(x, 212), kNoButton) << x;
    for (int y : {200, 224}) EXPECT_EQ(chosenAt(130, y), kNoButton) << y;
    InputState.buttonL = 0;
    EXPECT_EQ(chosenAt(130, 212), kNoButton);
}

TEST_F(Buttons, AHoveredLabelFlickersAndOthersStay) {
    loadScriptText("buttonset 100 100 One data/a.dat buttonset 100 200 Two data/b.dat buttonstart bmp/grey.bmp");
    frames(5);  // two buttonsets, buttonstart, Arm, the first Show frame
    EXPECT_EQ(ScriptCounter, 10);
    EXPECT_EQ(ShownButtonCount, 2);
    EXPECT_TRUE(labelShown(100, 100, 3));
    EXPECT_TRUE(labelShown(100, 200, 3));
    pointAt(110, 210);
    const bool expected[] = {true, false, true, false};
    for (bool shown : expected) {
        frame();
        EXPECT_EQ(labelShown(100, 200, 3), shown);
        EXPECT_TRUE(labelShown(100, 100, 3));
    }
    EXPECT_EQ(ScriptPhase, Phase::Show);  // hovering alone chooses nothing
}

TEST_F(Buttons, ChoosingLoadsTheTargetAndWithdrawsTheButtons) {
    writeFile("data/b.dat", "varset 0 7");
    loadScriptText(
        "varset 1 1 buttonset 100 100 One data/a.dat buttonset 100 200 Two data/b.dat buttonset 100 300 "
        "Three data/c.dat buttonstart bmp/grey.bmp");
    frames(6);
    pointAt(110, 210);
    hp.post(WM_KEYDOWN, VK_KEY_Z);  // Z never chooses a button
    frames(2);
    EXPECT_EQ(ScriptPhase, Phase::Show);
    EXPECT_EQ(ScriptCounter, 18);
    pointAt(500, 500);
    hp.post(WM_LBUTTONDOWN);  // nor does a press outside every button
    frames(2);
    EXPECT_EQ(ScriptPhase, Phase::Show);
    pointAt(110, 210);  // moving onto a button with the left button down chooses it
    frame();
    EXPECT_EQ(ScriptPhase, Phase::Release);
    EXPECT_EQ(InputState.buttonL, 0);
    EXPECT_EQ(ScriptCounter, 0);
    EXPECT_STREQ(ScriptTable[0], "varset");
    EXPECT_STREQ(ScriptTable[2], "7");
    EXPECT_EQ(ScriptVars[1], 0);
    EXPECT_EQ(ButtonCount, 0);
    EXPECT_EQ(ShownButtonCount, 0);
    frames(2);  // Release waits for Z, which is still down
    EXPECT_EQ(ScriptPhase, Phase::Release);
    hp.post(WM_KEYUP, VK_KEY_Z);
    frames(2);
    EXPECT_EQ(ScriptVars[0], 7);
}

TEST_F(Buttons, OverlappingButtonsShareTheBlinkAndTheLaterOneIsChosen) {
    writeFile("data/second.dat", "varset 0 2");
    loadScriptText(
        "buttonset 100 100 Wide data/first.dat buttonset 110 100 Wide data/second.dat buttonstart bmp/grey.bmp");
    frames(4);
    InputState.mouseX = 130;
    InputState.mouseY = 110;
    frame();
    // The first hovered label is drawn and hides the blink for the second, which is not.
    Surface expected;
    resizeSurface(expected, kScreenWidth, kScreenHeight, kGrey);
    drawText(expected, 100, 100, 148, 124, "Wide", 4);
    EXPECT_EQ(hp.shown.pixels, expected.pixels);
    EXPECT_EQ(BlinkToggle, kBlinkShow);
    InputState.buttonL = 1;
    frame();
    EXPECT_STREQ(ScriptTable[2], "2");
}

TEST_F(Buttons, EightButtonsetsOfferSeven) {
    std::string text;
    for (int i = 0; i < 9; ++i)
        text += "buttonset 10 " + std::to_string(10 + 40 * i) + " L" + std::to_string(i) + " data/t.dat ";
    loadScriptText(text + "buttonstart bmp/grey.bmp");
    frames(8);
    EXPECT_EQ(ButtonCount, 7);
    frame();
    EXPECT_EQ(ButtonCount, 7);
    EXPECT_STREQ(ButtonTable[7].label, "L8");
    EXPECT_EQ(ButtonTable[7].y, 330);
    frames(3);
    EXPECT_EQ(ShownButtonCount, 7);
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(labelShown(10, 10 + 40 * i, 2)) << i;
    EXPECT_FALSE(labelShown(10, 10 + 40 * 7, 2));
    EXPECT_FALSE(labelShown(10, 10 + 40 * 8, 2));
}

TEST_F(Buttons, ButtonstartWithoutButtonsIsAPlainScreen) {
    loadScriptText("buttonstart bmp/grey.bmp varset 0 1");
    frames(3);
    EXPECT_EQ(ShownButtonCount, 0);
    EXPECT_EQ(ScriptCounter, 0);
    InputState.keyZ = 1;
    frame();
    InputState.keyZ = 0;
    EXPECT_EQ(ScriptCounter, 1);
    frames(2);  // Release, then the picture path is skipped as no keyword
    EXPECT_EQ(ScriptCounter, 2);
    frame();
    EXPECT_EQ(ScriptVars[0], 1);
}

TEST_F(Buttons, PendingButtonsSurviveALoadAndABmpScreen) {
    writeFile("data/next.dat", "bmp bmp/grey.bmp buttonstart bmp/grey.bmp");
    loadScriptText("buttonset 300 300 Go data/t.dat call data/next.dat");
    frames(5);  // buttonset, call, bmp, Arm, Show
    EXPECT_EQ(ShownButtonCount, 0);
    EXPECT_FALSE(labelShown(300, 300, 2));
    InputState.keyZ = 1;
    frame();
    InputState.keyZ = 0;
    frames(4);  // Release, the path, buttonstart, Arm... then Show
    frame();
    EXPECT_EQ(ShownButtonCount, 1);
    EXPECT_TRUE(labelShown(300, 300, 2));
}
