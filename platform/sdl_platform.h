// The SDL back end of the real game: the window of class "ModelApp", opened as large as
// fits the screen and resizable, which shows the 800 x 600 picture scaled by the largest
// whole factor that fits, centred on black; SDL events and game pads turned into window
// messages in picture pixels, a quick tap's release held for the next frame; presenting through a
// streaming texture; the media channels and the effect call over SDL2_mixer; SDL's sleep and
// the calendar clock. In a page (platform/page.h) the window is the page's canvas at the
// picture's size, which the page scales and shows the frames on itself.
#pragma once
#include <string>

#include "platform/media.h"
#include "platform/platform.h"
#include "platform/sdl_gamepad.h"
#include "platform/surface.h"

union SDL_Event;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct Mix_Chunk;
struct _Mix_Music;

// How the window first opens.
struct WindowOptions {
    int scale = 0;            // the window is scale times 800 x 600 (1 to 8); 0: the largest that fits
    bool fullScreen = false;  // start in full screen
};

constexpr int kLargestScale = 8;
// The largest whole scale (1 to kLargestScale) whose window of scale times 800 x 600 fits a free area
// of `width` x `height`; 1 when none does.
int largestFittingScale(int width, int height);

class SdlPlatform : public Platform {
public:
    ~SdlPlatform() override;

    // Opens the window (`options.scale` times 800 x 600, lowered to the largest scale whose
    // window, frame included, fits the desktop's free area; or full screen), shown, with an
    // empty title; the player may resize and maximise it. Then the audio device when there
    // is one (without one the game runs silently), and the game pads. Returns false, with
    // SDL's reason in `error`, when no window can be made.
    bool open(const char** error, const WindowOptions& options = {});
    // Closes the audio device and the window and shuts SDL down; safe to call twice.
    void close();

    // A release whose press came since the last frame is held back, with everything after
    // it, until a frame has seen the press: a quick tap (a touchpad, a scripted click) would
    // otherwise come and go within one pump and no frame would see it.
    bool peekMessage(Message& out) override;
    void postQuitMessage(int exitCode) override;
    void destroyWindow() override;
    void presentWindow(const Surface& window) override;
    // The right sticks move the pointer, once a frame; a held-back release goes on.
    void frameStarted(int64_t frame) override;
    // Lets a held-back release go at the next fetch, as a frame would. A layer that stops
    // the frames (the pause) calls it while it waits, as nothing of the game sees presses then.
    void pressesSeen();
    void sleepMs(int ms) override;
    int64_t clockSeconds() override;
    bool soundOpen(SoundChannel channel, const char* path) override;
    void soundPlay(SoundChannel channel) override;
    void soundClose(SoundChannel channel) override;
    bool soundIsPlaying(SoundChannel channel) override;
    void playEffect(const char* path) override;

    // Turns one SDL event into the window message it stands for; false when it stands for
    // none. An expose re-presents the last frame here, as no message is needed for it.
    bool translateEvent(const SDL_Event& event, Message& out);

    // Turns full screen (the display's own resolution) on or off; off restores the window.
    void setFullScreen(bool on);
    bool fullScreen() const { return isFullScreen; }
    // The scale the window opened at, and the free area of the desktop that decided it.
    int openedScale() const { return windowScale; }
    int freeWidth() const { return usableWidth; }
    int freeHeight() const { return usableHeight; }
    // Holds every sound where it is, or lets it go on.
    void pauseSound(bool paused);
    // Silences every sound, or gives it back its volume; sounds go on playing meanwhile.
    void setMuted(bool muted);
    // The user's data folder for this program (made when missing), ending in a separator;
    // empty when there is none.
    std::string userDataFolder();
    // The folder the running program was started from (ending in a separator), where the
    // files it ships are found relative to it; empty when the system cannot say.
    static std::string programFolder();
    // Where the window position (x, y) falls in the picture, packed as mouse messages carry
    // it. A position over the black border reads as kOutsidePicture; one outside the window
    // (a drag with a button held) goes on in picture pixels. A position on the picture is
    // where the right stick takes the pointer from.
    int64_t picturePosition(int x, int y);
    // Below the battlefield, which the battle ignores, and on no button the screen can show.
    static constexpr int64_t kOutsidePicture = 0xFFFFFFFF;

    // Where the picture sits in the window, and its scale.
    struct Layout {
        int left;
        int top;
        int scale;
        int windowWidth;
        int windowHeight;
    };
    Layout layout();
    // The window itself, for tests that act on it as the desktop would (resizing it).
    SDL_Window* sdlWindow() const { return window; }
    // SDL's name for the renderer in use: a graphics card's ("opengl") or "software".
    const char* rendererName();

    void captureSound(SoundState& out) override;
    void restoreSound(const SoundState& state) override;

    bool audioReady() const { return audioOpen; }
    int presentCount = 0;  // frames put on screen, re-presentations included
    int effectLoads = 0;   // effect files read; each path is read once

private:
    static constexpr int kPostedCapacity = 8;
    static constexpr int kPendingCapacity = 32;
    static constexpr int kEffectCacheSize = 32;

    struct CachedEffect {
        char path[kTextSize];
        Mix_Chunk* chunk;  // null when the file could not be read
    };

    bool createRenderer();
    void openAudio();
    void showTexture();
    void freeEffects();
    void queue(const Message& message);
    bool nextWindowMessage(Message& out);
    bool releasesFreshPress(const Message& message);

    char errorText[256] = "";
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool videoOpen = false;
    bool hasFrame = false;
    bool audioOpen = false;
    bool isFullScreen = false;
    int windowScale = 1;
    int usableWidth = 0;
    int usableHeight = 0;
    int windowX = 0;  // where the window stood before full screen, and its size
    int windowY = 0;
    int windowWidth = kScreenWidth;
    int windowHeight = kScreenHeight;

    Message posted[kPostedCapacity] = {};
    int postedCount = 0;
    // Messages made by the back end itself (a pad event can stand for several, the right
    // stick moves the pointer once a frame), fetched before any further SDL event.
    Message pending[kPendingCapacity] = {};
    int pendingCount = 0;

    // What went down since the last frame: keys by virtual-key code, then the left and
    // right buttons; and the release held back until a frame has seen its press.
    static constexpr int kKeyCodes = 256;
    bool keyPressedThisFrame[kKeyCodes] = {};
    bool buttonPressedThisFrame[2] = {};
    Message heldRelease = {};
    bool holdingRelease = false;

    GamePads pads;
    int pointerX = kScreenWidth / 2;  // the last pointer position over the picture
    int pointerY = kScreenHeight / 2;

    _Mix_Music* music = nullptr;
    Mix_Chunk* shot = nullptr;
    char openPaths[2][kTextSize] = {};  // the files open on the music and shot channels
    CachedEffect effects[kEffectCacheSize] = {};
    int effectCount = 0;
    int nextEviction = 0;
};
