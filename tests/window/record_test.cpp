// A session of the real game recorded and played back: sortie --record on a virtual display
// (Xvfb), driven with xdotool through the starter game's title and its shooting stage, then
// sortie-replay on the recording, which must end in the same state with the same last frame.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "support/frame_buffer.h"
#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Screens are compared on a grid of sample points this many pixels apart.
constexpr int kGridStep = 4;

class RecordedSession : public VirtualDisplayTest {
protected:
    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed to play in a real window (Debian packages xvfb, xdotool); "
                            "./test.sh installs them";
        ASSERT_EQ(std::system((std::string(SORTIE_NEW_PROGRAM) + " game >/dev/null").c_str()), 0);
    }

    // The share of the grid's points where the window shows `screen`.
    double shareShown(const Surface& screen) const {
        int same = 0, all = 0;
        for (int y = kGridStep / 2; y < kScreenHeight; y += kGridStep)
            for (int x = kGridStep / 2; x < kScreenWidth; x += kGridStep, ++all)
                same += frameBuffer.at(left + x, top + y) == (screen.row(y)[x] & 0xFFFFFF);
        return static_cast<double>(same) / all;
    }

    // Waits up to `seconds` for the window to show at least `share` of `screen`.
    bool waitShows(const Surface& screen, double share, double seconds) const {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < deadline) {
            if (shareShown(screen) >= share) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    Surface snapshot() const {
        Surface s;
        resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) s.row(y)[x] = frameBuffer.at(left + x, top + y);
        return s;
    }

    void xdotool(const std::string& args) {
        const std::string command = x + "xdotool " + args;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }

    TempGameFolder folder;
    FrameBuffer frameBuffer;
    std::string x;  // the display for shell commands, "DISPLAY=:N "
    std::string window;
    int left = 0;
    int top = 0;
};

// A script's picture screen: the picture with each text in its cells, no-break spaces
// where the words part.
Surface pictureWithTexts(const char* picture, const std::vector<std::pair<int, std::string>>& lines, int x) {
    Surface s;
    EXPECT_TRUE(readBitmapFile(picture, s)) << picture;
    for (const auto& [y, words] : lines) {
        std::string text;
        for (char c : words) text += c == ' ' ? std::string("\xC2\xA0") : std::string(1, c);
        const int n = static_cast<int>(text.size());
        drawText(s, x, y, x + 12 * n, y + 24, text.c_str(), n);
    }
    return s;
}

TEST_F(RecordedSession, TheRealGameThroughAMenuAndAStagePlaysBackFrameForFrame) {
    // The title as sortie-replay shows it; the screen after the stage, composed.
    ASSERT_EQ(std::system((std::string(SORTIE_REPLAY_PROGRAM) + " --frames 10 --shot 10=title.bmp game >/dev/null").c_str()),
              0);
    Surface title;
    ASSERT_TRUE(readBitmapFile("title.bmp", title));
    const Surface cleared =
        pictureWithTexts("game/bmp/report.bmp", {{240, "Stage 1 cleared"}, {300, "On to the battle"}}, 280);

    ASSERT_TRUE(fs::create_directory("fb"));
    const std::string display = startServer({"-fbdir", fs::absolute("fb").string()});
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    x = "DISPLAY=" + display + " ";
    const std::string recording = fs::absolute("session.txt").string();
    game = startGame(display, fs::absolute("game").string(), {"--record", recording, "."});
    window = capture(x + "timeout 60 xdotool search --sync --onlyvisible --class ModelApp | head -n 1");
    ASSERT_FALSE(window.empty()) << "no window of class ModelApp appeared";
    std::istringstream geometry(capture(x + "xdotool getwindowgeometry --shell " + window));
    for (std::string line; std::getline(geometry, line);) {
        if (line.rfind("X=", 0) == 0) left = std::stoi(line.substr(2));
        if (line.rfind("Y=", 0) == 0) top = std::stoi(line.substr(2));
    }
    std::string problem;
    ASSERT_TRUE(frameBuffer.open("fb/Xvfb_screen0", problem)) << problem;

    // The title's "Shooting" button; a click is sent again when a slow frame saw its press
    // and release together.
    ASSERT_TRUE(waitShows(title, 0.95, 60)) << "the window never showed the title";
    bool leftTitle = false;
    for (int attempt = 0; attempt < 5 && !leftTitle; ++attempt) {
        xdotool("mousemove --window " + window + " 400 290 sleep 0.1 mousedown 1 sleep 0.1 mouseup 1");
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!leftTitle && Clock::now() < deadline) {
            leftTitle = shareShown(title) < 0.5;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ASSERT_TRUE(leftTitle) << "the title's button did not start the stage";
    // The recording is on the disk while the game runs.
    const std::string early = readWhole(recording);
    EXPECT_NE(early.find("\n0 clock "), std::string::npos) << early;
    EXPECT_NE(early.find(" mouse down left\n"), std::string::npos) << early;

    // Z held clears the stage; its banner shows for 300 frames, then the script's screen.
    xdotool("windowfocus --sync " + window + " keydown z");
    const bool done = waitShows(cleared, 1.0, 90);
    xdotool("keyup z");
    ASSERT_TRUE(done) << "the stage was not cleared";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const Surface live = snapshot();
    xdotool("windowfocus --sync " + window + " key alt+F4");
    const int status = ::waitFor(game, 60);
    ASSERT_NE(status, -1) << "the game did not end after Alt+F4";
    game = 0;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // The recording ends with a close and the game's final state.
    const std::vector<std::string> lines = linesOf(readWhole(recording));
    const auto end = std::find(lines.begin(), lines.end(), "# the session ended with:");
    ASSERT_NE(end, lines.end());
    ASSERT_NE(end, lines.begin());
    std::vector<std::string> summary;
    for (auto line = end + 1; line != lines.end(); ++line) summary.push_back(line->substr(2));
    ASSERT_FALSE(summary.empty());
    ASSERT_EQ(summary[0].rfind("frames ", 0), 0u);
    const int frames = std::stoi(summary[0].substr(7));
    EXPECT_EQ(*(end - 1), std::to_string(frames + 1) + " close");

    // Played back: the same final state and the same last frame.
    const std::string replay = std::string(SORTIE_REPLAY_PROGRAM) + " --input '" + recording + "' --shot " +
                               std::to_string(frames) + "=last.bmp game >out.txt";
    ASSERT_EQ(std::system(replay.c_str()), 0);
    EXPECT_EQ(linesOf(readWhole("out.txt")), summary);
    Surface replayed;
    ASSERT_TRUE(readBitmapFile("last.bmp", replayed));
    int differ = 0;
    for (size_t i = 0; i < live.pixels.size(); ++i) differ += (live.pixels[i] & 0xFFFFFF) != (replayed.pixels[i] & 0xFFFFFF);
    EXPECT_EQ(differ, 0);
    if (HasFailure()) {
        writeBitmapFile((std::string(SORTIE_BINARY_DIR) + "/record-test-live.bmp").c_str(), live);
        std::printf("the live last frame is in %s/record-test-live.bmp; the recording was:\n%s\n", SORTIE_BINARY_DIR,
                    readWhole(recording).c_str());
    }
}

}  // namespace
