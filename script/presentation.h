// What an adventure scene shows and plays: the picture of the picture screen, the eight
// screen texts, and the commands bmp, bgm, wav, wav2 and drawtext. Each command takes the
// row p of its keyword, reads its operands from the rows after it and moves the counter.
#pragma once
#include <cstdint>

#include "platform/media.h"

constexpr int kTextSlotCount = 8;
// Each byte of a text or label owns a cell this wide and this high.
constexpr int kTextCellWidth = 12;
constexpr int kTextCellHeight = 24;

struct ScreenText {
    int32_t x;  // left edge in back-buffer pixels
    int32_t y;  // top edge
    char text[kTextSize];  // empty: not drawn
};

// Path of the picture the picture screen shows; set by bmp and buttonstart. Whole run.
extern char PictureName[kTextSize];
// Texts drawn over every picture screen; a load empties the texts and keeps the positions.
extern ScreenText TextSlots[kTextSlotCount];
// The name last given to wav2; never cleared, not even by a load.
extern char LastWav2Name[kTextSize];

// Back to the start of a run: no picture, no texts, no wav2 name.
void resetPresentation();
// Whether a picture screen waits to be composed by the next frame, for saved states.
bool pictureScreenDue();
void setPictureScreenDue(bool due);

// Sets the picture and requests a picture screen: the interpreter's phase becomes Arm.
void startPictureScreen(const char* picture);
// First part of a Show frame: the picture (read from its file once per screen) over the
// whole back buffer, then the texts of slots 0 to 7 in order.
void composePictureScreen();
// Draws `text` black on white into its cell rectangle at (x, y): 12 pixels per byte wide,
// 24 high, clipped. Texts and button labels share it.
void drawTextCells(int32_t x, int32_t y, const char* text);

// The variable that a drawtext text beginning with "@" shows: each byte from '0' up after
// the "@" adds (byte - 48) to ten times the number so far, the first byte below '0' ends
// it. -1 when the number is not a variable (0 to 31).
int variableAfterAt(const char* text);

// bmp path: counter p+1 (the path row) while the screen is up.
void bmpCommand(int32_t p);
// bgm path: the music changes to the path; counter p+2.
void bgmCommand(int32_t p);
// wav path: plays the sound; counter p+2.
void wavCommand(int32_t p);
// wav2 path: plays the sound unless it is the one wav2 named last; counter p+2.
void wav2Command(int32_t p);
// drawtext slot x y text: fills the slot ("@n" shows variable n's value); counter p+5.
// A slot outside 0..7 or a variable outside 0..31 leaves everything as it was.
void drawtextCommand(int32_t p);
