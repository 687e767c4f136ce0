#include "script/buttons.h"

#include <cstdio>
#include <cstring>

#include "platform/window.h"
#include "script/presentation.h"
#include "script/script.h"

Button ButtonTable[kButtonRecords];
int8_t ButtonCount;
uint8_t ShownButtonCount;
uint8_t BlinkToggle = kBlinkShow;

namespace {

// Strictly inside the label's cell rectangle: a pointer on the border does not hover.
bool isHovered(const Button& b) {
    const int64_t length = static_cast<int64_t>(std::strlen(b.label));
    const int64_t left = b.x;
    const int64_t top = b.y;
    const int64_t right = left + kTextCellWidth * length;
    const int64_t bottom = top + kTextCellHeight;
    return left < InputState.mouseX && InputState.mouseX < right && top < InputState.mouseY &&
           InputState.mouseY < bottom;
}

}  // namespace

void buttonsetCommand(int32_t p) {
    // ButtonCount only ever holds 0..7; the bound keeps a stray value from leaving the table.
    const int n = ButtonCount < 0 || ButtonCount > kButtonCountCap ? kButtonCountCap : ButtonCount;
    Button& b = ButtonTable[n];
    b.x = scriptNumber(p + 1);
    b.y = scriptNumber(p + 2);
    std::snprintf(b.label, sizeof b.label, "%s", scriptToken(p + 3));
    std::snprintf(b.target, sizeof b.target, "%s", scriptToken(p + 4));
    ButtonCount = static_cast<int8_t>(n + 1);
    ScriptCounter = p + 5;
    if (ButtonCount == kButtonCountCap + 1) ButtonCount = kButtonCountCap;
}

void buttonstartCommand(int32_t p) {
    startPictureScreen(scriptToken(p + 1));
    ShownButtonCount = static_cast<uint8_t>(ButtonCount);
}

int8_t buttonPass() {
    int8_t chosen = kNoButton;
    const int shown = ShownButtonCount > kButtonRecords ? kButtonRecords : ShownButtonCount;
    for (int j = 0; j < shown; ++j) {
        const Button& b = ButtonTable[j];
        if (!isHovered(b)) {
            drawTextCells(b.x, b.y, b.label);
            continue;
        }
        if (BlinkToggle == kBlinkShow) {
            drawTextCells(b.x, b.y, b.label);
            BlinkToggle = kBlinkHide;
        } else {
            BlinkToggle = kBlinkShow;
        }
        if (InputState.buttonL > 0) chosen = static_cast<int8_t>(j);
    }
    return chosen;
}

void chooseButton(int8_t button) {
    if (button < 0 || button >= kButtonRecords) return;
    InputState.buttonL = 0;  // the press is used up until the button goes down anew
    LoadScript(ButtonTable[button].target);
    ButtonCount = 0;
    ShownButtonCount = 0;
}
