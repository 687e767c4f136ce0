// Menus without a mouse: which keys the menu takes on which screens, the clicks it makes for
// them, and the highlight on the presented copy of a frame.
#include "app/keyboard_menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "script/buttons.h"
#include "script/interpreter.h"
#include "stage/world.h"
#include "support/messages.h"

namespace {

class Menu : public ::testing::Test {
protected:
    void SetUp() override {
        GameMode = kScriptMode;
        ScriptPhase = Phase::Show;
        ButtonTable[0] = Button{300, 220, "&Story", ""};
        ButtonTable[1] = Button{300, 268, "S&hooting practice", ""};
        ButtonTable[2] = Button{300, 316, "", ""};  // no cells: no mouse could press it
        ShownButtonCount = 3;
    }
    void TearDown() override {
        ScriptPhase = Phase::Execute;
        ShownButtonCount = 0;
    }
    // Presses and lets go of `key` (held down, it repeats once); true when the menu took it all.
    bool tap(uint32_t key, bool paused = false) {
        const bool down = menu.takes({WM_KEYDOWN, key, 0}, paused, false);
        const bool repeat = menu.takes({WM_KEYDOWN, key, kPreviousStateBit}, paused, false);
        return menu.takes({WM_KEYUP, key, 0}, paused, false) && down && repeat;
    }
    std::vector<Message> made() {
        std::vector<Message> got;
        for (Message m; menu.nextMade(m);) got.push_back(m);
        return got;
    }

    KeyboardMenu menu;
};

TEST_F(Menu, KeysWalkTheHighlightAndPressItOrALabelsLetterAsAClickThatAFrameSees) {
    EXPECT_TRUE(tap(VK_RETURN));  // the first press shows where the highlight starts
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_TRUE(tap(VK_DOWN));    // its repeat walks on, past the label without cells
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_FALSE(menu.takes({WM_KEYDOWN, VK_SHIFT, 0}, false, false));  // read, never taken
    EXPECT_TRUE(tap(VK_TAB));
    EXPECT_EQ(menu.highlighted(), 0);
    EXPECT_TRUE(made().empty());  // walking makes no clicks

    EXPECT_TRUE(tap('H'));
    // The middle of "S&hooting practice": 18 cells of 12 pixels from 300, 12 below 268; let
    // go only once a frame has seen the press.
    expectMessages(made(), {{WM_MOUSEMOVE, 0, at(408, 280)}, {WM_LBUTTONDOWN, 0, at(408, 280)}});
    EXPECT_EQ(menu.highlighted(), 1);
    menu.frameStarted();
    expectMessages(made(), {{WM_LBUTTONUP, 0, at(408, 280)}});
    EXPECT_TRUE(tap(VK_KEY_Z));  // Z, a pad's A, presses the highlighted button
    EXPECT_EQ(made().size(), 2u);
    menu.frameStarted();
    made();
    EXPECT_FALSE(tap('Q'));  // underlined by no label: the game's
    EXPECT_EQ(KeyboardMenu::mnemonicOf("R&&D &9"), static_cast<uint32_t>('9'));
    EXPECT_EQ(KeyboardMenu::mnemonicOf("None&"), 0u);

    // A picture screen without buttons goes on with Space, and a screen still being put up
    // holds the click until the frame that shows it.
    ShownButtonCount = 0;
    ScriptPhase = Phase::Arm;
    EXPECT_FALSE(tap(VK_DOWN));
    EXPECT_TRUE(tap(VK_SPACE));
    expectMessages(made(), {{WM_LBUTTONDOWN, 0, at(408, 280)}});
    menu.frameStarted();
    EXPECT_TRUE(made().empty());
    ScriptPhase = Phase::Show;
    menu.frameStarted();
    expectMessages(made(), {{WM_LBUTTONUP, 0, at(408, 280)}});
}

TEST_F(Menu, KeysStayTheGamesInStagesBetweenScreensWhilePausedAndWhileTheGameHoldsThem) {
    EXPECT_FALSE(tap(VK_KEY_Z));  // nothing highlighted yet
    EXPECT_FALSE(menu.takes({WM_SYSKEYDOWN, VK_RETURN, kAltContextBit}, false, false));
    EXPECT_FALSE(tap(VK_TAB, true));
    EXPECT_TRUE(menu.takes({WM_KEYDOWN, VK_UP, 0}, false, false));
    EXPECT_TRUE(menu.takes({WM_KEYUP, VK_UP, 0}, true, false));  // taken before the pause
    // Right, held down when the menu came up, repeats and is let go for the game.
    EXPECT_FALSE(menu.takes({WM_KEYDOWN, VK_RIGHT, kPreviousStateBit}, false, false));
    EXPECT_FALSE(menu.takes({WM_KEYUP, VK_RIGHT, 0}, false, false));

    for (const auto& [mode, phase] : {std::pair{kShootingMode, Phase::Show}, {kScriptMode, Phase::Execute}}) {
        GameMode = mode;
        ScriptPhase = phase;
        menu.frameStarted();
        EXPECT_EQ(menu.highlighted(), -1);
        for (uint32_t key : {0x09u, 0x25u, 0x27u, 0x0Du, 0x20u, 0x5Au, 0x53u}) EXPECT_FALSE(tap(key)) << key;
    }
    // Once the keys were used, the next button set opens highlighted; the mouse takes it away.
    GameMode = kScriptMode;
    ScriptPhase = Phase::Show;
    menu.frameStarted();
    EXPECT_EQ(menu.highlighted(), 0);
    menu.pointerMoved();
    EXPECT_EQ(menu.highlighted(), -1);
}

TEST_F(Menu, TheHighlightIsARingOnACopyOfTheFrame) {
    Surface frame;
    resizeSurface(frame, kScreenWidth, kScreenHeight, 0x336699);
    EXPECT_EQ(&menu.decorate(frame), &frame);  // nothing highlighted: the frame itself
    menu.takes({WM_KEYDOWN, VK_TAB, 0}, false, false);
    const Surface& shown = menu.decorate(frame);
    ASSERT_NE(&shown, &frame);
    int changed = 0;
    for (size_t i = 0; i < frame.pixels.size(); ++i) changed += shown.pixels[i] != frame.pixels[i];
    // Two dark lines round the 6 cells at (300, 220), then two light ones; the game's frame
    // untouched.
    EXPECT_EQ(changed, (76 * 28 - 72 * 24) + (80 * 32 - 76 * 28));
    EXPECT_EQ(shown.row(230)[299], kBlack);
    EXPECT_EQ(shown.row(230)[297], kWhite);
    EXPECT_EQ(frame.row(230)[299], 0x336699u);
}

}  // namespace
