// The demo in its real window: sortie on a virtual X display (Xvfb), played with xdotool the
// way a player would, and watched through Xvfb's frame buffer and ImageMagick screenshots.
// What each screen should look like is learnt from sortie-replay shots of the same screens.
#include <unistd.h>

#include <gtest/gtest.h>

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

    // A screenshot of the window by ImageMagick, as `name`.bmp.
    Surface screenshot(const std::string& name) {
        Surface s;
        const std::string path = name + ".bmp";
        EXPECT_EQ(std::system((onDisplay + "import -window " + window + " bmp3:" + path).c_str()), 0);
        EXPECT_TRUE(readBitmapFile(path.c_str(), s)) << "no screenshot " << path;
        if (s.width != kScreenWidth || s.height != kScreenHeight) resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
        return s;
    }

    // A left click at (x, y) of the window that lasts long enough for a frame to see it.
    std::string clickAt(int x, int y) const {
        return "mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
               " sleep 0.1 mousedown 1 sleep 0.1 mouseup 1";
    }

    // Clicks at (x, y) while the window shows `from`, until it shows `to`. A click is sent
    // again when the screen stays: a game slowed down enough sees the press and the release
    // of a click in one frame, and then no click at all.
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
        const Surface before = snapshot();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Surface after = snapshot();
        int changed = 0;
        for (size_t i = 0; i < before.pixels.size(); ++i) changed += before.pixels[i] != after.pixels[i];
        EXPECT_GT(changed, 100) << "the stage stands still";
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

}  // namespace
