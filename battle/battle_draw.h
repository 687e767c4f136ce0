// The battle stage's picture (battleDraw, declared in battle/battle.h): still and scrolling
// scenery, the transparent ground band, ground-level objects under all others, direction
// frames, and the outcome banner.
#pragma once
#include <cstdint>

// Scenery offsets and the blink phase, advanced once per drawn frame and never reset, so
// they carry over from one battle stage to the next (the shooting stage keeps its own).
extern int32_t battleMidScroll;     // middle layer, 0 to 800
extern int32_t battleNearScroll;    // near layer, 0 to 800
extern int32_t battleGroundScroll;  // ground tiles, 0 to groundWidth
extern int32_t battleBlink;         // 1, 0, 1, ...: objects under guard show on the 0 frames

// Which of the eight frames, side by side in the sheet, shows `angle`: 0 faces down, 2 right,
// 4 up, 6 left. Anything outside 0 to 2 pi, or not a number, shows frame 0.
int directionFrame(double angle);
