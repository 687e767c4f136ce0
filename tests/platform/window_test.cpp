#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless_platform.h"

namespace {

class WindowProc : public ::testing::Test {
protected:
    void SetUp() override { platform = &hp; }
    void TearDown() override { platform = nullptr; }

    intptr_t send(uint32_t code, uint64_t wParam = 0, int64_t lParam = 0) {
        return windowProc(Message{code, wParam, lParam});
    }
    bool inputUnchanged() {
        const InputValues zero{};
        return std::memcmp(&InputState, &zero, sizeof zero) == 0;
    }

    HeadlessPlatform hp;
};

TEST_F(WindowProc, EveryHandledMessageReturnsZero) {
    for (uint32_t code : {WM_PAINT, WM_KEYDOWN, WM_KEYUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP,
                          WM_RBUTTONDOWN, WM_RBUTTONUP, WM_DESTROY})
        EXPECT_EQ(send(code, 0x41), 0) << code;
}

TEST_F(WindowProc, DestroyPostsQuitWithExitCodeZero) {
    send(WM_DESTROY);
    ASSERT_EQ(hp.queue.size(), 1u);
    EXPECT_EQ(hp.queue.front().code, WM_QUIT);
    EXPECT_EQ(hp.queue.front().wParam, 0u);
    EXPECT_TRUE(hp.windowOpen);  // destroying is the default procedure's business
}

TEST_F(WindowProc, CloseDestroysTheWindowWhichPostsQuit) {
    send(WM_CLOSE);
    EXPECT_FALSE(hp.windowOpen);
    ASSERT_EQ(hp.queue.size(), 1u);
    EXPECT_EQ(hp.queue.front().code, WM_QUIT);
}

TEST_F(WindowProc, MessagesForADestroyedWindowAreNeverFetched) {
    hp.post(WM_CLOSE);
    hp.post(WM_KEYDOWN, VK_KEY_Z);
    Message m;
    ASSERT_TRUE(hp.peekMessage(m));
    windowProc(m);
    ASSERT_TRUE(hp.peekMessage(m));
    EXPECT_EQ(m.code, WM_QUIT);
    EXPECT_FALSE(hp.peekMessage(m));
}

TEST_F(WindowProc, AltF4ClosesLikeTheCloseBox) {
    send(WM_SYSKEYDOWN, VK_F4, kAltContextBit);
    EXPECT_FALSE(hp.windowOpen);
    ASSERT_EQ(hp.queue.size(), 1u);
    EXPECT_EQ(hp.queue.front().code, WM_QUIT);
}

TEST_F(WindowProc, SystemKeysDoNotReachInputState) {
    send(WM_SYSKEYDOWN, VK_KEY_Z, kAltContextBit);
    send(WM_SYSKEYDOWN, VK_F10, 0);
    send(WM_SYSKEYDOWN, VK_F4, 0);  // F4 without Alt closes nothing
    EXPECT_TRUE(inputUnchanged());
    EXPECT_TRUE(hp.windowOpen);
    EXPECT_TRUE(hp.queue.empty());
}

TEST_F(WindowProc, PaintDoesNothing) {
    send(WM_PAINT);
    EXPECT_TRUE(inputUnchanged());
    EXPECT_TRUE(hp.queue.empty());
    EXPECT_EQ(hp.presentCount, 0);
}

TEST_F(WindowProc, ArrowsHoldTheLastPressedDirectionAndAnyReleaseClearsIt) {
    send(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(InputState.arrowX, -1);
    send(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(InputState.arrowX, 1);
    send(WM_KEYUP, VK_RIGHT);  // Left is still held, but nothing remembers it
    EXPECT_EQ(InputState.arrowX, 0);
    send(WM_KEYDOWN, VK_LEFT);  // auto-repeat brings it back
    EXPECT_EQ(InputState.arrowX, -1);
    send(WM_KEYUP, VK_RIGHT);
    EXPECT_EQ(InputState.arrowX, 0);

    send(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(InputState.arrowY, -1);
    send(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(InputState.arrowY, 1);
    send(WM_KEYUP, VK_UP);
    EXPECT_EQ(InputState.arrowY, 0);
    EXPECT_EQ(InputState.arrowX, 0);
}

TEST_F(WindowProc, ZAndXAreFlags) {
    send(WM_KEYDOWN, VK_KEY_Z);
    send(WM_KEYDOWN, VK_KEY_X);
    EXPECT_EQ(InputState.keyZ, 1);
    EXPECT_EQ(InputState.keyX, 1);
    send(WM_KEYUP, VK_KEY_Z);
    EXPECT_EQ(InputState.keyZ, 0);
    EXPECT_EQ(InputState.keyX, 1);
    send(WM_KEYUP, VK_KEY_X);
    EXPECT_EQ(InputState.keyX, 0);
}

TEST_F(WindowProc, OtherKeysDoNothingAndAreNotPassedOn) {
    for (uint32_t key : {uint32_t{VK_SPACE}, uint32_t{VK_RETURN}, uint32_t{VK_ESCAPE}, uint32_t{VK_F4}, uint32_t{VK_F1},
                         uint32_t{VK_UNMAPPED}, uint32_t{0x7A}, uint32_t{0x41}}) {
        EXPECT_EQ(send(WM_KEYDOWN, key, kAltContextBit), 0);
        EXPECT_EQ(send(WM_KEYUP, key), 0);
    }
    EXPECT_TRUE(inputUnchanged());
    EXPECT_TRUE(hp.windowOpen);
}

TEST_F(WindowProc, MouseMoveTakesBothHalvesUnsigned) {
    send(WM_MOUSEMOVE, 0, (599 << 16) | 799);
    EXPECT_EQ(InputState.mouseX, 799);
    EXPECT_EQ(InputState.mouseY, 599);
    send(WM_MOUSEMOVE, 0, 0xFFFFFFFFll);  // (-1, -1) from a captured mouse
    EXPECT_EQ(InputState.mouseX, 65535);
    EXPECT_EQ(InputState.mouseY, 65535);
}

TEST_F(WindowProc, ButtonsAreFlagsAndLeaveThePositionAlone) {
    send(WM_LBUTTONDOWN, 0, (20 << 16) | 10);
    EXPECT_EQ(InputState.buttonL, 1);
    EXPECT_EQ(InputState.mouseX, 0);
    EXPECT_EQ(InputState.mouseY, 0);
    send(WM_RBUTTONDOWN);
    EXPECT_EQ(InputState.buttonR, 1);
    send(WM_LBUTTONDOWN);  // a double click is a second press
    EXPECT_EQ(InputState.buttonL, 1);
    send(WM_LBUTTONUP);
    EXPECT_EQ(InputState.buttonL, 0);
    EXPECT_EQ(InputState.buttonR, 1);
    send(WM_RBUTTONUP);
    EXPECT_EQ(InputState.buttonR, 0);
}

}  // namespace
