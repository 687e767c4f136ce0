// The battle stage's collision pass: damage between the kinds that exchange it, blocks
// pushing units out, and units kept apart.
#pragma once
#include <cstdint>

#include "stage/entity_grid.h"

// Frames of immunity after a hit.
constexpr int32_t kHitGuard = 8;

// What the battle's passes file in the grid besides the units: the kinds a collision acts
// on as its second party. Heights count, as hits are tested at (x, y - z).
extern const GridPlan kBattleGrid;

// The three tests of the ordered pair (i, j), both in use when the pair starts: damage when
// the sides differ and the kinds exchange it, then either the block push (unit i, block j)
// or the separation (unit i from unit j). Refiles in the grid what it moves or removes.
void collidePair(int32_t i, int32_t j);

// Has the effect of calling collidePair for every ordered pair of slots, rows i in slot
// order, each pair (i, j) in slot order of j, with i in use when its row starts and j when
// its pair starts. It skips the rows and partners that can have no effect.
void collisionPass();
