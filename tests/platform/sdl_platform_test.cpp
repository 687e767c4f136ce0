// The SDL back end on SDL's dummy video and audio drivers: no display or sound card needed.
#include "platform/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "app/main_loop.h"
#include "platform/surface.h"
#include "support/hostile_files.h"
#include "support/test_files.h"

namespace {

class SdlBackEnd : public ::testing::Test {
protected:
    void open(const char* audioDriver) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", audioDriver, 1);
        const char* error = "";
        ASSERT_TRUE(sdl.open(&error)) << error;
        platform = &sdl;
    }
    void TearDown() override {
        sdl.close();
        platform = nullptr;
    }

    Message translate(const SDL_Event& event) {
        Message m{0xFFFF, 0, 0};
        translated = sdl.translateEvent(event, m);
        return m;
    }
    static SDL_Event key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        return e;
    }
    static SDL_Event button(Uint32 type, Uint8 which, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.button = which;
        e.button.x = x;
        e.button.y = y;
        return e;
    }
    static SDL_Event windowEvent(Uint8 what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        return e;
    }

    SdlPlatform sdl;
    bool translated = false;
};

TEST_F(SdlBackEnd, KeysBecomeKeyMessagesWithTheirVirtualKeyCodes) {
    open("dummy");
    const struct {
        SDL_Keycode sym;
        uint32_t key;
    } keys[] = {{SDLK_LEFT, VK_LEFT}, {SDLK_RIGHT, VK_RIGHT},   {SDLK_UP, VK_UP},         {SDLK_DOWN, VK_DOWN},
                {SDLK_z, VK_KEY_Z},   {SDLK_x, VK_KEY_X},       {SDLK_a, 0x41},           {SDLK_7, 0x37},
                {SDLK_SPACE, VK_SPACE}, {SDLK_RETURN, VK_RETURN}, {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_F5, 0x74},
                {SDLK_PRINTSCREEN, VK_UNMAPPED}};
    for (const auto& k : keys) {
        Message m = translate(key(SDL_KEYDOWN, k.sym, KMOD_LSHIFT));
        EXPECT_TRUE(translated);
        EXPECT_EQ(m.code, WM_KEYDOWN);
        EXPECT_EQ(m.wParam, k.key) << k.sym;
        m = translate(key(SDL_KEYUP, k.sym));
        EXPECT_EQ(m.code, WM_KEYUP);
        EXPECT_EQ(m.wParam, k.key) << k.sym;
    }
}

TEST_F(SdlBackEnd, KeysWithAltAreSystemKeys) {
    open("dummy");
    Message m = translate(key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT));
    EXPECT_EQ(m.code, WM_SYSKEYDOWN);
    EXPECT_EQ(m.wParam, VK_F4);
    EXPECT_NE(m.lParam & kAltContextBit, 0);
    m = translate(key(SDL_KEYDOWN, SDLK_z, KMOD_RALT));
    EXPECT_EQ(m.code, WM_SYSKEYDOWN);
    m = translate(key(SDL_KEYUP, SDLK_LALT));
    EXPECT_EQ(m.code, WM_SYSKEYUP);
    EXPECT_EQ(m.wParam, VK_MENU);
    m = translate(key(SDL_KEYDOWN, SDLK_F10));
    EXPECT_EQ(m.code, WM_SYSKEYDOWN);
    EXPECT_EQ(m.lParam, 0);
}

TEST_F(SdlBackEnd, MouseMessagesCarryThePositionInTwo16BitHalves) {
    open("dummy");
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 799;
    motion.motion.y = 599;
    Message m = translate(motion);
    EXPECT_EQ(m.code, WM_MOUSEMOVE);
    EXPECT_EQ(m.lParam, (599 << 16) | 799);
    motion.motion.x = -1;
    motion.motion.y = -2;
    EXPECT_EQ(translate(motion).lParam, 0xFFFEFFFFll);

    EXPECT_EQ(translate(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 4)).code, WM_LBUTTONDOWN);
    EXPECT_EQ(translate(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 3, 4)).code, WM_LBUTTONUP);
    EXPECT_EQ(translate(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 3, 4)).code, WM_RBUTTONDOWN);
    m = translate(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 3, 4));
    EXPECT_EQ(m.code, WM_RBUTTONUP);
    EXPECT_EQ(m.lParam, (4 << 16) | 3);
    translate(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 3, 4));
    EXPECT_FALSE(translated);
}

TEST_F(SdlBackEnd, CloseRequestsBecomeWmCloseAndExposeRepresents) {
    open("dummy");
    EXPECT_EQ(translate(windowEvent(SDL_WINDOWEVENT_CLOSE)).code, WM_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(translate(quit).code, WM_CLOSE);

    const int before = sdl.presentCount;
    translate(windowEvent(SDL_WINDOWEVENT_EXPOSED));
    EXPECT_FALSE(translated);
    EXPECT_EQ(sdl.presentCount, before + 1);
    translate(windowEvent(SDL_WINDOWEVENT_MOVED));
    EXPECT_FALSE(translated);
}

TEST_F(SdlBackEnd, ADestroyedWindowGetsNoMoreMessagesButQuitComesThrough) {
    open("dummy");
    SDL_Event e = key(SDL_KEYDOWN, SDLK_z);
    SDL_PushEvent(&e);
    Message m;
    ASSERT_TRUE(sdl.peekMessage(m));
    EXPECT_EQ(m.code, WM_KEYDOWN);
    EXPECT_FALSE(sdl.peekMessage(m));

    sdl.destroyWindow();
    sdl.postQuitMessage(5);
    SDL_PushEvent(&e);
    ASSERT_TRUE(sdl.peekMessage(m));
    EXPECT_EQ(m.code, WM_QUIT);
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_FALSE(sdl.peekMessage(m));
    Surface frame;
    resizeSurface(frame, 800, 600, kWhite);
    sdl.presentWindow(frame);  // nothing left to show it on
}

TEST_F(SdlBackEnd, ClosingTheWindowEndsTheGameWithExitCodeZero) {
    open("dummy");
    TempGameFolder folder;
    SDL_Event close = windowEvent(SDL_WINDOWEVENT_CLOSE);
    SDL_PushEvent(&close);
    EXPECT_EQ(runGame(), 0);
    EXPECT_GE(sdl.presentCount, 2);  // the white window, then the loading text
}

TEST_F(SdlBackEnd, MusicShotAndEffectsPlayOnTheirOwnChannels) {
    open("dummy");
    ASSERT_TRUE(sdl.audioReady());
    TempGameFolder folder;
    ASSERT_TRUE(writeWav("wav/m.wav", 2000));
    ASSERT_TRUE(sdl.soundOpen(kMusicChannel, "././wav/m.wav"));
    EXPECT_FALSE(sdl.soundIsPlaying(kMusicChannel));
    sdl.soundPlay(kMusicChannel);
    EXPECT_TRUE(sdl.soundIsPlaying(kMusicChannel));
    ASSERT_TRUE(sdl.soundOpen(kShotChannel, "./wav/m.wav"));
    sdl.soundPlay(kShotChannel);
    EXPECT_TRUE(sdl.soundIsPlaying(kShotChannel));

    sdl.playEffect("./wav/m.wav");
    sdl.playEffect("./wav/m.wav");
    sdl.playEffect("./wav/missing.wav");
    sdl.playEffect("./wav/missing.wav");
    EXPECT_EQ(sdl.effectLoads, 2);  // each path is read once
    EXPECT_TRUE(sdl.soundIsPlaying(kMusicChannel));
    EXPECT_TRUE(sdl.soundIsPlaying(kShotChannel));

    sdl.soundClose(kMusicChannel);
    EXPECT_FALSE(sdl.soundIsPlaying(kMusicChannel));
    EXPECT_FALSE(sdl.soundOpen(kMusicChannel, "./wav/missing.wav"));
    sdl.soundPlay(kMusicChannel);
    EXPECT_FALSE(sdl.soundIsPlaying(kMusicChannel));
}

TEST_F(SdlBackEnd, MusicThatCannotSoundFailsToOpenAndNoSoundFileIsWaitedOn) {
    open("dummy");
    TempGameFolder folder;
    WaveSpec empty;
    empty.dataBytes = 0;
    WaveSpec halfSample;
    halfSample.bits = 16;
    halfSample.dataBytes = 1;
    WaveSpec noChannels;  // the mixer divides by the channel count
    noChannels.channels = 0;
    ASSERT_TRUE(writeBytes("wav/empty.wav", waveBytes(empty)));
    ASSERT_TRUE(writeBytes("wav/half.wav", waveBytes(halfSample)));
    ASSERT_TRUE(writeBytes("wav/none.wav", waveBytes(noChannels)));
    ASSERT_TRUE(writeBytes("wav/good.wav", waveBytes(WaveSpec{})));
    ASSERT_EQ(mkfifo("wav/fifo.wav", 0644), 0);
    for (const char* path : {"wav/empty.wav", "wav/half.wav", "wav/none.wav", "wav/fifo.wav"})
        EXPECT_FALSE(sdl.soundOpen(kMusicChannel, path)) << path;
    EXPECT_TRUE(sdl.soundOpen(kMusicChannel, "wav/good.wav"));
    EXPECT_FALSE(sdl.soundOpen(kShotChannel, "wav/fifo.wav"));
    sdl.playEffect("wav/fifo.wav");
    EXPECT_EQ(sdl.effectLoads, 1);
}

TEST_F(SdlBackEnd, EffectCacheMakesRoomForNewSounds) {
    open("dummy");
    TempGameFolder folder;
    for (int i = 0; i < 40; ++i) {
        const std::string path = "wav/se" + std::to_string(i) + ".wav";
        ASSERT_TRUE(writeWav(path, 10));
        sdl.playEffect(path.c_str());
    }
    EXPECT_EQ(sdl.effectLoads, 40);
    sdl.playEffect("wav/se39.wav");
    EXPECT_EQ(sdl.effectLoads, 40);
    sdl.playEffect("wav/se0.wav");  // made room for a newer one
    EXPECT_EQ(sdl.effectLoads, 41);
}

TEST_F(SdlBackEnd, WithoutASoundDeviceTheGameIsSilentAndSaysNothing) {
    TempGameFolder folder;
    ASSERT_TRUE(writeWav("wav/m.wav", 100));
    ::testing::internal::CaptureStderr();
    open("no-such-audio-driver");
    EXPECT_FALSE(sdl.audioReady());
    EXPECT_FALSE(sdl.soundOpen(kMusicChannel, "./wav/m.wav"));
    EXPECT_FALSE(sdl.soundOpen(kShotChannel, "./wav/m.wav"));
    sdl.soundPlay(kMusicChannel);
    sdl.playEffect("./wav/m.wav");
    EXPECT_FALSE(sdl.soundIsPlaying(kMusicChannel));
    EXPECT_EQ(sdl.effectLoads, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
