// The demo in its real window: sortie on a virtual X display (Xvfb), played with xdotool the
// way a player would, and watched through Xvfb's frame buffer and ImageMagick screenshots.
// What each screen should look like is learnt from sortie-replay shots of the same screens.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "stage/scenery.h"
#include "support/build_paths.h"
#include "support/demo_folder.h"
#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Screens are compared on a grid of sample points this many pixels apart.
constexpr int kGridStep = 8;

// The practices from the title, as sortie-replay plays them: the title is clicked at frame
// 20, the menu button at frame 50, the practice screen at frame 80; the stage is handed
// over (its ready screen shown) at frame 83.
constexpr int kTitleFrame = 10;
constexpr int kMenuFrame = 40;
constexpr int kPracticeFrame = 70;
constexpr int kReadyFrame = 83;
constexpr int kStageFrames[] = {103, 123, 143};

// A pixel colour as the screen shows it (the 24 colour bits).
uint32_t colourAt(const Surface& s, int x, int y) { return s.row(y)[x] & 0xFFFFFF; }

// A screen as it should look: the sample points where every shot of it agrees, with their
// colours, leaving out those where it looks like the screens it must not be taken for.
struct Look {
    struct Point {
        int x;
        int y;
        uint32_t colour;
    };
    std::vector<Point> points;

    static Look learn(const std::vector<const Surface*>& shots, const std::vector<const Surface*>& unlike) {
        Look look;
        for (int y = kGridStep / 2; y < kScreenHeight; y += kGridStep) {
            for (int x = kGridStep / 2; x < kScreenWidth; x += kGridStep) {
                const uint32_t colour = colourAt(*shots[0], x, y);
                bool keep = true;
                for (const Surface* s : shots) keep = keep && colourAt(*s, x, y) == colour;
                for (const Surface* s : unlike) keep = keep && colourAt(*s, x, y) != colour;
                if (keep) look.points.push_back({x, y, colour});
            }
        }
        return look;
    }

    // The share of the points that `pixel(x, y)` shows in their colour.
    double shownBy(const std::function<uint32_t(int, int)>& pixel) const {
        if (points.empty()) return 0;
        int same = 0;
        for (const Point& p : points) same += pixel(p.x, p.y) == p.colour;
        return static_cast<double>(same) / static_cast<double>(points.size());
    }
    double shownBy(const Surface& s) const {
        return shownBy([&s](int x, int y) { return colourAt(s, x, y); });
    }
};

// The banner rectangle of the character sheet, as a look of every one of its pixels.
Look bannerLook(const Surface& sheet, int sheetTop) {
    Look look;
    for (int y = 0; y < kBannerHeight; ++y)
        for (int x = 0; x < kBannerWidth; ++x)
            look.points.push_back({kBannerX + x, kBannerY + y, colourAt(sheet, x, sheetTop + y)});
    return look;
}

class DemoWindow : public VirtualDisplayTest {
protected:
    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool") || !onPath("import"))
            GTEST_SKIP() << "Xvfb, xdotool and ImageMagick's import are needed to play the demo in a real window "
                            "(Debian packages xvfb, xdotool, imagemagick); ./test.sh installs them";
        const std::string problem = copyDemoGame("game");
        ASSERT_EQ(problem, "");
        ASSERT_TRUE(readBitmapFile("game/bmp/char.bmp", sheet));
    }

    void TearDown() override {
        VirtualDisplayTest::TearDown();
        // Keep what the window showed when something went wrong.
        if (HasFailure()) {
            const fs::path keep = fs::path(SORTIE_BINARY_DIR) / "window-test-shots" /
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
            std::error_code ec;
            fs::remove_all(keep, ec);
            fs::create_directories(keep, ec);
            for (const auto& entry : fs::directory_iterator(".", ec))
                if (entry.path().extension() == ".bmp") fs::copy_file(entry.path(), keep / entry.path().filename(), ec);
            std::printf("the window's screenshots are in %s\n", keep.string().c_str());
        }
    }

    // Plays the title, the menu button at (x, y) and the practice screen with sortie-replay,
    // and learns the look of every screen on the way.
    void learnPractice(int buttonX, int buttonY) {
        std::ostringstream input;
        input << "20 mouse down left\n21 mouse up left\n"
              << "50 mouse move " << buttonX << " " << buttonY << "\n50 mouse down left\n51 mouse up left\n"
              << "80 mouse down left\n81 mouse up left\n";
        ASSERT_TRUE(writeText("route.txt", input.str()));
        std::string command = std::string("'") + SORTIE_REPLAY_PROGRAM + "' --frames 150 --input route.txt --trace trace.txt";
        std::vector<int> frames = {kTitleFrame, kMenuFrame, kPracticeFrame, kReadyFrame};
        frames.insert(frames.end(), std::begin(kStageFrames), std::end(kStageFrames));
        for (int f : frames) command += " --shot " + std::to_string(f) + "=replay-" + std::to_string(f) + ".bmp";
        ASSERT_EQ(std::system((command + " game >/dev/null").c_str()), 0);
        std::ifstream trace("trace.txt");
        std::stringstream lines;
        lines << trace.rdbuf();
        ASSERT_NE(lines.str().find(std::to_string(kReadyFrame) + " effect ././wav/se1.wav\n"), std::string::npos)
            << "the practice stage was not handed over at frame " << kReadyFrame;

        std::vector<Surface> shot(frames.size());
        for (size_t i = 0; i < frames.size(); ++i)
            ASSERT_TRUE(readBitmapFile(("replay-" + std::to_string(frames[i]) + ".bmp").c_str(), shot[i]));
        const Surface &titleShot = shot[0], &menuShot = shot[1], &practiceShot = shot[2], &readyShot = shot[3];
        title = Look::learn({&titleShot}, {&menuShot});
        menu = Look::learn({&menuShot}, {&titleShot, &practiceShot});
        practice = Look::learn({&practiceShot}, {&menuShot, &readyShot});
        ready = Look::learn({&readyShot}, {&practiceShot, &shot[4]});
        stage = Look::learn({&shot[4], &shot[5], &shot[6]}, {&readyShot, &practiceShot});
        for (const Look* look : {&title, &menu, &practice, &ready, &stage})
            ASSERT_GT(look->points.size(), 1000u) << "a screen has too little of its own to be recognised";
    }

    // Polls the window until it shows at least `share` of `look`, for up to `seconds`; on
    // success the window as it was then is written to `name`.bmp.
    bool waitFor(const Look& look, double share, double seconds, const std::string& name) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        const auto pixel = [this](int x, int y) { return shown(x, y); };
        while (Clock::now() < deadline) {
            if (look.shownBy(pixel) >= share) {
                writeBitmapFile((name + ".bmp").c_str(), snapshot());
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        writeBitmapFile((name + "-timeout.bmp").c_str(), snapshot());
        return false;
    }

    // A screenshot of the window by ImageMagick, kept as `name`.bmp; the picture in it.
    Surface screenshot(const std::string& name) {
        Surface whole, s;
        const std::string path = name + ".bmp";
        EXPECT_EQ(std::system((onDisplay + "import -window " + window + " bmp3:" + path).c_str()), 0);
        EXPECT_TRUE(readBitmapFile(path.c_str(), whole)) << "no screenshot " << path;
        resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
        if (whole.width != width || whole.height != height) return s;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x)
                s.row(y)[x] = colourAt(whole, pictureLeft + x * scale, pictureTop + y * scale);
        return s;
    }

    // Clicks at (x, y) while the window shows `from`, until it shows `to`; a click is sent
    // again, up to five times in all, while the screen stays.
    bool clickUntil(int x, int y, const Look& from, const Look& to, const std::string& name) {
        const auto pixel = [this](int px, int py) { return shown(px, py); };
        for (int attempt = 0; attempt < 5; ++attempt) {
            xdotool(clickAt(x, y), true);
            if (waitFor(to, 0.9, 10, name)) return true;
            if (from.shownBy(pixel) < 0.9) return false;  // it went on, but elsewhere
        }
        return false;
    }

    // From the title through the menu button at (x, y) and the practice screen to its
    // stage: the title, the ready screen and the running stage are checked on the way.
    void enterPractice(int buttonX, int buttonY) {
        ASSERT_TRUE(waitFor(title, 0.95, 60, "title")) << "the window never showed the title";
        EXPECT_GE(title.shownBy(screenshot("title-screenshot")), 0.95);
        ASSERT_TRUE(clickUntil(400, 300, title, menu, "menu")) << "the title's click did not lead to the menu";
        ASSERT_TRUE(clickUntil(buttonX, buttonY, menu, practice, "practice"))
            << "the menu button did not lead to the practice";
        // The ready screen shows for a frame and the stage's loading time only: it is watched
        // for while the click is still under way.
        ASSERT_TRUE(clickUntil(400, 300, practice, ready, "ready")) << "the window never showed the ready screen";
        ASSERT_TRUE(waitFor(stage, 0.8, 20, "stage")) << "the stage did not start";
        EXPECT_GE(stage.shownBy(screenshot("stage-screenshot")), 0.8);
        // Running: the picture changes from frame to frame.
        EXPECT_GT(changesOver(300), 100) << "the stage stands still";
    }

    TempGameFolder folder;
    Surface sheet;
    Look title, menu, practice, ready, stage;
};


TEST_F(DemoWindow, ShootingPracticeRunsAndTheArrowKeysWalkTheMechOffItsPad) {
    learnPractice(320, 278);
    openGameWindow("game");
    enterPractice(320, 278);
    if (HasFatalFailure()) return;

    // Z fires; Left walks the mech off its pad into the sea, and the stage is lost.
    xdotool("windowfocus --sync " + window + " keydown z sleep 0.3 keydown Left");
    const bool lost = waitFor(bannerLook(sheet, kLostBannerTop), 1.0, 30, "lost");
    xdotool("keyup Left keyup z");
    ASSERT_TRUE(lost) << "the lost banner never showed";
    EXPECT_EQ(bannerLook(sheet, kLostBannerTop).shownBy(screenshot("lost-screenshot")), 1.0);
    closeGameWindow();
}

TEST_F(DemoWindow, BattlePracticeIsWonWithTheMouse) {
    learnPractice(320, 326);
    openGameWindow("game");
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
    closeGameWindow();
}

// The player's side: `sortie GAME_DIR` from another folder, a window twice the size, full
// screen, pause, screenshots, mute and quitting.

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
    openGameWindow(fs::current_path().string(), {"--scale", "2", fs::absolute("game").string()}, "1700x1300x24",
                   "game-output.txt");
    if (HasFatalFailure()) return;

    // A folder without a game is refused by name before any window opens.
    ASSERT_TRUE(fs::create_directory("empty"));
    const int refused = std::system((onDisplay + SORTIE_GAME_PROGRAM + " empty 2>refused.txt").c_str());
    EXPECT_TRUE(WIFEXITED(refused) && WEXITSTATUS(refused) == 1);
    EXPECT_EQ(linesOf(readWhole("refused.txt")).size(), 1u);
    EXPECT_NE(readWhole("refused.txt").find("empty holds no game"), std::string::npos);
    EXPECT_EQ(linesOf(capture(onDisplay + "xdotool search --class ModelApp")).size(), 1u);

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

    // What it keeps (the scale asked for) is in this game's own folder under the user's
    // data folder: games/<the game folder's name>-<8 hex digits>.
    std::vector<std::string> kept;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("user-data/sortie/games", ec)) kept.push_back(entry.path().filename());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].size(), 13u) << kept[0];
    EXPECT_EQ(kept[0].rfind("game-", 0), 0u) << kept[0];
    EXPECT_EQ(readWhole("user-data/sortie/games/" + kept[0] + "/settings.txt"), "fullscreen 0\nscale 2\nmute 0\n");
}

// The player's settings: full screen, the scale and mute are kept in the player's folder and
// restored at the next start, and the command line wins over them.
TEST_F(PlayerWindow, FullScreenScaleAndMuteAreRememberedAndTheCommandLineWins) {
    const std::string data = fs::absolute("player").string();
    const std::string gameDir = fs::absolute("game").string();
    openGameWindow(fs::current_path().string(), {"--scale", "2", "--data", data, gameDir}, "1700x1300x24",
                   "game-output.txt");
    if (HasFatalFailure()) return;
    const std::string display = onDisplay.substr(8, onDisplay.size() - 9);  // from "DISPLAY=:N "
    // Starts the game again on the same screen with `args` and finds its window.
    const auto restart = [&](const std::vector<std::string>& args) {
        game = startGame(display, fs::current_path().string(), args, "game-output.txt");
        window = capture(onDisplay + "timeout 60 xdotool search --sync --onlyvisible --class ModelApp | head -n 1");
        readGeometry();
        return !window.empty();
    };

    // First start: --scale 2, and M turns the sound off.
    EXPECT_EQ(width, 1600);
    xdotool("windowfocus --sync " + window + " key m");
    EXPECT_NE(waitForOutput("sortie: sound off", 10).find("sortie: sound off"), std::string::npos);
    closeGameWindow();
    EXPECT_EQ(readWhole("player/settings.txt"), "fullscreen 0\nscale 2\nmute 1\n");

    // Second start, without options: twice the size and silent, and says so; F11 goes full
    // screen, which is remembered too.
    ASSERT_TRUE(restart({"--data", data, gameDir})) << "no window the second time";
    EXPECT_EQ(width, 1600);
    EXPECT_EQ(height, 1200);
    EXPECT_NE(waitForOutput("sortie: sound off", 10).find("sortie: sound off (M turns it back on)\n"),
              std::string::npos);
    xdotool("windowfocus --sync " + window + " key F11");
    ASSERT_TRUE(waitForSize(1700, 1300, 10)) << "full screen is " << width << " x " << height;
    closeGameWindow();
    EXPECT_EQ(readWhole("player/settings.txt"), "fullscreen 1\nscale 2\nmute 1\n");

    // Third start with --scale 1: full screen as left; out of it, the window the command line
    // asked for, which is remembered from now on.
    ASSERT_TRUE(restart({"--scale", "1", "--data", data, gameDir})) << "no window the third time";
    ASSERT_TRUE(waitForSize(1700, 1300, 10)) << "the game did not start in full screen";
    xdotool("windowfocus --sync " + window + " key F11");
    ASSERT_TRUE(waitForSize(800, 600, 10)) << "the window came back at " << width << " x " << height;
    closeGameWindow();
    EXPECT_EQ(readWhole("player/settings.txt"), "fullscreen 0\nscale 1\nmute 1\n");
    // Nothing of it went into the game folder.
    EXPECT_FALSE(fs::exists("game/settings.txt"));
}

}  // namespace
