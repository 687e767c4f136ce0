// Saved states in the real window: F5 saves, F9 goes back to the saved picture; closing the
// window keeps the game, and the next start offers to continue it, over its first frame.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/surface.h"
#include "support/demo_folder.h"
#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The share of pixels two pictures have alike.
double alike(const Surface& a, const Surface& b) {
    if (a.pixels.size() != b.pixels.size() || a.pixels.empty()) return 0;
    size_t same = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) same += (a.pixels[i] & 0xFFFFFF) == (b.pixels[i] & 0xFFFFFF);
    return static_cast<double>(same) / static_cast<double>(a.pixels.size());
}

class SavedStateWindow : public VirtualDisplayTest {
protected:
    // Waits up to `seconds` for the window to show `picture` (menus blink their buttons:
    // nearly all of it is enough).
    bool waitForPicture(const Surface& picture, double seconds) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < deadline) {
            if (alike(snapshot(), picture) > 0.99) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // What the window shows once it has settled.
    Surface settled() {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        return snapshot();
    }
    void key(const std::string& name) { xdotool("windowfocus --sync " + window + " key " + name); }
    static bool waitForFile(const std::string& path) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!fs::exists(path) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return fs::exists(path);
    }

    TempGameFolder folder;  // the game's copy and the player's folder, removed afterwards
};

TEST_F(SavedStateWindow, F9GoesBackToF5AndTheNextStartContinuesWhereTheWindowWasClosed) {
    ASSERT_EQ(copyDemoGame("game"), "");
    const std::string player = fs::absolute("player").string();
    openGameWindow("game", {"--data", player});
    if (HasFatalFailure()) return;
    const Surface title = settled();

    key("F5");
    ASSERT_TRUE(waitForFile(player + "/quick.sav"));
    EXPECT_LT(alike(snapshot(), title), 1.0) << "no note says the game was saved";
    ASSERT_TRUE(waitForPicture(title, 10)) << "the note did not go";
    xdotool(clickAt(400, 300));
    const Surface menu = settled();
    ASSERT_LT(alike(menu, title), 0.9) << "the click did not leave the title";

    // Back to the saved title, and on to the same menu again.
    key("F9");
    EXPECT_TRUE(waitForPicture(title, 10)) << "F9 did not show the saved frame";
    xdotool(clickAt(400, 300));
    EXPECT_TRUE(waitForPicture(menu, 10));

    closeGameWindow();
    ASSERT_TRUE(waitForFile(player + "/suspend.sav"));

    // The next start asks over its first frame; Enter continues on the menu it was closed on.
    const std::string display = onDisplay.substr(std::string("DISPLAY=").size(), onDisplay.size() - 9);
    game = startGame(display, fs::absolute("game").string(), {"--data", player});
    window = capture(onDisplay + "timeout 60 xdotool search --sync --onlyvisible --class ModelApp | head -n 1");
    ASSERT_FALSE(window.empty());
    readGeometry();
    const Surface asked = settled();
    EXPECT_GT(alike(asked, title), 0.9) << "the first frame is not the title";
    EXPECT_LT(alike(asked, title), 1.0) << "no question over the first frame";
    key("Return");
    EXPECT_TRUE(waitForPicture(menu, 10)) << "continuing did not show the frame the window was closed on";
    closeGameWindow();
}

}  // namespace
