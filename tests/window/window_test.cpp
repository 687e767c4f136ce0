// The demo in its real window, played through the practices as a player would.
#include <gtest/gtest.h>

#include <chrono>

#include "stage/scenery.h"
#include "window/demo_window.h"

namespace {

using namespace demo_window;

TEST_F(DemoWindow, ShootingPracticeRunsAndTheArrowKeysWalkTheMechOffItsPad) {
    learnPractice(320, 278);
    openWindow();
    enterPractice(320, 278);
    if (HasFatalFailure()) return;

    // Z fires; Left walks the mech off its pad into the sea, and the stage is lost.
    xdotool("windowfocus --sync " + window + " keydown z sleep 0.3 keydown Left");
    const bool lost = waitFor(bannerLook(sheet, kLostBannerTop), 1.0, 30, "lost");
    xdotool("keyup Left keyup z");
    ASSERT_TRUE(lost) << "the lost banner never showed";
    EXPECT_EQ(bannerLook(sheet, kLostBannerTop).shownBy(screenshot("lost-screenshot")), 1.0);
    closeWindow();
}

TEST_F(DemoWindow, BattlePracticeIsWonWithTheMouse) {
    learnPractice(320, 326);
    openWindow();
    enterPractice(320, 326);
    if (HasFatalFailure()) return;

    // The right button held steers the mech to the targets; left clicks fire the main gun.
    xdotool("mousemove --window " + window + " 600 300 sleep 0.1 mousedown 3");
    const Look won = bannerLook(sheet, kWonBannerTop);
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    const auto pixel = [this](int x, int y) { return shown(x, y); };
    bool cleared = false;
    while (!cleared && Clock::now() < deadline) {
        xdotool("mousedown 1 sleep 0.05 mouseup 1 sleep 0.1");
        cleared = won.shownBy(pixel) == 1.0;  // the banner stays for 300 frames
    }
    writeBitmapFile(cleared ? "won.bmp" : "won-timeout.bmp", snapshot());
    xdotool("mouseup 3");
    ASSERT_TRUE(cleared) << "the practice field was not cleared";
    EXPECT_EQ(won.shownBy(screenshot("won-screenshot")), 1.0);
    closeWindow();
}

}  // namespace
