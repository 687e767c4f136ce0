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
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/player_folder.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "stage/charlist.h"
#include "stage/scenery.h"
#include "support/build_paths.h"
#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Screens are compared on a grid of sample points this many pixels apart.
constexpr int kGridStep = 4;

// The rectangle (sourceX, sourceY, w, h) of a picture, as it should show at (x, y) of the
// window.
struct ScreenPart {
    const Surface* source;
    int sourceX, sourceY, x, y, w, h;
};

ScreenPart wholeScreen(const Surface& s) { return {&s, 0, 0, 0, 0, kScreenWidth, kScreenHeight}; }

class RecordedSession : public VirtualDisplayTest {
protected:
    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed to play in a real window (Debian packages xvfb, xdotool); "
                            "./test.sh installs them";
        ASSERT_EQ(std::system((std::string(SORTIE_NEW_PROGRAM) + " game >/dev/null").c_str()), 0);
    }

    // The share of the part's grid points that the window shows in the part's colours.
    double shareShown(const ScreenPart& part) const {
        int same = 0, all = 0;
        for (int y = kGridStep / 2; y < part.h; y += kGridStep)
            for (int x = kGridStep / 2; x < part.w; x += kGridStep, ++all)
                same += shown(part.x + x, part.y + y) ==
                        (part.source->row(part.sourceY + y)[part.sourceX + x] & 0xFFFFFF);
        return static_cast<double>(same) / all;
    }

    // Waits up to `seconds` for the window to show at least `share` of `part`.
    bool waitShows(const ScreenPart& part, double share, double seconds) const {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < deadline) {
            if (shareShown(part) >= share) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    TempGameFolder folder;
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
    const std::string titleShot =
        std::string(SORTIE_REPLAY_PROGRAM) + " --frames 10 --shot 10=title.bmp game >/dev/null";
    ASSERT_EQ(std::system(titleShot.c_str()), 0);
    Surface title;
    ASSERT_TRUE(readBitmapFile("title.bmp", title));
    const Surface cleared =
        pictureWithTexts("game/bmp/report.bmp", {{240, "Stage 1 cleared"}, {300, "On to the battle"}}, 280);
    Surface sheet;
    ASSERT_TRUE(readBitmapFile("game/bmp/char.bmp", sheet));
    const ScreenPart wonBanner{&sheet, 0, kWonBannerTop, kBannerX, kBannerY, kBannerWidth, kBannerHeight};

    // The player has a saved list (the game's, with a line of its own), which the recording
    // carries so that the replay, in a fresh player's folder, starts from it too.
    const std::string playerFolder = fs::absolute("player").string();
    fs::current_path("game");
    ASSERT_TRUE(setPlayerFolder(playerFolder));
    const bool given = givePlayerCopy(readWhole("data/charlist.txt") + "/ the player's copy\n");
    setPlayerFolder("");
    fs::current_path("..");
    ASSERT_TRUE(given);

    const std::string recording = fs::absolute("session.txt").string();
    openGameWindow("game", {"--record", recording, "--data", playerFolder, "."});
    if (HasFatalFailure()) return;

    // The title's "Shooting" button; a click is sent again while the title stays.
    ASSERT_TRUE(waitShows(wholeScreen(title), 0.95, 60)) << "the window never showed the title";
    bool leftTitle = false;
    for (int attempt = 0; attempt < 5 && !leftTitle; ++attempt) {
        xdotool(clickAt(400, 290));
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!leftTitle && Clock::now() < deadline) {
            leftTitle = shareShown(wholeScreen(title)) < 0.5;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ASSERT_TRUE(leftTitle) << "the title's button did not start the stage";
    // The recording is on the disk while the game runs.
    const std::string early = readWhole(recording);
    EXPECT_NE(early.find("\n0 clock "), std::string::npos) << early;
    EXPECT_NE(early.find(" mouse down left\n"), std::string::npos) << early;
    EXPECT_NE(early.find("\n0 charlist / the player's copy\n"), std::string::npos) << early;

    // Z held clears the stage; its banner shows for 300 frames, then the script's screen,
    // which Z would pass: it is released once the banner shows.
    xdotool("windowfocus --sync " + window + " keydown z");
    const bool won = waitShows(wonBanner, 1.0, 60);
    xdotool("keyup z");
    ASSERT_TRUE(won) << "the stage was not won";
    ASSERT_TRUE(waitShows(wholeScreen(cleared), 1.0, 60)) << "the script did not go on after the stage";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const Surface live = snapshot();
    closeGameWindow();
    if (HasFatalFailure()) return;

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
    EXPECT_EQ(summary[1], "mode 1");  // on the script's screen
    EXPECT_EQ(*(end - 1), std::to_string(frames + 1) + " close");

    // Played back: the same final state, which the replay checks itself, and the same last
    // frame.
    const std::string replay = std::string(SORTIE_REPLAY_PROGRAM) + " --verify --input '" + recording + "' --shot " +
                               std::to_string(frames) + "=last.bmp game >out.txt 2>err.txt";
    ASSERT_EQ(std::system(replay.c_str()), 0) << readWhole("err.txt");
    EXPECT_EQ(linesOf(readWhole("out.txt")), summary);
    EXPECT_EQ(readWhole("err.txt"), "sortie-replay: the run ends as the recording did\n");
    Surface replayed;
    ASSERT_TRUE(readBitmapFile("last.bmp", replayed));
    int differ = 0;
    for (size_t i = 0; i < live.pixels.size(); ++i)
        differ += (live.pixels[i] & 0xFFFFFF) != (replayed.pixels[i] & 0xFFFFFF);
    EXPECT_EQ(differ, 0);
    if (HasFailure()) {
        writeBitmapFile((std::string(SORTIE_BINARY_DIR) + "/record-test-live.bmp").c_str(), live);
        std::printf("the live last frame is in %s/record-test-live.bmp; the recording was:\n%s\n", SORTIE_BINARY_DIR,
                    readWhole(recording).c_str());
    }
}

}  // namespace
