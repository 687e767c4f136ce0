// The player's shell around the SDL back end: the keys and pad buttons that belong to the
// player rather than to the game (Esc, P and the pad's Start pause and resume, Q quits while
// paused, M mutes, F11 and Alt+Enter switch full screen, F12 saves a screenshot), the
// pause itself, and the keyboard menus (keyboard_menu.h), whose presses reach the game as
// clicks. The game sees every other message unchanged, none of the shell's own, and nothing
// made while it is paused. The headless runner has no shell.
#pragma once
#include <cstdint>
#include <cstdio>

#include "app/keyboard_menu.h"
#include "platform/platform.h"
#include "platform/surface.h"

class SdlPlatform;

class PlayerShell : public Platform {
public:
    // Notes for the player (sound off and on, screenshots) go to `report`, one line each.
    PlayerShell(SdlPlatform& screen, std::FILE* report);

    // While the game is paused this waits here, so that no frame runs, until the player
    // resumes or quits. On resuming, the game first gets the releases of the keys and
    // buttons it saw go down and that were let go during the pause (never the presses made
    // then), and the pointer's new position.
    bool peekMessage(Message& out) override;
    // Also keeps the frame for screenshots and for the pause picture; shows it with the
    // menu's highlight.
    void presentWindow(const Surface& window) override;

    void postQuitMessage(int exitCode) override;
    void destroyWindow() override;
    void sleepMs(int ms) override;
    int64_t clockSeconds() override;
    bool soundOpen(SoundChannel channel, const char* path) override;
    void soundPlay(SoundChannel channel) override;
    void soundClose(SoundChannel channel) override;
    bool soundIsPlaying(SoundChannel channel) override;
    void playEffect(const char* path) override;
    void noteMediaCommand(const char* text) override;
    void frameStarted(int64_t frame) override;

    // Sound off or on, said on the report and remembered in the player's settings.
    void setMuted(bool on);

    bool paused() const { return isPaused; }
    bool muted() const { return isMuted; }

private:
    enum class Verdict { Game, Shell, Close };
    static constexpr int kKeyCount = 256;
    static constexpr int kOwedCapacity = kKeyCount + 3;  // every key, both buttons, the pointer

    Verdict judge(const Message& message);
    void pause();
    void resume();
    void showPausePicture();
    void toggleFullScreen();  // and remembers it in the player's settings
    void takeScreenshot();
    void noteForGame(const Message& message);
    void noteWhilePaused(const Message& message);

    SdlPlatform& screen;
    std::FILE* report;
    const Surface* lastFrame = nullptr;
    Surface pausePicture;  // the last frame dimmed, with the legend
    bool isPaused = false;
    bool isMuted = false;
    KeyboardMenu menu;

    // What the game has seen go down and not yet up: keys by virtual-key code, then the
    // left and right buttons.
    bool keyHeld[kKeyCount] = {};
    bool buttonHeld[2] = {};
    // Let go during the pause: released for the game on resuming.
    bool keyReleased[kKeyCount] = {};
    bool buttonReleased[2] = {};
    bool pointerMoved = false;
    int64_t pointer = 0;  // the last pointer position, packed

    Message owed[kOwedCapacity] = {};
    int owedCount = 0;
    int owedNext = 0;
};
