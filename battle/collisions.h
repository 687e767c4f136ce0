// The battle stage's collision pass: damage between the kinds that exchange it, blocks
// pushing units out, and units kept apart.
#pragma once
#include <cstdint>

// Frames of immunity after a hit.
constexpr int32_t kHitGuard = 8;

// Remains that one pair spawned: at most one per party.
struct PairSpawns {
    int32_t slot[2];
    int32_t count;
};

// The three tests of the ordered pair (i, j), both in use when the pair starts: damage when
// the sides differ and the kinds exchange it, then either the block push (unit i, block j)
// or the separation (unit i from unit j).
PairSpawns collidePair(int32_t i, int32_t j);

// Has the effect of calling collidePair for every ordered pair of slots, rows i in slot
// order, each pair (i, j) in slot order of j, with i in use when its row starts and j when
// its pair starts. It skips the rows and partners whose kinds can have no effect.
void collisionPass();
