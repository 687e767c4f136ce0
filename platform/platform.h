// The platform under the game: window messages, presenting, the clock, sleeping and the
// sound devices. Two back ends implement it: SDL (the real game) and headless (tests,
// tools, benchmarks). Game code reaches the platform only through `platform`.
#pragma once
#include <cstdint>

struct Surface;

// Window message codes the game sees; the values are those of the desktop API the game
// was designed against, so traces and tests read the same.
enum MessageCode : uint32_t {
    WM_DESTROY = 0x0002,
    WM_KILLFOCUS = 0x0008,  // the window lost the keyboard focus
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_SYSKEYDOWN = 0x0104,  // a key pressed while Alt is held (and F10, and Alt itself)
    WM_SYSKEYUP = 0x0105,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
};

// Virtual-key codes carried in wParam of key messages.
// Letters and digits are their upper-case ASCII codes; a key without a code of its own
// arrives as VK_UNMAPPED.
enum VirtualKey : uint32_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,  // Alt
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_KEY_X = 0x58,
    VK_KEY_Z = 0x5A,
    VK_F1 = 0x70,
    VK_F4 = 0x73,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_F5 = 0x74,
    VK_F9 = 0x78,
    VK_GAMEPAD_VIEW = 0xCE,  // a game pad's Back (Select) button
    VK_GAMEPAD_MENU = 0xCF,  // a game pad's Start button
    VK_UNMAPPED = 0xFF,
};

// lParam bit of a system-key message: Alt was held when the key changed.
constexpr int64_t kAltContextBit = int64_t{1} << 29;
// lParam bit of a key-down message: the key was already down (keyboard auto-repeat).
constexpr int64_t kPreviousStateBit = int64_t{1} << 30;

struct Message {
    uint32_t code = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;  // mouse moves: x in the low 16 bits, y in the next 16
};

// The two media-command channels: the music alias and the action-sound alias.
enum SoundChannel { kMusicChannel = 0, kShotChannel = 1 };

// What the sound devices hold between frames, as a saved state keeps it.
struct SoundChannelState {
    uint8_t open;        // a file is open on the channel
    uint8_t playing;     // it was started and has not played to its end
    int64_t playedMs;    // how far it has played
    int64_t durationMs;  // its length, where the back end knows it
    char path[160];      // the file, as opened
};
struct SoundState {
    SoundChannelState channels[2];
    int64_t clockMs;  // a virtual clock's time (headless); 0 where the clock is real
};

struct Platform {
    virtual ~Platform() = default;

    // Takes the next queued message without waiting; false when the queue is empty.
    virtual bool peekMessage(Message& out) = 0;
    // Queues WM_QUIT with the exit code behind every message already queued.
    virtual void postQuitMessage(int exitCode) = 0;
    // Closes the window for good; the caller then sends WM_DESTROY to the window procedure.
    // Messages still waiting for a destroyed window are never fetched; WM_QUIT is.
    virtual void destroyWindow() = 0;
    // Shows the window surface (800 x 600) in the window's client area.
    virtual void presentWindow(const Surface& window) = 0;

    virtual void sleepMs(int ms) = 0;
    virtual int64_t clockSeconds() = 0;

    // Sound devices behind the media commands. open loads the file on the channel (false
    // when it cannot be played); play starts it from the beginning, once; isPlaying turns
    // false when it has played to its end.
    virtual bool soundOpen(SoundChannel channel, const char* path) = 0;
    virtual void soundPlay(SoundChannel channel) = 0;
    virtual void soundClose(SoundChannel channel) = 0;
    virtual bool soundIsPlaying(SoundChannel channel) = 0;
    // Plays a short wave file asynchronously; a new effect cuts off the previous one.
    virtual void playEffect(const char* path) = 0;

    // Every media command text, as sent (for traces); the default ignores it.
    virtual void noteMediaCommand(const char* /*text*/) {}
    // Frame `frame` (1 for the first) is about to run its keep-alive and mode step.
    virtual void frameStarted(int64_t /*frame*/) {}

    // The sound devices' state for a saved state; the default holds nothing.
    virtual void captureSound(SoundState& out) { out = SoundState{}; }
    // Opens and starts again what `state` names, as far on as the back end can seek; the
    // channels are closed before. Sends no media command.
    virtual void restoreSound(const SoundState& /*state*/) {}
};

// The back end in use; set once by the program's entry point before anything else runs.
extern Platform* platform;

// Frames run so far, counted by the main loop: frame 1 is the first, start-up is frame 0.
extern int64_t frameCount;
