// The SDL back end of the real game: the 800 x 600 window of class "ModelApp", SDL events
// turned into window messages, presenting through a streaming texture, the media channels
// and the effect call over SDL2_mixer, SDL's sleep and the calendar clock.
#pragma once
#include "platform/media.h"
#include "platform/platform.h"

union SDL_Event;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct Mix_Chunk;
struct _Mix_Music;

class SdlPlatform : public Platform {
public:
    ~SdlPlatform() override;

    // Opens the window, shown, with an empty title and no sizing border, and the audio
    // device when there is one (without one the game runs silently). Returns false, with
    // SDL's reason in `error`, when no window can be made.
    bool open(const char** error);
    // Closes the audio device and the window and shuts SDL down; safe to call twice.
    void close();

    bool peekMessage(Message& out) override;
    void postQuitMessage(int exitCode) override;
    void destroyWindow() override;
    void presentWindow(const Surface& window) override;
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

    bool audioReady() const { return audioOpen; }
    int presentCount = 0;  // frames put on screen, re-presentations included
    int effectLoads = 0;   // effect files read; each path is read once

private:
    static constexpr int kPostedCapacity = 8;
    static constexpr int kEffectCacheSize = 32;

    struct CachedEffect {
        char path[kTextSize];
        Mix_Chunk* chunk;  // null when the file could not be read
    };

    void openAudio();
    void showTexture();
    void freeEffects();

    char errorText[256] = "";
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool videoOpen = false;
    bool hasFrame = false;
    bool audioOpen = false;

    Message posted[kPostedCapacity] = {};
    int postedCount = 0;

    _Mix_Music* music = nullptr;
    Mix_Chunk* shot = nullptr;
    CachedEffect effects[kEffectCacheSize] = {};
    int effectCount = 0;
    int nextEviction = 0;
};
