#include "platform/sdl_platform.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

#include "platform/data_file.h"
#include "platform/surface.h"
#include "platform/wave.h"

namespace {

// The shot channel and the effect channel are mixer channels; the music has its stream.
constexpr int kShotMixChannel = 0;
constexpr int kEffectMixChannel = 1;
constexpr int kMixChannels = 2;
constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;
constexpr int kAudioChunkBytes = 1024;

uint32_t virtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    default: return VK_UNMAPPED;
    }
}

// A sound file opened as every data file is (a regular file within its size, never waited
// on), for the mixer to read and close. Null when it cannot be opened, or when it is music
// in a wave file that cannot sound: the mixer would report it over at once, so the
// keep-alive would reopen it every frame, and some such headers (no channels) stop the
// program inside the mixer. Other kinds of music are the mixer's to judge.
SDL_RWops* openSoundFile(const char* path, bool music) {
    std::FILE* file = openBinaryFile(path, kSoundFileLimit);
    if (!file) return nullptr;
    bool playable = true;
    if (music) {
        WaveInfo info;
        readWaveInfo(file, info);
        playable = (!info.isWave || waveProblem(info, WaveUse::Music) == WaveProblem::None) &&
                   std::fseek(file, 0, SEEK_SET) == 0;
    }
    SDL_RWops* rw = playable ? SDL_RWFromFP(file, SDL_TRUE) : nullptr;
    if (!rw) std::fclose(file);
    return rw;
}

// Window coordinates packed as the desktop packs them: x in the low, y in the high 16 bits.
int64_t packPosition(int x, int y) {
    return static_cast<int64_t>(static_cast<uint16_t>(x)) | (static_cast<int64_t>(static_cast<uint16_t>(y)) << 16);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Sanitized builds check for leaks at exit. The desktop's message-bus library, which SDL
// uses for screen-saver and input-method services, keeps one allocation for the life of
// the process; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

SdlPlatform::~SdlPlatform() { close(); }

bool SdlPlatform::open(const char** error) {
    // The window class name; X11 takes it from this variable when the window is made.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", "ModelApp", 1);
    // The game never captures the mouse: moves outside the window are not its business.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // Frames are composed in software; presenting is one copy into the window's own
    // framebuffer, which needs no GPU driver.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::snprintf(errorText, sizeof errorText, "%s", SDL_GetError());
        if (error) *error = errorText;
        return false;
    }
    videoOpen = true;
    // Without a display SDL falls back to drawing off screen, where nobody could see the
    // game or close it; only an explicit request (the tests) gets a window there.
    if (!SDL_getenv("SDL_VIDEODRIVER") && std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0) {
        std::snprintf(errorText, sizeof errorText, "no display (neither DISPLAY nor WAYLAND_DISPLAY is usable)");
        if (error) *error = errorText;
        close();
        return false;
    }
    window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kScreenWidth, kScreenHeight,
                              SDL_WINDOW_SHOWN);
    if (window) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (renderer)
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kScreenWidth,
                                    kScreenHeight);
    if (!texture) {
        std::snprintf(errorText, sizeof errorText, "%s", SDL_GetError());  // before SDL shuts down
        if (error) *error = errorText;
        close();
        return false;
    }
    SDL_StopTextInput();
    showTexture();

    openAudio();
    return true;
}

void SdlPlatform::openAudio() {
    // Without a sound device the audio libraries complain on stderr while they probe; the
    // game runs silently then and reports nothing, so their complaints go nowhere.
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY);
    if (savedStderr >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        if (Mix_OpenAudio(kAudioRate, MIX_DEFAULT_FORMAT, kAudioChannels, kAudioChunkBytes) == 0) {
            audioOpen = true;
            Mix_AllocateChannels(kMixChannels);
        } else {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    if (savedStderr >= 0 && nowhere >= 0) dup2(savedStderr, STDERR_FILENO);
    if (savedStderr >= 0) ::close(savedStderr);
    if (nowhere >= 0) ::close(nowhere);
}

void SdlPlatform::close() {
    if (audioOpen) {
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        soundClose(kMusicChannel);
        soundClose(kShotChannel);
        freeEffects();
        Mix_CloseAudio();
        audioOpen = false;
    }
    destroyWindow();
    if (videoOpen) {
        SDL_Quit();
        videoOpen = false;
    }
}

bool SdlPlatform::translateEvent(const SDL_Event& event, Message& out) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint32_t key = virtualKeyOf(event.key.keysym.sym);
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        // As on the desktop: keys with Alt held, Alt itself and F10 are system keys, which
        // the window procedure leaves to the default procedure (Alt+F4 closes).
        const bool system = alt || key == VK_MENU || key == VK_F10;
        const bool down = event.type == SDL_KEYDOWN;
        out.code = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        out.wParam = key;
        out.lParam = alt ? kAltContextBit : 0;
        return true;
    }
    case SDL_MOUSEMOTION:
        out = Message{WM_MOUSEMOVE, 0, packPosition(event.motion.x, event.motion.y)};
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (event.button.button == SDL_BUTTON_LEFT)
            out.code = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (event.button.button == SDL_BUTTON_RIGHT)
            out.code = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else
            return false;
        out.wParam = 0;
        out.lParam = packPosition(event.button.x, event.button.y);
        return true;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            out = Message{WM_CLOSE, 0, 0};
            return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) showTexture();
        return false;
    case SDL_QUIT:  // a termination signal closes the window like its close box
        out = Message{WM_CLOSE, 0, 0};
        return true;
    default: return false;
    }
}

bool SdlPlatform::peekMessage(Message& out) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (window && translateEvent(event, out)) return true;
    }
    if (postedCount == 0) return false;
    out = posted[0];
    --postedCount;
    std::memmove(posted, posted + 1, sizeof posted[0] * static_cast<size_t>(postedCount));
    return true;
}

void SdlPlatform::postQuitMessage(int exitCode) {
    if (postedCount < kPostedCapacity) posted[postedCount++] = Message{WM_QUIT, static_cast<uint64_t>(exitCode), 0};
}

void SdlPlatform::destroyWindow() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
}

void SdlPlatform::presentWindow(const Surface& surface) {
    if (!texture) return;
    const SDL_Rect area{0, 0, std::min(surface.width, kScreenWidth), std::min(surface.height, kScreenHeight)};
    if (area.w > 0 && area.h > 0) {
        SDL_UpdateTexture(texture, &area, surface.pixels.data(), surface.width * static_cast<int>(sizeof(uint32_t)));
        hasFrame = true;
    }
    showTexture();
}

void SdlPlatform::showTexture() {
    if (!renderer) return;
    if (hasFrame) {
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    } else {  // before the first frame the window shows its white background
        SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
        SDL_RenderClear(renderer);
    }
    SDL_RenderPresent(renderer);
    ++presentCount;
}

void SdlPlatform::sleepMs(int ms) { SDL_Delay(static_cast<Uint32>(std::max(ms, 0))); }

int64_t SdlPlatform::clockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

bool SdlPlatform::soundOpen(SoundChannel channel, const char* path) {
    if (!audioOpen) return false;
    soundClose(channel);
    SDL_RWops* file = openSoundFile(path, channel == kMusicChannel);
    if (!file) return false;
    if (channel == kMusicChannel) {
        music = Mix_LoadMUS_RW(file, 1);  // streamed: the mixer keeps the file open
        return music != nullptr;
    }
    shot = Mix_LoadWAV_RW(file, 1);
    return shot != nullptr;
}

void SdlPlatform::soundPlay(SoundChannel channel) {
    if (channel == kMusicChannel) {
        if (music) Mix_PlayMusic(music, 1);
    } else if (shot) {
        Mix_PlayChannel(kShotMixChannel, shot, 0);
    }
}

void SdlPlatform::soundClose(SoundChannel channel) {
    if (channel == kMusicChannel) {
        if (music) {
            Mix_HaltMusic();
            Mix_FreeMusic(music);
            music = nullptr;
        }
    } else if (shot) {
        Mix_HaltChannel(kShotMixChannel);
        Mix_FreeChunk(shot);
        shot = nullptr;
    }
}

bool SdlPlatform::soundIsPlaying(SoundChannel channel) {
    if (channel == kMusicChannel) return music && Mix_PlayingMusic();
    return shot && Mix_Playing(kShotMixChannel);
}

void SdlPlatform::playEffect(const char* path) {
    if (!audioOpen || std::strlen(path) >= kTextSize) return;
    Mix_HaltChannel(kEffectMixChannel);  // a new effect cuts off the one before
    CachedEffect* found = nullptr;
    for (int i = 0; i < effectCount && !found; ++i)
        if (std::strcmp(effects[i].path, path) == 0) found = &effects[i];
    if (!found) {
        // The spawn sounds of a stage are few; the oldest entry makes room for a new one.
        if (effectCount < kEffectCacheSize) {
            found = &effects[effectCount++];
        } else {
            found = &effects[nextEviction];
            nextEviction = (nextEviction + 1) % kEffectCacheSize;
            if (found->chunk) Mix_FreeChunk(found->chunk);
        }
        std::snprintf(found->path, sizeof found->path, "%s", path);
        SDL_RWops* file = openSoundFile(path, false);
        found->chunk = file ? Mix_LoadWAV_RW(file, 1) : nullptr;
        ++effectLoads;
    }
    if (found->chunk) Mix_PlayChannel(kEffectMixChannel, found->chunk, 0);
}

void SdlPlatform::freeEffects() {
    for (int i = 0; i < effectCount; ++i)
        if (effects[i].chunk) Mix_FreeChunk(effects[i].chunk);
    effectCount = 0;
    nextEviction = 0;
}
