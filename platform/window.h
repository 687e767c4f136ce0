// The window procedure: the only writer of InputState. It keeps no queue and no edge
// detection; every value holds the last state a message reported.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct InputValues {
    int32_t arrowX;   // -1 Left pressed last, +1 Right, 0 after either is released
    int32_t arrowY;   // -1 Up, +1 Down, 0 after either is released
    int32_t keyZ;     // 1 after Z goes down, 0 after it goes up
    int32_t keyX;     // 1 after X goes down, 0 after it goes up
    int32_t mouseX;   // low 16 bits of the last mouse-move position, unsigned
    int32_t mouseY;   // next 16 bits of that position, unsigned
    int32_t buttonL;  // 1 after the left button goes down, 0 after it goes up
    int32_t buttonR;  // 1 after the right button goes down, 0 after it goes up
};
extern InputValues InputState;

// Handles one dispatched message; everything it does not handle goes to defaultWindowProc.
intptr_t windowProc(const Message& message);
// What the desktop does with unhandled messages: WM_CLOSE destroys the window, which
// sends WM_DESTROY to windowProc; Alt+F4 sends WM_CLOSE to windowProc; everything else is
// ignored.
intptr_t defaultWindowProc(const Message& message);
