// The real game on a virtual X display: its window appears with class "ModelApp", 800 x 600
// and an empty title, and closing it with Alt+F4 ends the game with exit status 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

using RealWindow = VirtualDisplayTest;

TEST_F(RealWindow, OpensUnderAVirtualDisplayAndExitsCleanlyWhenClosed) {
    if (!onPath("Xvfb") || !onPath("xdotool"))
        GTEST_SKIP() << "Xvfb and xdotool are needed to open the real window (Debian packages xvfb, xdotool)";
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, 0xFFFFFF));
    ASSERT_TRUE(writePlainBmp("bmp/char.bmp", 64, 64, 0x000000));
    ASSERT_TRUE(writeText("data/advfile.dat", "end"));  // a folder without a script is refused

    const std::string display = startServer();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    game = startGame(display, folder.path());
    const std::string x = "DISPLAY=" + display + " ";

    const std::string window = capture(x + "timeout 30 xdotool search --sync --onlyvisible --class ModelApp | head -n 1");
    ASSERT_FALSE(window.empty()) << "no window of class ModelApp appeared";
    EXPECT_NE(capture(x + "xdotool getwindowgeometry " + window).find("Geometry: 800x600"), std::string::npos);
    EXPECT_EQ(capture(x + "xdotool getwindowname " + window), "");

    ASSERT_EQ(std::system((x + "xdotool windowfocus --sync " + window + " key alt+F4").c_str()), 0);
    const int status = waitFor(game, 30);
    ASSERT_NE(status, -1) << "the game did not end after Alt+F4";
    game = 0;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
