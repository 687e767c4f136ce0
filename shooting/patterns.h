// The movement patterns of the shooting stage's objects: paths, phases and pattern fire.
#pragma once
#include <cstdint>

// One of the 32 directions: direction d is the angle d x kAngleStep, 0 straight down,
// 8 right, 16 up, 24 left (a sixteenth of pi as the game has always written it).
constexpr double kAngleStep = 0.19634954084936188;

// Moves the object in `index` one frame along the pattern its `move` selects (1 to 8; any
// other value leaves it still), advances its phase, fires the pattern's shots and, for
// patterns 2 to 5, clamps it to the playfield (which may remove a falling object).
void applyMovePattern(int32_t index);

// A coordinate after an angled step: old + step in double, truncated toward zero. A result
// outside 32 bits becomes INT32_MIN, as the processor's own conversion gives.
int32_t truncatedStep(int32_t coordinate, double step);
