// Menus without a mouse: which keys the menu takes on which screens, the clicks it makes for
// them, and the highlight it draws on the presented copy of a frame.
#include "app/keyboard_menu.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "script/buttons.h"
#include "script/interpreter.h"
#include "stage/world.h"
#include "support/messages.h"

namespace {

Message keyDown(uint32_t key, bool repeat = false) { return {WM_KEYDOWN, key, repeat ? kPreviousStateBit : 0}; }
Message keyUp(uint32_t key) { return {WM_KEYUP, key, 0}; }

class Menu : public ::testing::Test {
protected:
    void SetUp() override {
        GameMode = kScriptMode;
        ScriptPhase = Phase::Show;
        setButton(0, 300, 220, "&Story");
        setButton(1, 300, 268, "S&hooting practice");
        setButton(2, 300, 316, "");  // no cells: no mouse could press it
        setButton(3, 300, 364, "&Armory");
        ShownButtonCount = 4;
    }
    void TearDown() override {
        GameMode = kScriptMode;
        ScriptPhase = Phase::Execute;
        ShownButtonCount = 0;
    }
    static void setButton(int j, int x, int y, const char* label) {
        ButtonTable[j].x = x;
        ButtonTable[j].y = y;
        std::snprintf(ButtonTable[j].label, sizeof ButtonTable[j].label, "%s", label);
    }
    // Presses and lets go of `key`; true when the menu took both.
    bool tap(uint32_t key) {
        const bool down = menu.takes(keyDown(key), false, false);
        return menu.takes(keyUp(key), false, false) && down;
    }
    std::vector<Message> made() {
        std::vector<Message> got;
        for (Message m; menu.nextMade(m);) got.push_back(m);
        return got;
    }

    KeyboardMenu menu;
};

TEST_F(Menu, TabShiftTabAndTheArrowsWalkThePressableButtonsRoundAndWrap) {
    EXPECT_EQ(menu.highlighted(), -1);
    EXPECT_TRUE(tap(VK_TAB));
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_TRUE(tap(VK_DOWN));
    EXPECT_EQ(menu.highlighted(), 1);
    EXPECT_TRUE(tap(VK_RIGHT));
    EXPECT_EQ(menu.highlighted(), 3);  // the label without cells is passed over
    EXPECT_TRUE(tap(VK_TAB));
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_TRUE(menu.takes(keyDown(VK_UP), false, false));
    EXPECT_TRUE(menu.takes(keyDown(VK_UP, true), false, false));  // a held key walks on
    EXPECT_TRUE(menu.takes(keyUp(VK_UP), false, false));
    EXPECT_EQ(menu.highlighted(), 1);
    // Shift is read, never taken.
    EXPECT_FALSE(menu.takes(keyDown(VK_SHIFT), false, false));
    EXPECT_TRUE(tap(VK_TAB));
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_FALSE(menu.takes(keyUp(VK_SHIFT), false, false));
    EXPECT_TRUE(made().empty());  // walking makes no clicks

    // The player's hand on the mouse takes the highlight away.
    menu.pointerMoved();
    EXPECT_EQ(menu.highlighted(), -1);
}

TEST_F(Menu, EnterSpaceZAndMnemonicsPressAButtonByAMoveAndAClickThatAFrameSees) {
    // Enter first shows the highlight, then presses it.
    EXPECT_TRUE(tap(VK_RETURN));
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_TRUE(made().empty());
    EXPECT_TRUE(tap(VK_DOWN));
    EXPECT_TRUE(menu.takes(keyDown(VK_SPACE), false, false));
    // The middle of "S&hooting practice": 18 cells of 12 pixels from 300, 12 below 268.
    expectMessages(made(), {{WM_MOUSEMOVE, 0, at(408, 280)}, {WM_LBUTTONDOWN, 0, at(408, 280)}});
    EXPECT_TRUE(menu.takes(keyUp(VK_SPACE), false, false));
    EXPECT_TRUE(made().empty());  // let go only once a frame has seen the press
    menu.frameStarted();
    expectMessages(made(), {{WM_LBUTTONUP, 0, at(408, 280)}});

    // A label's underlined letter presses its button at once; a letter no label underlines
    // is the game's.
    EXPECT_TRUE(tap('A'));
    expectMessages(made(), {{WM_MOUSEMOVE, 0, at(342, 376)}, {WM_LBUTTONDOWN, 0, at(342, 376)}});
    EXPECT_EQ(menu.highlighted(), 3);
    menu.frameStarted();
    made();
    EXPECT_FALSE(tap('Q'));
    // Z (a pad's A) presses the highlighted button; with the left button held no click is made.
    EXPECT_TRUE(menu.takes(keyDown(VK_KEY_Z), false, true));
    EXPECT_TRUE(made().empty());
    EXPECT_TRUE(tap(VK_KEY_Z));
    EXPECT_EQ(made().size(), 2u);
    EXPECT_EQ(KeyboardMenu::mnemonicOf("Back to the &hangar"), static_cast<uint32_t>('H'));
    EXPECT_EQ(KeyboardMenu::mnemonicOf("R&&D &9"), static_cast<uint32_t>('9'));
    EXPECT_EQ(KeyboardMenu::mnemonicOf("No mnemonic&"), 0u);
}

TEST_F(Menu, KeysStayTheGamesOutsideMenusWhilePausedAndWhileTheGameHoldsThem) {
    // Z without a highlight, and Alt combinations, are the game's.
    EXPECT_FALSE(tap(VK_KEY_Z));
    EXPECT_FALSE(menu.takes(Message{WM_SYSKEYDOWN, VK_RETURN, kAltContextBit}, false, false));
    // Paused: nothing is taken but the releases of keys taken before.
    EXPECT_TRUE(menu.takes(keyDown(VK_DOWN), false, false));
    EXPECT_FALSE(menu.takes(keyDown(VK_TAB), true, false));
    EXPECT_TRUE(menu.takes(keyUp(VK_DOWN), true, false));
    // Right, held down when the menu came up, repeats and is let go for the game.
    EXPECT_FALSE(menu.takes(keyDown(VK_RIGHT, true), false, false));
    EXPECT_FALSE(menu.takes(keyUp(VK_RIGHT), false, false));

    // In a stage every key is the game's, and the highlight goes with the buttons.
    GameMode = kShootingMode;
    menu.frameStarted();
    EXPECT_EQ(menu.highlighted(), -1);
    for (uint32_t key : {uint32_t{VK_TAB}, uint32_t{VK_LEFT}, uint32_t{VK_RIGHT}, uint32_t{VK_UP}, uint32_t{VK_DOWN},
                         uint32_t{VK_RETURN}, uint32_t{VK_SPACE}, uint32_t{VK_KEY_Z}, uint32_t{'S'}})
        EXPECT_FALSE(tap(key)) << key;
    // Between two screens (the script running its commands) too.
    GameMode = kScriptMode;
    ScriptPhase = Phase::Execute;
    EXPECT_FALSE(tap(VK_RETURN));
    EXPECT_TRUE(made().empty());
    // Once the keys were used, the next button set opens highlighted.
    ScriptPhase = Phase::Show;
    menu.frameStarted();
    EXPECT_EQ(menu.highlighted(), 0);
}

TEST_F(Menu, EnterAndSpaceGoOnFromAPictureScreenWithAClickHeldUntilTheScreenIsUp) {
    ShownButtonCount = 0;
    ScriptPhase = Phase::Arm;
    menu.notePointer(at(5, 7));
    EXPECT_FALSE(tap(VK_TAB));
    EXPECT_FALSE(tap(VK_DOWN));
    EXPECT_TRUE(tap(VK_RETURN));
    EXPECT_TRUE(tap(VK_SPACE));  // no second click while the first is down
    expectMessages(made(), {{WM_LBUTTONDOWN, 0, at(5, 7)}});
    menu.frameStarted();  // the frame that puts the screen up does not look for a click
    EXPECT_TRUE(made().empty());
    ScriptPhase = Phase::Show;
    menu.frameStarted();
    expectMessages(made(), {{WM_LBUTTONUP, 0, at(5, 7)}});
}

TEST_F(Menu, TheHighlightIsDrawnOnACopyOfTheFrameRoundTheLabel) {
    Surface frame;
    resizeSurface(frame, kScreenWidth, kScreenHeight, 0x336699);
    EXPECT_EQ(&menu.decorate(frame), &frame);  // nothing highlighted: the frame itself
    tap(VK_TAB);
    const Surface& shown = menu.decorate(frame);
    ASSERT_NE(&shown, &frame);
    EXPECT_EQ(frame.row(219)[299], 0x336699u);  // the game's own frame is untouched
    // Two dark lines, then two light ones, round the label's 6 cells at (300, 220).
    for (int d : {1, 2}) {
        EXPECT_EQ(shown.row(220 - d)[310], kBlack);
        EXPECT_EQ(shown.row(250)[300 + 72 - 1 + d] & 0xFFFFFF, 0x336699u) << "below the ring";
        EXPECT_EQ(shown.row(230)[300 + 72 - 1 + d], kBlack);
        EXPECT_EQ(shown.row(230)[300 - d], kBlack);
        EXPECT_EQ(shown.row(230)[300 - 2 - d], kWhite);
        EXPECT_EQ(shown.row(244 - 1 + d)[310], kBlack);
    }
    int changed = 0;
    for (size_t i = 0; i < frame.pixels.size(); ++i) changed += shown.pixels[i] != frame.pixels[i];
    EXPECT_EQ(changed, (76 * 28 - 72 * 24) + (80 * 32 - 76 * 28));  // the two rings, and nothing else
}

}  // namespace
