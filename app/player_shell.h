// The player's shell around the SDL back end: the keys and pad buttons that belong to the
// player rather than to the game (Esc, P and the pad's Start pause and resume, Q quits while
// paused, M mutes, F11 and Alt+Enter switch full screen, F12 saves a screenshot), the
// pause itself, the keyboard menus (keyboard_menu.h), whose presses reach the game as
// clicks, and saved states: F5 (the pad's Back) saves the game to a quick slot and F9 (Start
// while Back is held) goes back to it, closing the window keeps the game as it stands for
// the next start, which offers to continue it; a short note on the shown picture (never in
// the game's own) says what happened. The game sees every other message unchanged, none of the shell's own, and nothing
// made while it is paused. The headless runner has no shell.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

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

    void captureSound(SoundState& out) override;
    void restoreSound(const SoundState& state) override;

    // Sound off or on, said on the report and remembered in the player's settings.
    void setMuted(bool on);

    // Where the quick slot and the state kept at closing are written; empty paths (no
    // player's folder) save nothing and say so. Without `loads`, F9 says no: a session that
    // is being recorded plays back from its start only.
    void setStateFiles(const std::string& quick, const std::string& suspended, bool loads = true);
    // Over the first frame, asks whether to continue the state kept at the last closing; the
    // game waits for Enter (continue) or N (a new game).
    void offerContinue();
    // Continues the state kept at the last closing at once; false, with a note, if refused.
    bool continueSuspended();
    // The note shown over the picture, empty when none.
    const std::string& note() const { return noteText; }

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
    Verdict judgeShellKeys(const Message& message);
    Verdict judgeStateKeys(const Message& message, bool pressed);
    void quickSave();
    void quickLoad();
    void saveSuspended();
    void showNote(const std::string& text, int frames);

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

    std::string quickPath;
    std::string suspendPath;
    bool suspendWritten = false;
    bool loadsAllowed = true;
    bool offering = false;  // the continue question is up, the game waits for the answer
    bool offerShown = false;
    bool backHeld = false;          // the pad's Back button is down...
    bool startWhileBack = false;    // ... and Start went down meanwhile: no save on letting go
    int64_t framesSeen = 0;
    bool framePresented = false;  // a frame of the game has been shown
    std::string noteText;
    int noteFrames = 0;  // frames the note stays; it stays while the question is up
    Surface noted;       // the shown picture with the note

    Message owed[kOwedCapacity] = {};
    int owedCount = 0;
    int owedNext = 0;
};
