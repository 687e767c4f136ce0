#include "platform/sdl_platform.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "platform/data_file.h"
#include "platform/page.h"
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

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

#ifdef _WIN32
constexpr const char* kNowhere = "NUL";
#else
constexpr const char* kNowhere = "/dev/null";
#endif

// Runs `probe` with stderr sent nowhere: libraries that probe devices complain there about
// what they do not find, and the game reports nothing.
template <class Probe>
void withStderrSilenced(Probe probe) {
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    const int nowhere = ::open(kNowhere, O_WRONLY);
    if (savedStderr >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    probe();
    if (savedStderr >= 0 && nowhere >= 0) dup2(savedStderr, STDERR_FILENO);
    if (savedStderr >= 0) ::close(savedStderr);
    if (nowhere >= 0) ::close(nowhere);
}

// False for a renderer that only emulates a graphics card in software (Mesa's llvmpipe and
// its kin), which is slower than SDL's own software renderer.
bool drawsOnGraphicsCard(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED)) return false;
    if (std::strncmp(info.name, "opengl", 6) != 0) return true;  // opengl and opengles2
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned kGlRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const auto* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
    if (!name) return false;
    for (const char* emulation : {"llvmpipe", "softpipe", "Software Rasterizer", "lavapipe"})
        if (std::strstr(name, emulation)) return false;
    return true;
}

}  // namespace

int largestFittingScale(int width, int height) {
    return std::clamp(std::min(width / kScreenWidth, height / kScreenHeight), 1, kLargestScale);
}

#if defined(__SANITIZE_ADDRESS__)
// Sanitized builds check for leaks at exit. The desktop's message-bus library, which SDL
// uses for screen-saver and input-method services, keeps one allocation for the life of
// the process; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
// The OpenGL drivers keep allocations of their own too, from libraries they unload again
// (so no suppression can name them): sanitized builds draw with the software renderer.
constexpr bool kTryGraphicsCard = false;
#else
constexpr bool kTryGraphicsCard = true;
#endif

SdlPlatform::~SdlPlatform() { close(); }

bool SdlPlatform::open(const char** error, const WindowOptions& options) {
    // The window class name; X11 takes it from this variable when the window is made, Windows
    // from the class SDL registers once, before its video starts.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", "ModelApp", 1);
#ifdef _WIN32
    SDL_RegisterApp("ModelApp", 0, nullptr);
#endif
    // The game never captures the mouse: moves outside the window are not its business.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // Without a graphics card frames are presented by one copy into the window's own
    // framebuffer, which needs no GPU driver.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The frame's own sleep is the game's only clock; waiting for the display would slow it.
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
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
    // Hidden until it has its renderer and its size, so that it appears once, as it stays.
    // A page's canvas keeps the picture's size, whatever size the page shows it at.
    const bool onPage = pageShowsFrames();
    window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kScreenWidth, kScreenHeight,
                              onPage ? SDL_WINDOW_HIDDEN : SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (window && !onPage) {
        // The picture never shrinks below its own size, which any larger window centres.
        SDL_SetWindowMinimumSize(window, kScreenWidth, kScreenHeight);
        SDL_Rect free{0, 0, kScreenWidth, kScreenHeight};
        if (SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &free) != 0)
            SDL_GetDisplayBounds(0, &free);
        int top = 0, left = 0, bottom = 0, right = 0;  // the frame the desktop puts round it
        if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
        usableWidth = free.w;
        usableHeight = free.h;
        const int fits = largestFittingScale(free.w - left - right, free.h - top - bottom);
        windowScale = options.scale > 0 ? std::min(std::clamp(options.scale, 1, kLargestScale), fits) : fits;
        windowWidth = kScreenWidth * windowScale;
        windowHeight = kScreenHeight * windowScale;
        SDL_SetWindowSize(window, windowWidth, windowHeight);
        // In the middle of the free area, frame included: where it was made, for its first
        // size, a bigger window would reach past the screen's edge.
        SDL_SetWindowPosition(window, free.x + left + std::max(0, free.w - left - right - windowWidth) / 2,
                              free.y + top + std::max(0, free.h - top - bottom - windowHeight) / 2);
    }
    if (window && !onPage && createRenderer())
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kScreenWidth,
                                    kScreenHeight);
    if (!window || (!texture && !onPage)) {
        std::snprintf(errorText, sizeof errorText, "%s", SDL_GetError());  // before SDL shuts down
        if (error) *error = errorText;
        close();
        return false;
    }
    if (texture) SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);  // scaled pixels stay crisp
    SDL_StopTextInput();
    if (options.fullScreen) setFullScreen(true);
    SDL_ShowWindow(window);
    showTexture();

    openAudio();
    // Pads already plugged in are announced as if plugged in now.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    return true;
}

bool SdlPlatform::createRenderer() {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) {  // the player's own choice
        renderer = SDL_CreateRenderer(window, -1, 0);
        return renderer != nullptr;
    }
    // A graphics card scales the picture at no cost to the frame; without one, SDL's
    // software renderer is quicker than a software emulation of a card.
    if (kTryGraphicsCard)
        withStderrSilenced([this] { renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED); });
    if (renderer && !drawsOnGraphicsCard(renderer)) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
    }
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer != nullptr;
}

const char* SdlPlatform::rendererName() {
    SDL_RendererInfo info;
    return renderer && SDL_GetRendererInfo(renderer, &info) == 0 ? info.name : "none";
}

void SdlPlatform::openAudio() {
    // Without a sound device the audio libraries complain on stderr while they probe; the
    // game runs silently then and reports nothing, so their complaints go nowhere.
    withStderrSilenced([this] {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
        if (Mix_OpenAudio(kAudioRate, MIX_DEFAULT_FORMAT, kAudioChannels, kAudioChunkBytes) == 0) {
            audioOpen = true;
            Mix_AllocateChannels(kMixChannels);
        } else {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    });
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
    pads.closeAll();
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
        out.lParam = (alt ? kAltContextBit : 0) | (down && event.key.repeat ? kPreviousStateBit : 0);
        return true;
    }
    case SDL_MOUSEMOTION:
        out = Message{WM_MOUSEMOVE, 0, picturePosition(event.motion.x, event.motion.y)};
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
        out.lParam = picturePosition(event.button.x, event.button.y);
        return true;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: out = Message{WM_CLOSE, 0, 0}; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: out = Message{WM_KILLFOCUS, 0, 0}; return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: showTexture(); return false;
        default: return false;
        }
    case SDL_QUIT:  // a termination signal closes the window like its close box
        out = Message{WM_CLOSE, 0, 0};
        return true;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION: {
        Message made[GamePads::kMaxMessages];
        const int count = pads.translate(event, packPosition(pointerX, pointerY), made);
        for (int i = 1; i < count; ++i) queue(made[i]);
        if (count > 0) out = made[0];
        return count > 0;
    }
    default: return false;
    }
}

int64_t SdlPlatform::picturePosition(int x, int y) {
    const Layout at = layout();
    const int pictureX = floorDiv(x - at.left, at.scale);
    const int pictureY = floorDiv(y - at.top, at.scale);
    const bool inWindow = x >= 0 && y >= 0 && x < at.windowWidth && y < at.windowHeight;
    const bool onPicture = pictureX >= 0 && pictureY >= 0 && pictureX < kScreenWidth && pictureY < kScreenHeight;
    if (inWindow && !onPicture) return kOutsidePicture;
    if (onPicture) {  // where the right stick takes the pointer from
        pointerX = pictureX;
        pointerY = pictureY;
    }
    return packPosition(pictureX, pictureY);
}

SdlPlatform::Layout SdlPlatform::layout() {
    Layout at{0, 0, 1, kScreenWidth, kScreenHeight};
    if (renderer) SDL_GetRendererOutputSize(renderer, &at.windowWidth, &at.windowHeight);
    at.scale = std::max(1, std::min(at.windowWidth / kScreenWidth, at.windowHeight / kScreenHeight));
    at.left = (at.windowWidth - kScreenWidth * at.scale) / 2;
    at.top = (at.windowHeight - kScreenHeight * at.scale) / 2;
    return at;
}

void SdlPlatform::queue(const Message& message) {
    if (pendingCount < kPendingCapacity) pending[pendingCount++] = message;
}

void SdlPlatform::frameStarted(int64_t /*frame*/) {
    pressesSeen();
    // The page's own button and F11 switch its full screen too: the game's key goes on from
    // where the page is.
    if (window && pageShowsFrames()) isFullScreen = pageIsFullScreen();
    int dx = 0, dy = 0;
    pads.pointerStep(dx, dy);
    if (!window || (dx == 0 && dy == 0)) return;
    pointerX = std::clamp(pointerX + dx, 0, kScreenWidth - 1);
    pointerY = std::clamp(pointerY + dy, 0, kScreenHeight - 1);
    queue(Message{WM_MOUSEMOVE, 0, packPosition(pointerX, pointerY)});
    // The system pointer follows, so that the player sees where it is.
    const Layout at = layout();
    SDL_WarpMouseInWindow(window, at.left + pointerX * at.scale + at.scale / 2, at.top + pointerY * at.scale + at.scale / 2);
}

void SdlPlatform::setFullScreen(bool on) {
    if (!window || on == isFullScreen) return;
    isFullScreen = on;
    if (pageShowsFrames()) {
        setPageFullScreen(on);
        return;
    }
    if (on) {
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN) {
            windowX = windowY = SDL_WINDOWPOS_CENTERED;  // full screen from the start
        } else {
            SDL_GetWindowPosition(window, &windowX, &windowY);
            SDL_GetWindowSize(window, &windowWidth, &windowHeight);
        }
        // Without a window manager nobody acts on the full-screen request below; a
        // borderless window over the whole display is full screen all the same.
        SDL_Rect display;
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &display) == 0) {
            SDL_SetWindowBordered(window, SDL_FALSE);
            SDL_SetWindowPosition(window, display.x, display.y);
            SDL_SetWindowSize(window, display.w, display.h);
        }
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowSize(window, windowWidth, windowHeight);
        SDL_SetWindowPosition(window, windowX, windowY);
    }
    showTexture();
}

void SdlPlatform::pauseSound(bool paused) {
    if (!audioOpen) return;
    if (paused) {
        Mix_Pause(-1);
        Mix_PauseMusic();
    } else {
        Mix_Resume(-1);
        Mix_ResumeMusic();
    }
}

void SdlPlatform::setMuted(bool muted) {
    if (!audioOpen) return;
    Mix_Volume(-1, muted ? 0 : MIX_MAX_VOLUME);
    Mix_VolumeMusic(muted ? 0 : MIX_MAX_VOLUME);
}

std::string SdlPlatform::userDataFolder() {
    char* path = SDL_GetPrefPath("", "sortie");
    std::string folder = path ? path : "";
    SDL_free(path);
    return folder;
}

std::string SdlPlatform::programFolder() {
    char* path = SDL_GetBasePath();
    std::string folder = path ? path : "";
    SDL_free(path);
    return folder;
}

bool SdlPlatform::nextWindowMessage(Message& out) {
    if (pendingCount > 0) {
        out = pending[0];
        --pendingCount;
        std::memmove(pending, pending + 1, sizeof pending[0] * static_cast<size_t>(pendingCount));
        return true;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (translateEvent(event, out)) return true;
    }
    return false;
}

// Notes a press for the frame to come; true for a release whose press came since the last
// frame.
bool SdlPlatform::releasesFreshPress(const Message& m) {
    const size_t key = m.wParam % kKeyCodes;
    switch (m.code) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: keyPressedThisFrame[key] = true; return false;
    case WM_KEYUP:
    case WM_SYSKEYUP: return keyPressedThisFrame[key];
    case WM_LBUTTONDOWN: buttonPressedThisFrame[0] = true; return false;
    case WM_RBUTTONDOWN: buttonPressedThisFrame[1] = true; return false;
    case WM_LBUTTONUP: return buttonPressedThisFrame[0];
    case WM_RBUTTONUP: return buttonPressedThisFrame[1];
    default: return false;
    }
}

bool SdlPlatform::peekMessage(Message& out) {
    if (window && !holdingRelease) {
        if (nextWindowMessage(out)) {
            if (!releasesFreshPress(out)) return true;
            heldRelease = out;
            holdingRelease = true;
        }
    }
    // Whatever comes after a held-back release waits in SDL's queue behind it, in order.
    if (window && holdingRelease) return false;
    if (!window) {  // messages for a destroyed window are never fetched
        SDL_Event event;
        while (SDL_PollEvent(&event)) {}
    }
    if (postedCount == 0) return false;
    out = posted[0];
    --postedCount;
    std::memmove(posted, posted + 1, sizeof posted[0] * static_cast<size_t>(postedCount));
    return true;
}

void SdlPlatform::pressesSeen() {
    std::fill(std::begin(keyPressedThisFrame), std::end(keyPressedThisFrame), false);
    std::fill(std::begin(buttonPressedThisFrame), std::end(buttonPressedThisFrame), false);
    if (!holdingRelease) return;
    holdingRelease = false;
    // First in line at the next fetch, ahead of anything the back end made meanwhile.
    if (pendingCount == kPendingCapacity) --pendingCount;
    std::memmove(pending + 1, pending, sizeof pending[0] * static_cast<size_t>(pendingCount));
    pending[0] = heldRelease;
    ++pendingCount;
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
    pendingCount = 0;
    holdingRelease = false;
}

void SdlPlatform::presentWindow(const Surface& surface) {
    if (window && pageShowsFrames()) {  // one conversion and the page's canvas, no renderer
        presentOnPage(surface);
        ++presentCount;
        return;
    }
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
    const Layout at = layout();
    const SDL_Rect picture{at.left, at.top, kScreenWidth * at.scale, kScreenHeight * at.scale};
    if (picture.x != 0 || picture.y != 0 || picture.w != at.windowWidth || picture.h != at.windowHeight) {  // the border
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
    }
    if (hasFrame) {
        SDL_RenderCopy(renderer, texture, nullptr, &picture);
    } else {  // before the first frame the window shows its white background
        SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
        SDL_RenderFillRect(renderer, &picture);
    }
    SDL_RenderPresent(renderer);
    ++presentCount;
}

void SdlPlatform::sleepMs(int ms) {
#ifdef __EMSCRIPTEN__
    // The browser's sleep, a return to the page until its timer fires, as SDL_Delay's is
    // there; called directly, it keeps SDL's own functions out of those the page build
    // prepares for a sleep (cmake/web_page.cmake).
    emscripten_sleep(static_cast<unsigned>(std::max(ms, 0)));
#else
    SDL_Delay(static_cast<Uint32>(std::max(ms, 0)));
#endif
}

int64_t SdlPlatform::clockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

bool SdlPlatform::soundOpen(SoundChannel channel, const char* path) {
    if (!audioOpen) return false;
    soundClose(channel);
    SDL_RWops* file = openSoundFile(path, channel == kMusicChannel);
    if (!file) return false;
    std::snprintf(openPaths[channel], sizeof openPaths[channel], "%s", path);
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

void SdlPlatform::captureSound(SoundState& out) {
    std::memset(&out, 0, sizeof out);  // padding too: the same state gives the same bytes
    const bool open[2] = {music != nullptr, shot != nullptr};
    for (int i = 0; i < 2; ++i) {
        out.channels[i].open = open[i];
        out.channels[i].playing = open[i] && soundIsPlaying(static_cast<SoundChannel>(i));
        std::memcpy(out.channels[i].path, openPaths[i], sizeof out.channels[i].path);
    }
    // The mixer knows how far music has played; an action sound restarts from its start.
    const double seconds = music ? Mix_GetMusicPosition(music) : -1.0;
    if (seconds > 0) out.channels[kMusicChannel].playedMs = static_cast<int64_t>(seconds * 1000.0);
}

void SdlPlatform::restoreSound(const SoundState& state) {
    for (int i = 0; i < 2; ++i) {
        const auto channel = static_cast<SoundChannel>(i);
        soundClose(channel);
        const SoundChannelState& saved = state.channels[i];
        if (!saved.open || !soundOpen(channel, saved.path) || !saved.playing) continue;
        soundPlay(channel);
        if (channel == kMusicChannel && saved.playedMs > 0) Mix_SetMusicPosition(static_cast<double>(saved.playedMs) / 1000.0);
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
