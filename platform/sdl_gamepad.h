// Game pads through SDL's game controller API, plugged in and out at any time, turned into
// the keyboard and mouse messages the game already reads: the d-pad and the left stick are
// the arrow keys, A is Z, B is X, Start is the pause key (VK_GAMEPAD_MENU), the right
// trigger is the left mouse button, the right shoulder button the right one, and the right
// stick moves the pointer.
#pragma once
#include <cstdint>

#include "platform/platform.h"

union SDL_Event;
struct _SDL_GameController;

class GamePads {
public:
    static constexpr int kMaxPads = 4;  // more pads than this are ignored
    // The most messages one event makes: a pulled-out pad releases all it held.
    static constexpr int kMaxMessages = 12;

    // Turns one controller event into the messages it stands for, written to `out`; returns
    // how many. Opens a pad that is plugged in; a pad pulled out releases what it held and is
    // closed. Button messages carry `pointer`, the packed pointer position.
    int translate(const SDL_Event& event, int64_t pointer, Message* out);
    // Once a frame: how far the right sticks move the pointer, in picture pixels. Fractions
    // carry over to the next frame, so a slight tilt still moves it, slowly.
    void pointerStep(int& dx, int& dy);
    void closeAll();

private:
    struct Pad {
        bool used;
        int32_t id;  // SDL's instance id
        _SDL_GameController* controller;
        int8_t stickX;    // the arrow key the left stick holds: -1, 0 or +1
        int8_t stickY;
        bool trigger;     // the right trigger holds the left button
        uint32_t buttons; // the mapped buttons held, one bit per SDL button
        int16_t aimX;     // the right stick's last position
        int16_t aimY;
        double carryX;    // pointer motion not yet a whole pixel
        double carryY;
    };

    // The pad with SDL's instance id `id`; with `claim`, a free slot becomes it when none is.
    Pad* padFor(int32_t id, bool claim);
    int release(Pad& pad, int64_t pointer, Message* out);

    Pad pads[kMaxPads] = {};
};
