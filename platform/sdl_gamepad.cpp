#include "platform/sdl_gamepad.h"

#include <SDL.h>

#include <cmath>
#include <cstdlib>

namespace {

// A stick holds its arrow key from half tilt and lets go below a third: the gap keeps a
// stick resting near the threshold from chattering the key.
constexpr int kStickPress = 16384;
constexpr int kStickRelease = 11000;
// The right trigger presses the left button from half way and releases it below a quarter.
constexpr int kTriggerPress = 16384;
constexpr int kTriggerRelease = 8192;
// The right stick does nothing inside this dead zone (sticks rarely rest at 0); at full
// tilt it moves the pointer this many pixels a frame, slower in between (squared, so that
// small tilts aim finely).
constexpr int kAimDeadZone = 8000;
constexpr double kPointerSpeed = 12.0;
constexpr double kFullTilt = 32767.0;

struct ButtonMapping {
    uint8_t button;
    uint32_t downCode;
    uint32_t upCode;
    uint32_t key;  // wParam of key messages
};

constexpr ButtonMapping kButtons[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, WM_KEYDOWN, WM_KEYUP, VK_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, WM_KEYDOWN, WM_KEYUP, VK_RIGHT},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, WM_KEYDOWN, WM_KEYUP, VK_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, WM_KEYDOWN, WM_KEYUP, VK_DOWN},
    {SDL_CONTROLLER_BUTTON_A, WM_KEYDOWN, WM_KEYUP, VK_KEY_Z},
    {SDL_CONTROLLER_BUTTON_B, WM_KEYDOWN, WM_KEYUP, VK_KEY_X},
    {SDL_CONTROLLER_BUTTON_START, WM_KEYDOWN, WM_KEYUP, VK_GAMEPAD_MENU},
    {SDL_CONTROLLER_BUTTON_BACK, WM_KEYDOWN, WM_KEYUP, VK_GAMEPAD_VIEW},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, WM_RBUTTONDOWN, WM_RBUTTONUP, 0},
};

const ButtonMapping* mappingOf(int button) {
    for (const ButtonMapping& m : kButtons)
        if (m.button == button) return &m;
    return nullptr;
}

Message buttonMessage(const ButtonMapping& m, bool down, int64_t pointer) {
    const uint32_t code = down ? m.downCode : m.upCode;
    if (code == WM_KEYDOWN || code == WM_KEYUP) return Message{code, m.key, 0};
    return Message{code, 0, pointer};
}

// The stick's new arrow state (-1, 0, +1) from its old one and the axis value.
int8_t stickState(int8_t held, int value) {
    if (held < 0 && value <= -kStickRelease) return -1;
    if (held > 0 && value >= kStickRelease) return 1;
    if (value <= -kStickPress) return -1;
    if (value >= kStickPress) return 1;
    return 0;
}

// Key messages for a stick axis going from `held` to `next`: the old key up, the new one down.
int steer(int8_t& held, int value, uint32_t negativeKey, uint32_t positiveKey, Message* out) {
    const int8_t next = stickState(held, value);
    if (next == held) return 0;
    int n = 0;
    if (held != 0) out[n++] = Message{WM_KEYUP, held < 0 ? negativeKey : positiveKey, 0};
    if (next != 0) out[n++] = Message{WM_KEYDOWN, next < 0 ? negativeKey : positiveKey, 0};
    held = next;
    return n;
}

// The share of full speed for a right-stick axis value: signed, 0 inside the dead zone.
double aimShare(int value) {
    const double beyond = std::abs(value) - kAimDeadZone;
    if (beyond <= 0) return 0;
    const double t = std::fmin(beyond / (kFullTilt - kAimDeadZone), 1.0);
    return value < 0 ? -t * t : t * t;
}

}  // namespace

GamePads::Pad* GamePads::padFor(int32_t id, bool claim) {
    for (Pad& pad : pads)
        if (pad.used && pad.id == id) return &pad;
    if (!claim) return nullptr;
    for (Pad& pad : pads) {
        if (!pad.used) {
            pad = Pad{};
            pad.used = true;
            pad.id = id;
            return &pad;
        }
    }
    return nullptr;
}

int GamePads::release(Pad& pad, int64_t pointer, Message* out) {
    int n = 0;
    for (const ButtonMapping& m : kButtons)
        if (pad.buttons & (1u << m.button)) out[n++] = buttonMessage(m, false, pointer);
    n += steer(pad.stickX, 0, VK_LEFT, VK_RIGHT, out + n);
    n += steer(pad.stickY, 0, VK_UP, VK_DOWN, out + n);
    if (pad.trigger) out[n++] = Message{WM_LBUTTONUP, 0, pointer};
    pad.buttons = 0;
    pad.trigger = false;
    return n;
}

int GamePads::translate(const SDL_Event& event, int64_t pointer, Message* out) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
        if (!controller) return 0;
        Pad* pad = padFor(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)), true);
        if (pad && !pad->controller) {
            pad->controller = controller;
        } else {
            SDL_GameControllerClose(controller);  // one pad too many, or opened already
        }
        return 0;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
        Pad* pad = padFor(event.cdevice.which, false);
        if (!pad) return 0;
        const int n = release(*pad, pointer, out);
        if (pad->controller) SDL_GameControllerClose(pad->controller);
        *pad = Pad{};
        return n;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        const ButtonMapping* m = mappingOf(event.cbutton.button);
        Pad* pad = m ? padFor(event.cbutton.which, true) : nullptr;
        if (!pad) return 0;
        const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
        const uint32_t bit = 1u << m->button;
        if (down == ((pad->buttons & bit) != 0)) return 0;
        pad->buttons ^= bit;
        out[0] = buttonMessage(*m, down, pointer);
        return 1;
    }
    case SDL_CONTROLLERAXISMOTION: {
        Pad* pad = padFor(event.caxis.which, true);
        if (!pad) return 0;
        const int value = event.caxis.value;
        switch (event.caxis.axis) {
        case SDL_CONTROLLER_AXIS_LEFTX: return steer(pad->stickX, value, VK_LEFT, VK_RIGHT, out);
        case SDL_CONTROLLER_AXIS_LEFTY: return steer(pad->stickY, value, VK_UP, VK_DOWN, out);
        case SDL_CONTROLLER_AXIS_RIGHTX: pad->aimX = static_cast<int16_t>(value); return 0;
        case SDL_CONTROLLER_AXIS_RIGHTY: pad->aimY = static_cast<int16_t>(value); return 0;
        case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: {
            const bool pressed = pad->trigger ? value >= kTriggerRelease : value >= kTriggerPress;
            if (pressed == pad->trigger) return 0;
            pad->trigger = pressed;
            out[0] = Message{pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, pointer};
            return 1;
        }
        default: return 0;
        }
    }
    default: return 0;
    }
}

void GamePads::pointerStep(int& dx, int& dy) {
    dx = 0;
    dy = 0;
    for (Pad& pad : pads) {
        if (!pad.used) continue;
        const double shareX = aimShare(pad.aimX);
        const double shareY = aimShare(pad.aimY);
        pad.carryX = shareX == 0 ? 0 : pad.carryX + shareX * kPointerSpeed;  // a centred stick leaves nothing behind
        pad.carryY = shareY == 0 ? 0 : pad.carryY + shareY * kPointerSpeed;
        const int wholeX = static_cast<int>(pad.carryX);
        const int wholeY = static_cast<int>(pad.carryY);
        pad.carryX -= wholeX;
        pad.carryY -= wholeY;
        dx += wholeX;
        dy += wholeY;
    }
}

void GamePads::closeAll() {
    for (Pad& pad : pads) {
        if (pad.controller) SDL_GameControllerClose(pad.controller);
        pad = Pad{};
    }
}
