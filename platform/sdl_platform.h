// The SDL back end of the real game: the window of class "ModelApp", which shows the
// 800 x 600 picture scaled by the largest whole factor that fits, centred on black; SDL
// events and game pads turned into window messages in picture pixels; presenting through a
// streaming texture; the media channels and the effect call over SDL2_mixer; SDL's sleep and
// the calendar clock.
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
    int scale = 1;            // the window is scale times 800 x 600 (1 to 8)
    bool fullScreen = false;  // start in full screen
};

class SdlPlatform : public Platform {
public:
    ~SdlPlatform() override;

    // Opens the window (`options.scale` times 800 x 600, or full screen), shown, with an
    // empty title and no sizing border; the audio device when there is one (without one the
    // game runs silently); and the game pads. Returns false, with SDL's reason in `error`,
    // when no window can be made.
    bool open(const char** error, const WindowOptions& options = {});
    // Closes the audio device and the window and shuts SDL down; safe to call twice.
    void close();

    bool peekMessage(Message& out) override;
    void postQuitMessage(int exitCode) override;
    void destroyWindow() override;
    void presentWindow(const Surface& window) override;
    // The right sticks move the pointer, once a frame.
    void frameStarted(int64_t frame) override;
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
    // Holds every sound where it is, or lets it go on.
    void pauseSound(bool paused);
    // Silences every sound, or gives it back its volume; sounds go on playing meanwhile.
    void setMuted(bool muted);
    // The user's data folder for this program (made when missing), ending in a separator;
    // empty when there is none.
    std::string userDataFolder();
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
    // SDL's name for the renderer in use: a graphics card's ("opengl") or "software".
    const char* rendererName();

    bool audioReady() const { return audioOpen; }
    int presentCount = 0;  // frames put on screen, re-presentations included
    int effectLoads = 0;   // effect files read; each path is read once

private:
    static constexpr int kMaxScale = 8;
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

    char errorText[256] = "";
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool videoOpen = false;
    bool hasFrame = false;
    bool audioOpen = false;
    bool isFullScreen = false;
    int windowScale = 1;
    int windowX = 0;  // where the window stood before full screen
    int windowY = 0;

    Message posted[kPostedCapacity] = {};
    int postedCount = 0;
    // Messages made by the back end itself (a pad event can stand for several, the right
    // stick moves the pointer once a frame), fetched before any further SDL event.
    Message pending[kPendingCapacity] = {};
    int pendingCount = 0;

    GamePads pads;
    int pointerX = kScreenWidth / 2;  // the last pointer position over the picture
    int pointerY = kScreenHeight / 2;

    _Mix_Music* music = nullptr;
    Mix_Chunk* shot = nullptr;
    CachedEffect effects[kEffectCacheSize] = {};
    int effectCount = 0;
    int nextEviction = 0;
};
