// The player's input in the real window on a virtual display (Xvfb, driven by xdotool):
// clicks that come and go between two frames, menus played from the keyboard (and the
// recording of such a session played back by sortie-replay), and a window that opens at the
// largest scale that fits and shows the picture at any size it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "support/build_paths.h"
#include "support/demo_folder.h"
#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kGridStep = 8;

// The demo's screens, as sortie-replay shows them: the title, the menu (its title clicked
// at frame 20) and the shooting practice's screen (its menu button clicked at frame 50).
struct Screens {
    Surface title, menu, practice;
};

class PlayerInput : public VirtualDisplayTest {
protected:
    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed to play in a real window (Debian packages xvfb, xdotool); "
                            "./test.sh installs them";
        ASSERT_EQ(copyDemoGame("game"), "");
        ASSERT_TRUE(writeText("route.txt", "20 mouse down left\n21 mouse up left\n"
                                           "50 mouse move 320 278\n50 mouse down left\n51 mouse up left\n"));
        const std::string shots = std::string("'") + SORTIE_REPLAY_PROGRAM +
                                  "' --frames 80 --input route.txt --shot 10=title.bmp --shot 40=menu.bmp "
                                  "--shot 80=practice.bmp game >/dev/null";
        ASSERT_EQ(std::system(shots.c_str()), 0);
        ASSERT_TRUE(readBitmapFile("title.bmp", screens.title));
        ASSERT_TRUE(readBitmapFile("menu.bmp", screens.menu));
        ASSERT_TRUE(readBitmapFile("practice.bmp", screens.practice));
    }

    // The share of grid points where the window shows `s`, among those where `s` differs
    // from every screen in `unlike`.
    double shareShown(const Surface& s, const std::vector<const Surface*>& unlike) const {
        int same = 0, all = 0;
        for (int y = kGridStep / 2; y < kScreenHeight; y += kGridStep) {
            for (int x = kGridStep / 2; x < kScreenWidth; x += kGridStep) {
                const uint32_t colour = s.row(y)[x] & 0xFFFFFF;
                bool own = true;
                for (const Surface* u : unlike) own = own && (u->row(y)[x] & 0xFFFFFF) != colour;
                if (!own) continue;
                ++all;
                same += shown(x, y) == colour;
            }
        }
        return all == 0 ? 0 : static_cast<double>(same) / all;
    }
    static bool waitUntil(const std::function<bool()>& done, double seconds) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    bool waitShows(const Surface& s, const std::vector<const Surface*>& unlike, double seconds) {
        return waitUntil([&] { return shareShown(s, unlike) >= 0.9; }, seconds);
    }
    bool waitTitle() { return waitShows(screens.title, {&screens.menu}, 60); }
    bool waitMenu() { return waitShows(screens.menu, {&screens.title, &screens.practice}, 10); }
    bool waitPractice() { return waitShows(screens.practice, {&screens.menu}, 10); }
    // Gone from the practice screen: the stage is being handed over.
    bool waitPracticeLeft() {
        return waitUntil([this] { return shareShown(screens.practice, {&screens.menu}) < 0.5; }, 10);
    }
    // The highlight's dark ring, then its light one, left of the label that starts at (x, y).
    bool waitHighlight(int x, int y) {
        return waitUntil([=, this] { return shown(x - 1, y + 12) == kBlack && shown(x - 3, y + 12) == kWhite; }, 10);
    }
    // One click at picture pixel (x, y), its press and release sent together: most often
    // both arrive between two frames.
    void tapAt(int x, int y) {
        xdotool("mousemove --window " + window + " " + std::to_string(pictureLeft + x * scale + scale / 2) + " " +
                std::to_string(pictureTop + y * scale + scale / 2) + " click 1");
    }

    TempGameFolder folder;
    Screens screens;
};

TEST_F(PlayerInput, AScaleThatDoesNotFitIsLoweredAnySizeShowsThePictureCentredAndEveryQuickTapGoesOn) {
    openGameWindow("game", {"--scale", "3", "."}, "1700x1300x24", fs::absolute("output.txt").string());
    if (HasFatalFailure()) return;
    EXPECT_EQ(width, 1600);  // twice 800 x 600 fits the screen, three times does not
    EXPECT_EQ(height, 1200);
    EXPECT_EQ(windowLeft, 50);  // in the middle of it
    EXPECT_EQ(windowTop, 50);
    std::string output;
    EXPECT_TRUE(waitUntil([&] { return !(output = readWhole("output.txt")).empty(); }, 10));
    EXPECT_EQ(output,
              "sortie: a window 3 times 800 x 600 does not fit the free 1700 x 1300 of this screen; it opens 2 times\n");
    ASSERT_TRUE(waitTitle()) << "the window never showed the title";

    // Made 1000 x 700 by the desktop: the picture at its own size in the middle, on black.
    xdotool("windowsize --sync " + window + " 1000 700");
    EXPECT_TRUE(waitUntil([this] { return readGeometry(), width == 1000 && height == 700; }, 10));
    EXPECT_EQ(scale, 1);
    EXPECT_EQ(pictureLeft, 100);
    EXPECT_EQ(pictureTop, 50);
    ASSERT_TRUE(waitTitle()) << "the resized window does not show the title";
    EXPECT_EQ(shownInWindow(50, 350), kBlack);
    EXPECT_EQ(shownInWindow(950, 20), kBlack);

    // Three taps, each sent once, land where the picture shows: the title, the menu's
    // button, the practice screen.
    tapAt(400, 300);
    ASSERT_TRUE(waitMenu()) << "the tap on the title was not seen";
    tapAt(320, 278);
    ASSERT_TRUE(waitPractice()) << "the tap on the menu button was not seen";
    tapAt(400, 300);
    ASSERT_TRUE(waitPracticeLeft()) << "the tap on the practice screen was not seen";
    closeGameWindow();
}

TEST_F(PlayerInput, MenusArePlayedFromTheKeyboardAndTheSessionPlaysBackAsRecorded) {
    const std::string recording = fs::absolute("session.txt").string();
    openGameWindow("game", {"--record", recording, "."});
    if (HasFatalFailure()) return;
    ASSERT_TRUE(waitTitle()) << "the window never showed the title";
    xdotool("windowfocus --sync " + window + " key Return");
    ASSERT_TRUE(waitMenu()) << "Enter did not go on from the title";
    xdotool("key Down");
    ASSERT_TRUE(waitHighlight(300, 220)) << "Down did not highlight the first button";
    xdotool("key Tab");
    ASSERT_TRUE(waitHighlight(300, 268)) << "Tab did not move the highlight";
    EXPECT_EQ(shown(299, 232), screens.menu.row(232)[299] & 0xFFFFFF) << "the old highlight stayed";
    xdotool("key Return");
    ASSERT_TRUE(waitPractice()) << "Enter did not press the highlighted button";
    xdotool("key space");
    ASSERT_TRUE(waitPracticeLeft()) << "Space did not go on from the practice screen";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    closeGameWindow();
    if (HasFatalFailure()) return;

    // The game saw clicks, never the menu's keys.
    const std::string session = readWhole(recording);
    EXPECT_NE(session.find(" mouse down left\n"), std::string::npos) << session;
    for (const char* key : {"ENTER", "SPACE", "DOWN"}) EXPECT_EQ(session.find(key), std::string::npos) << session;
    const std::vector<std::string> lines = linesOf(session);
    const auto end = std::find(lines.begin(), lines.end(), "# the session ended with:");
    ASSERT_NE(end, lines.end());
    std::vector<std::string> summary;
    for (auto line = end + 1; line != lines.end(); ++line) summary.push_back(line->substr(2));
    ASSERT_GT(summary.size(), 2u);
    EXPECT_EQ(summary[1], "mode 3") << "not in the shooting stage";
    const std::string replay =
        std::string("'") + SORTIE_REPLAY_PROGRAM + "' --input '" + recording + "' game >replayed.txt";
    ASSERT_EQ(std::system(replay.c_str()), 0);
    EXPECT_EQ(linesOf(readWhole("replayed.txt")), summary);
}

}  // namespace
