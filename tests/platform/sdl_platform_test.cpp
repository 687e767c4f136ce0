// The SDL back end on SDL's dummy video and audio drivers: no display or sound card needed.
#include "platform/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "app/main_loop.h"
#include "platform/surface.h"
#include "support/hostile_files.h"
#include "support/messages.h"
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

namespace {

// Synthetic pad events, as SDL's game controller API delivers them, for pad `which`.
void pushPadButton(SDL_JoystickID which, int button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    e.cbutton.which = which;
    e.cbutton.button = static_cast<Uint8>(button);
    SDL_PushEvent(&e);
}
void pushPadAxis(SDL_JoystickID which, int axis, int value) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERAXISMOTION;
    e.caxis.which = which;
    e.caxis.axis = static_cast<Uint8>(axis);
    e.caxis.value = static_cast<Sint16>(value);
    SDL_PushEvent(&e);
}
void pushMotion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

TEST_F(SdlBackEnd, PadButtonsAndSticksBecomeTheKeyAndMouseMessagesOfTheKeyboardAndMouse) {
    open("dummy");
    pushMotion(100, 200);
    const std::pair<int, uint32_t> keys[] = {
        {SDL_CONTROLLER_BUTTON_A, VK_KEY_Z},          {SDL_CONTROLLER_BUTTON_B, VK_KEY_X},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP},       {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN},
        {SDL_CONTROLLER_BUTTON_START, VK_GAMEPAD_MENU}};
    std::vector<Message> expected = {{WM_MOUSEMOVE, 0, at(100, 200)}};
    for (const auto& [button, key] : keys) {
        pushPadButton(3, button, true);
        pushPadButton(3, button, true);  // no change, no message
        pushPadButton(3, button, false);
        expected.push_back({WM_KEYDOWN, key, 0});
        expected.push_back({WM_KEYUP, key, 0});
    }
    pushPadButton(3, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    pushPadButton(3, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    pushPadButton(3, SDL_CONTROLLER_BUTTON_Y, true);  // not mapped
    expected.push_back({WM_RBUTTONDOWN, 0, at(100, 200)});
    expected.push_back({WM_RBUTTONUP, 0, at(100, 200)});

    // The left stick holds an arrow key from half tilt and lets go below a third.
    for (int value : {10000, 20000, 12000, 9000, -20000, 20000, 0}) pushPadAxis(3, SDL_CONTROLLER_AXIS_LEFTX, value);
    for (int value : {-30000, 0}) pushPadAxis(3, SDL_CONTROLLER_AXIS_LEFTY, value);
    expected.insert(expected.end(), {{WM_KEYDOWN, VK_RIGHT, 0},
                                     {WM_KEYUP, VK_RIGHT, 0},
                                     {WM_KEYDOWN, VK_LEFT, 0},
                                     {WM_KEYUP, VK_LEFT, 0},
                                     {WM_KEYDOWN, VK_RIGHT, 0},
                                     {WM_KEYUP, VK_RIGHT, 0},
                                     {WM_KEYDOWN, VK_UP, 0},
                                     {WM_KEYUP, VK_UP, 0}});
    // The right trigger presses the left button from half way and lets go below a quarter.
    for (int value : {10000, 20000, 10000, 5000}) pushPadAxis(3, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, value);
    expected.push_back({WM_LBUTTONDOWN, 0, at(100, 200)});
    expected.push_back({WM_LBUTTONUP, 0, at(100, 200)});
    expectMessages(drainOverFrames(sdl), expected);
}

// A pad plugged in while the game runs (SDL's virtual pad) is opened and plays at once;
// pulled out, it lets go of what it held.
TEST_F(SdlBackEnd, APadPluggedInPlaysAtOnceAndLetsGoWhenPulledOut) {
    // SDL gives pad input only to the window with the keyboard focus, which the dummy
    // display gives no window.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    open("dummy");
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int device = SDL_JoystickAttachVirtualEx(&description);
    ASSERT_GE(device, 0) << SDL_GetError();
    EXPECT_TRUE(drain(sdl).empty());  // plugged in: opened, nothing for the game yet
    SDL_Joystick* stick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
    ASSERT_NE(stick, nullptr) << "the pad was not opened";
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_B, 1);
    expectMessages(drain(sdl), {{WM_KEYDOWN, VK_KEY_X, 0}});
    sdl.pressesSeen();  // as a frame would
    SDL_JoystickDetachVirtual(device);
    expectMessages(drain(sdl), {{WM_KEYUP, VK_KEY_X, 0}});
}

TEST_F(SdlBackEnd, TheRightStickMovesThePointerEachFrameAndAPulledPadLetsGoOfAll) {
    open("dummy");
    pushMotion(100, 200);
    pushPadAxis(5, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    expectMessages(drain(sdl), {{WM_MOUSEMOVE, 0, at(100, 200)}});
    sdl.frameStarted(1);  // full tilt: 12 pixels a frame
    Message m;
    ASSERT_TRUE(sdl.peekMessage(m));
    EXPECT_EQ(m.code, WM_MOUSEMOVE);
    EXPECT_EQ(m.lParam, at(112, 200));
    while (sdl.peekMessage(m)) EXPECT_EQ(m.lParam, at(112, 200));  // the system pointer's echo

    // Half tilt down moves slowly (fractions carry over); the edge stops the pointer; a
    // stick resting inside the dead zone moves nothing.
    pushPadAxis(5, SDL_CONTROLLER_AXIS_RIGHTX, -32768);
    pushPadAxis(5, SDL_CONTROLLER_AXIS_RIGHTY, 16384);
    while (sdl.peekMessage(m)) {}
    for (int frame = 2; frame < 10; ++frame) sdl.frameStarted(frame);
    int64_t last = 0;
    while (sdl.peekMessage(m)) last = m.lParam;
    EXPECT_EQ(last, at(16, 211));
    for (int frame = 10; frame < 12; ++frame) sdl.frameStarted(frame);
    while (sdl.peekMessage(m)) last = m.lParam;
    EXPECT_EQ(last & 0xFFFF, 0);
    pushPadAxis(5, SDL_CONTROLLER_AXIS_RIGHTX, 7000);
    pushPadAxis(5, SDL_CONTROLLER_AXIS_RIGHTY, -7000);
    while (sdl.peekMessage(m)) {}
    sdl.frameStarted(12);
    EXPECT_FALSE(sdl.peekMessage(m));

    // Pulled out, a pad releases whatever it held.
    pushPadButton(5, SDL_CONTROLLER_BUTTON_A, true);
    pushPadAxis(5, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pushPadAxis(5, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    while (sdl.peekMessage(m)) {}
    sdl.pressesSeen();  // as a frame would
    SDL_Event removed{};
    removed.type = SDL_CONTROLLERDEVICEREMOVED;
    removed.cdevice.which = 5;
    SDL_PushEvent(&removed);
    const int64_t pointer = last;
    expectMessages(drain(sdl), {{WM_KEYUP, VK_KEY_Z, 0}, {WM_KEYUP, VK_LEFT, 0}, {WM_LBUTTONUP, 0, pointer}});
}

TEST_F(SdlBackEnd, TheWindowOpensAtTheLargestScaleThatFitsAndAnySizeShowsThePictureScaledAndCentred) {
    EXPECT_EQ(largestFittingScale(1920, 1040), 1);  // a 1080p desktop below its panel
    EXPECT_EQ(largestFittingScale(2560, 1400), 2);
    EXPECT_EQ(largestFittingScale(3840, 2120), 3);
    EXPECT_EQ(largestFittingScale(1280, 1024), 1);
    EXPECT_EQ(largestFittingScale(1600, 1200), 2);
    EXPECT_EQ(largestFittingScale(700, 500), 1);  // never below the picture's own size
    EXPECT_EQ(largestFittingScale(20000, 20000), kLargestScale);

    // The dummy display is 1024 x 768: a window twice 800 x 600 does not fit and opens at 1.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const char* error = "";
    ASSERT_TRUE(sdl.open(&error, WindowOptions{2, false})) << error;
    platform = &sdl;
    EXPECT_EQ(sdl.openedScale(), 1);
    EXPECT_EQ(sdl.freeWidth(), 1024);
    EXPECT_EQ(sdl.layout().windowWidth, 800);
    EXPECT_NE(SDL_GetWindowFlags(sdl.sdlWindow()) & SDL_WINDOW_RESIZABLE, 0u);

    // The player makes it 1600 x 1200: the picture is twice its size, the mouse mapped.
    SDL_SetWindowSize(sdl.sdlWindow(), 1600, 1200);
    SdlPlatform::Layout layout = sdl.layout();
    EXPECT_EQ(layout.windowWidth, 1600);
    EXPECT_EQ(layout.scale, 2);
    EXPECT_EQ(sdl.picturePosition(0, 0), at(0, 0));
    EXPECT_EQ(sdl.picturePosition(801, 601), at(400, 300));
    EXPECT_EQ(sdl.picturePosition(1599, 1199), at(799, 599));
    EXPECT_EQ(sdl.picturePosition(-3, 1600), (int64_t{800} << 16) | 0xFFFE);  // dragged out of the window
    // 1700 x 1250: still twice, centred on black.
    SDL_SetWindowSize(sdl.sdlWindow(), 1700, 1250);
    layout = sdl.layout();
    EXPECT_EQ(layout.scale, 2);
    EXPECT_EQ(layout.left, 50);
    EXPECT_EQ(layout.top, 25);
    EXPECT_EQ(sdl.picturePosition(49, 600), SdlPlatform::kOutsidePicture);
    EXPECT_EQ(sdl.picturePosition(50, 25), at(0, 0));
    SDL_SetWindowSize(sdl.sdlWindow(), 1600, 1200);

    // Full screen on the dummy display (1024 x 768): the picture at its own size, centred.
    sdl.setFullScreen(true);
    layout = sdl.layout();
    EXPECT_EQ(layout.windowWidth, 1024);
    EXPECT_EQ(layout.windowHeight, 768);
    EXPECT_EQ(layout.scale, 1);
    EXPECT_EQ(layout.left, 112);
    EXPECT_EQ(layout.top, 84);
    EXPECT_EQ(sdl.picturePosition(112, 84), at(0, 0));
    EXPECT_EQ(sdl.picturePosition(911, 683), at(799, 599));
    for (auto [x, y] : {std::pair{111, 300}, {912, 300}, {500, 83}, {500, 684}, {0, 0}, {1023, 767}})
        EXPECT_EQ(sdl.picturePosition(x, y), SdlPlatform::kOutsidePicture) << x << ", " << y;
    pushMotion(50, 300);
    expectMessages(drain(sdl), {{WM_MOUSEMOVE, 0, SdlPlatform::kOutsidePicture}});
    sdl.setFullScreen(false);
    EXPECT_EQ(sdl.layout().windowWidth, 1600);  // the size it had before
    EXPECT_FALSE(sdl.fullScreen());
}

TEST_F(SdlBackEnd, AReleaseInThePumpOfItsPressWaitsForAFrameAndWhatFollowsWaitsBehindIt) {
    open("dummy");
    SDL_Event e = button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    for (SDL_Event k : {key(SDL_KEYDOWN, SDLK_z), key(SDL_KEYUP, SDLK_z), key(SDL_KEYDOWN, SDLK_x)}) SDL_PushEvent(&k);
    expectMessages(drain(sdl), {{WM_LBUTTONDOWN, 0, at(10, 20)}});
    EXPECT_TRUE(drain(sdl).empty());  // held until a frame has seen the press
    sdl.frameStarted(1);
    expectMessages(drain(sdl), {{WM_LBUTTONUP, 0, at(10, 20)}, {WM_KEYDOWN, VK_KEY_Z, 0}});
    sdl.frameStarted(2);
    expectMessages(drain(sdl), {{WM_KEYUP, VK_KEY_Z, 0}, {WM_KEYDOWN, VK_KEY_X, 0}});
    // A release of a press that a frame has seen comes at once.
    sdl.frameStarted(3);
    SDL_Event up = key(SDL_KEYUP, SDLK_x);
    SDL_PushEvent(&up);
    expectMessages(drain(sdl), {{WM_KEYUP, VK_KEY_X, 0}});
    // A layer that stops the frames lets a held release go as a frame would.
    e.type = SDL_MOUSEBUTTONDOWN;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    expectMessages(drain(sdl), {{WM_LBUTTONDOWN, 0, at(10, 20)}});
    sdl.pressesSeen();
    expectMessages(drain(sdl), {{WM_LBUTTONUP, 0, at(10, 20)}});
}

TEST_F(SdlBackEnd, KeyRepeatAndLostFocusAreMarked) {
    open("dummy");
    SDL_Event e = key(SDL_KEYDOWN, SDLK_ESCAPE);
    e.key.repeat = 1;
    Message m = translate(e);
    EXPECT_EQ(m.code, WM_KEYDOWN);
    EXPECT_EQ(m.lParam, kPreviousStateBit);
    EXPECT_EQ(translate(key(SDL_KEYDOWN, SDLK_ESCAPE)).lParam, 0);
    EXPECT_EQ(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST)).code, WM_KILLFOCUS);
}

}  // namespace
