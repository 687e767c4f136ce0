// The player's shell over the SDL back end (dummy video and audio drivers): what it keeps
// from the game, what it owes the game after a pause, and its own keys.
#include "app/player_shell.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/options.h"
#include "script/script.h"
#include "platform/sdl_platform.h"
#include "support/messages.h"
#include "support/test_files.h"

namespace {

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_DATA_HOME", (folder.path() + "/user-data").c_str(), 1);
        const char* error = "";
        ASSERT_TRUE(sdl.open(&error)) << error;
        ASSERT_NE(report, nullptr);
        platform = &shell;
        resizeSurface(frame, kScreenWidth, kScreenHeight, 0x336699);
        shell.presentWindow(frame);
    }
    void TearDown() override {
        sdl.close();
        platform = nullptr;
        std::fclose(report);
    }

    static void key(SDL_Keycode sym, bool down, Uint16 mod = KMOD_NONE, bool repeat = false) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        e.key.repeat = repeat;
        SDL_PushEvent(&e);
    }
    static void press(SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        key(sym, true, mod);
        key(sym, false, mod);
    }
    static void mouse(Uint32 type, Uint8 button, int x, int y) {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_MOUSEMOTION) {
            e.motion.x = x;
            e.motion.y = y;
        } else {
            e.button.button = button;
            e.button.x = x;
            e.button.y = y;
        }
        SDL_PushEvent(&e);
    }
    std::string reported() {
        std::fflush(report);
        std::rewind(report);
        std::string text;
        for (int c; (c = std::fgetc(report)) != EOF;) text += static_cast<char>(c);
        return text;
    }

    TempGameFolder folder;
    SdlPlatform sdl;
    std::FILE* report = std::tmpfile();
    PlayerShell shell{sdl, report};
    Surface frame;
};

TEST_F(Shell, NothingMadeDuringAPauseReachesTheGameButTheReleasesAndThePointerFollowAfterwards) {
    key(SDLK_LEFT, true);
    mouse(SDL_MOUSEMOTION, 0, 10, 20);
    mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    key(SDLK_ESCAPE, true);
    key(SDLK_ESCAPE, true, KMOD_NONE, true);  // auto-repeat does not resume
    key(SDLK_ESCAPE, false);
    key(SDLK_LEFT, false);                    // let go during the pause: released afterwards
    press(SDLK_z);                            // pressed during the pause: never seen
    key(SDLK_x, true);
    mouse(SDL_MOUSEMOTION, 0, 30, 40);
    mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 30, 40);
    mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 30, 40);
    mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 30, 40);
    press(SDLK_p);  // resumes
    key(SDLK_RIGHT, true);
    press(SDLK_q);  // Q is the game's own key while it runs
    expectMessages(drainOverFrames(shell), {{WM_KEYDOWN, VK_LEFT, 0},
                             {WM_MOUSEMOVE, 0, at(10, 20)},
                             {WM_LBUTTONDOWN, 0, at(10, 20)},
                             {WM_KEYUP, VK_LEFT, 0},
                             {WM_LBUTTONUP, 0, at(30, 40)},
                             {WM_MOUSEMOVE, 0, at(30, 40)},
                             {WM_KEYDOWN, VK_RIGHT, 0},
                             {WM_KEYDOWN, 'Q', 0},
                             {WM_KEYUP, 'Q', 0}});
    EXPECT_FALSE(shell.paused());

    // Right, held through the whole pause, stays held: nothing is owed for it.
    SDL_Event start{};
    start.type = SDL_CONTROLLERBUTTONDOWN;
    start.cbutton.button = SDL_CONTROLLER_BUTTON_START;
    SDL_PushEvent(&start);  // the pad's Start pauses
    start.type = SDL_CONTROLLERBUTTONUP;
    SDL_PushEvent(&start);
    press(SDLK_ESCAPE);
    expectMessages(drainOverFrames(shell), {});
}

TEST_F(Shell, NoFrameRunsWhilePausedAndQQuitsAsTheCloseBoxDoes) {
    ASSERT_TRUE(writeWav("wav/long.wav", 5000));
    shell.playEffect("wav/long.wav");
    press(SDLK_ESCAPE);
    press(SDLK_q);
    frameCount = 0;
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(frameCount, 0);
    EXPECT_TRUE(shell.paused());
    EXPECT_EQ(Mix_Paused(-1), 1);  // the effect, held where it was
    EXPECT_EQ(Mix_PausedMusic(), 1);
}

TEST_F(Shell, ThePlayersKeysMuteSwitchFullScreenAndSaveScreenshotsWithoutTheGameSeeingThem) {
    press(SDLK_m);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_TRUE(shell.muted());
    EXPECT_EQ(Mix_Volume(-1, -1), 0);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    press(SDLK_m);
    press(SDLK_F11);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_EQ(Mix_Volume(-1, -1), MIX_MAX_VOLUME);
    EXPECT_TRUE(sdl.fullScreen());
    key(SDLK_RETURN, true, KMOD_LALT);
    key(SDLK_RETURN, false, KMOD_LALT);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_FALSE(sdl.fullScreen());

    press(SDLK_F12);
    press(SDLK_F12);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    const std::vector<std::string> lines = linesOf(reported());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "sortie: sound off (M turns it back on)");
    EXPECT_EQ(lines[1], "sortie: sound on");
    const std::string prefix = "sortie: screenshot " + folder.path() + "/user-data/sortie/screenshot-";
    for (const std::string& line : {lines[2], lines[3]}) {
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        const std::string png = readWhole(line.substr(19));
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x03\x20\0\0\x02\x58", 8));  // 800 x 600
    }
    EXPECT_NE(lines[2], lines[3]);  // each screenshot has a name of its own

    // A window that loses the focus pauses the game; mouse clicks that bring it back do not
    // reach the game.
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&lost);
    mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1);
    press(SDLK_ESCAPE);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_FALSE(shell.paused());
}

}  // namespace

namespace {

// F5 and F9 save and load between frames, each saying so in a note the game never sees;
// closing the window keeps the game for the next start.
TEST_F(Shell, F5SavesF9LoadsAndClosingKeepsTheGame) {
    press(SDLK_F5);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_EQ(shell.note(), "Not saved: no player's folder");
    const std::string quick = folder.path() + "/player/quick.sav";
    const std::string suspended = folder.path() + "/player/suspend.sav";
    shell.setStateFiles(quick, suspended);
    press(SDLK_F9);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_EQ(shell.note(), "Nothing saved yet (F5 saves)");

    ScriptVars[3] = 5;
    press(SDLK_F5);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_EQ(shell.note(), "Saved");
    ScriptVars[3] = 7;
    press(SDLK_F9);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_EQ(shell.note(), "Loaded");
    EXPECT_EQ(ScriptVars[3], 5);

    // A recorded session goes back to nothing.
    shell.setStateFiles(quick, suspended, false);
    press(SDLK_F9);
    EXPECT_TRUE(drainOverFrames(shell).empty());
    EXPECT_EQ(shell.note(), "Not loaded: a recorded session plays from its start");

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    expectMessages(drainOverFrames(shell), {{WM_CLOSE, 0, 0}});
    EXPECT_TRUE(isRegularFile(suspended.c_str()));
    EXPECT_TRUE(shell.continueSuspended());
}

}  // namespace
