// The player's side of the real game on a virtual display: `sortie GAME_DIR` from another
// folder, a window twice the size, full screen, pause, screenshots, mute and quitting.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "window/demo_window.h"

namespace {

using namespace demo_window;

// Where the pause legend's white box lies in the picture.
constexpr int kLegendBoxLeft = 276;
constexpr int kLegendBoxTop = 280;
constexpr int kLegendBoxRight = 524;
constexpr int kLegendBoxBottom = 320;

bool inLegendBox(int x, int y) {
    return x >= kLegendBoxLeft && x < kLegendBoxRight && y >= kLegendBoxTop && y < kLegendBoxBottom;
}

class PlayerWindow : public DemoWindow {
protected:
    // Waits up to `seconds` for the game's output to hold `text`; the output then.
    std::string waitForOutput(const std::string& text, double seconds) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        std::string output = readWhole("game-output.txt");
        while (output.find(text) == std::string::npos && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            output = readWhole("game-output.txt");
        }
        return output;
    }

    // Waits up to `seconds` for the window to be `w` x `h`, then reads where the picture is.
    bool waitForSize(int w, int h, double seconds) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        for (readGeometry(); (width != w || height != h) && Clock::now() < deadline; readGeometry())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return width == w && height == h;
    }

    // Waits for the pause picture: the legend's white box, and nothing moving.
    bool waitForPause() {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline) {
            if (shown(kLegendBoxLeft + 2, kLegendBoxTop + 2) == kWhite &&
                shown(kLegendBoxRight - 2, kLegendBoxBottom - 2) == kWhite && changesOver(100) == 0)
                return true;
        }
        return false;
    }
};

TEST_F(PlayerWindow, PlaysAnyFolderScaledAndFullScreenPausesSavesScreenshotsMutesAndQuits) {
    learnPractice(320, 278);
    if (HasFatalFailure()) return;
    openWindow({"--scale", "2", fs::absolute("game").string()}, "1700x1300x24");
    if (HasFatalFailure()) return;

    // A folder without a game is refused by name before any window opens.
    ASSERT_TRUE(fs::create_directory("empty"));
    const int refused = onDisplay(std::string(SORTIE_GAME_PROGRAM) + " empty 2>refused.txt");
    EXPECT_TRUE(WIFEXITED(refused) && WEXITSTATUS(refused) == 1);
    EXPECT_EQ(linesOf(readWhole("refused.txt")).size(), 1u);
    EXPECT_NE(readWhole("refused.txt").find("empty holds no game"), std::string::npos);
    EXPECT_EQ(linesOf(capture(displayPrefix() + "xdotool search --class ModelApp")).size(), 1u);

    // --scale 2: a window of 1600 x 1200 whose screenshot shows every pixel as 2 x 2.
    EXPECT_EQ(width, 1600);
    EXPECT_EQ(height, 1200);
    ASSERT_TRUE(waitFor(title, 0.95, 60, "title")) << "the window never showed the title";
    EXPECT_GE(title.shownBy(screenshot("title-screenshot")), 0.95);
    Surface whole;
    ASSERT_TRUE(readBitmapFile("title-screenshot.bmp", whole));
    ASSERT_EQ(whole.width, 1600);
    int blocks = 0;
    for (const Look::Point& p : title.points) {
        const uint32_t c = colourAt(whole, 2 * p.x, 2 * p.y);
        blocks += c == p.colour && colourAt(whole, 2 * p.x + 1, 2 * p.y) == c &&
                  colourAt(whole, 2 * p.x, 2 * p.y + 1) == c && colourAt(whole, 2 * p.x + 1, 2 * p.y + 1) == c;
    }
    EXPECT_GE(blocks, static_cast<int>(title.points.size() * 95 / 100));
    ASSERT_TRUE(clickUntil(400, 300, title, menu, "menu")) << "the title's click did not lead to the menu";

    // F11: full screen, the picture twice its size in the middle of the screen, on black.
    xdotool("windowfocus --sync " + window + " key F11");
    ASSERT_TRUE(waitForSize(1700, 1300, 10)) << "full screen is " << width << " x " << height;
    EXPECT_EQ(scale, 2);
    EXPECT_EQ(pictureLeft, 50);
    ASSERT_TRUE(waitFor(menu, 0.9, 10, "menu-full-screen"));
    EXPECT_EQ(shownInWindow(10, 650), kBlack);
    EXPECT_EQ(shownInWindow(1690, 1290), kBlack);
    // A click on the border, level with the button, chooses nothing; one on the button does.
    xdotool("mousemove --window " + window + " 20 " + std::to_string(pictureTop + 2 * 278) +
            " sleep 0.1 mousedown 1 sleep 0.1 mouseup 1 sleep 0.3");
    EXPECT_GE(menu.shownBy([this](int x, int y) { return shown(x, y); }), 0.9) << "the border chose a button";
    ASSERT_TRUE(clickUntil(320, 278, menu, practice, "practice")) << "the scaled menu button was not chosen";
    xdotool("key F11");
    ASSERT_TRUE(waitForSize(1600, 1200, 10)) << "the window came back at " << width << " x " << height;
    ASSERT_TRUE(clickUntil(400, 300, practice, ready, "ready")) << "the window never showed the ready screen";
    ASSERT_TRUE(waitFor(stage, 0.8, 20, "stage")) << "the stage did not start";

    // Esc pauses: the last frame stays, dimmed, with the legend, and nothing moves.
    xdotool("key Escape");
    ASSERT_TRUE(waitForPause()) << "Esc did not pause";
    const Surface paused = screenshot("paused-screenshot");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(screenshot("paused-later").pixels == paused.pixels) << "frames ran while paused";

    // F12 saves the frame itself (not the dimmed one) as an 800 x 600 PNG and says where.
    xdotool("key F12");
    const std::string saved = waitForOutput(".png\n", 10);
    const size_t at = saved.find("sortie: screenshot ");
    ASSERT_NE(at, std::string::npos) << saved;
    const std::string png = saved.substr(at + 19, saved.find('\n', at) - at - 19);
    EXPECT_EQ(png.rfind(fs::absolute("user-data/sortie/screenshot-").string(), 0), 0u) << png;
    ASSERT_EQ(std::system(("convert '" + png + "' bmp3:saved.bmp").c_str()), 0);
    Surface shot;
    ASSERT_TRUE(readBitmapFile("saved.bmp", shot));
    ASSERT_EQ(shot.width, kScreenWidth);
    ASSERT_EQ(shot.height, kScreenHeight);
    int unlike = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            unlike += !inLegendBox(x, y) && ((colourAt(shot, x, y) >> 1) & 0x7F7F7F) != colourAt(paused, x, y);
    EXPECT_EQ(unlike, 0) << "the screenshot is not the paused frame";

    // M turns the sound off and on again, and says so.
    xdotool("key m sleep 0.2 key m");
    const std::string output = waitForOutput("sortie: sound on\n", 10);
    EXPECT_NE(output.find("sortie: sound off (M turns it back on)\nsortie: sound on\n"), std::string::npos) << output;

    // Esc resumes; P pauses again, and Q then quits as the close box does.
    xdotool("key Escape sleep 0.3");
    EXPECT_GT(changesOver(300), 100) << "the stage did not go on after the pause";
    xdotool("key p");
    ASSERT_TRUE(waitForPause()) << "P did not pause";
    xdotool("key q");
    const int status = ::waitFor(game, 30);
    ASSERT_NE(status, -1) << "the game did not end after Q";
    game = 0;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
