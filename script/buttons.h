// Script buttons: the table buttonset fills, the screen buttonstart offers, the hover test
// with its flickering label, and the choice that loads the chosen button's script.
#pragma once
#include <cstdint>

#include "platform/media.h"

constexpr int kButtonRecords = 8;
// buttonset never counts past this, so a screen offers at most seven buttons.
constexpr int8_t kButtonCountCap = 7;
constexpr int8_t kNoButton = -1;
// BlinkToggle states: a hovered label is drawn in the show state only.
constexpr uint8_t kBlinkShow = 0;
constexpr uint8_t kBlinkHide = 1;

struct Button {
    int32_t x;  // left edge in back-buffer pixels
    int32_t y;  // top edge
    char label[kTextSize];
    char target[kTextSize];  // script file loaded when the button is chosen
};

// Never cleared: only the counts below are reset. Whole run.
extern Button ButtonTable[kButtonRecords];
// Record the next buttonset fills; a load keeps it, a choice resets it to 0.
extern int8_t ButtonCount;
// Buttons 0..ShownButtonCount-1 are offered by the current screen; 0 on a bmp screen.
extern uint8_t ShownButtonCount;
// Shared by every hovered label; keeps its state from frame to frame and screen to screen.
extern uint8_t BlinkToggle;

// buttonset x y label target: fills record ButtonCount; counter p+5.
void buttonsetCommand(int32_t p);
// buttonstart picture: a picture screen offering the pending buttons; the counter stays p.
void buttonstartCommand(int32_t p);

// The button pass of a Show frame, after the texts: draws the offered labels (a hovered one
// every second frame) and returns the last hovered button while the left button is down,
// or kNoButton.
int8_t buttonPass();
// The choice of `button`: uses up the press, loads its script, withdraws every button.
void chooseButton(int8_t button);
