// Spawning objects into the entity table, their targeting setup, the random pick with its
// short memory, and the truncated distance every search uses.
#pragma once
#include <cmath>
#include <cstdint>

#include "platform/media.h"

// Copies template `templateIndex` into the lowest free slot from 1 upward (or into slot 0,
// replacing the player, when intoSlot0 is set), places it, sets up its targets and plays
// its spawn sound. A negative counter becomes randomPick(32). Returns the slot, or -1 when
// the table is full or the template number is outside 0 to 127 (nothing spawned).
int32_t spawnEntity(int32_t templateIndex, int8_t side, int32_t counter, int32_t x, int32_t y, int8_t move,
                    uint8_t intoSlot0);

// Back to the start of a run: the random pick remembers no earlier picks.
void resetSpawnPicks();
// The three remembered picks, for saved states.
constexpr int kSpawnPickHistory = 3;
void spawnPicks(int32_t out[kSpawnPickHistory]);
void setSpawnPicks(const int32_t picks[kSpawnPickHistory]);

// The sound a spawn plays for SE number `se`: "./" "./wav/se" se ".wav".
void effectFileName(int8_t se, char (&name)[kTextSize]);

// Kinds whose goal and aims setupEntity leaves alone (1, 5, 6, 7 and 10 to 13): they keep
// the template's "none" goal and never steer.
bool isUntargetedKind(int8_t typ);

// Recomputes the goal (nearest opposing unit, else the player's position) and the aim point
// of every weapon (nearest eligible opponent in range, else kNoTarget) of the entity in
// `slot`. Kinds 1, 5, 6, 7 and 10 to 13 are left alone; the player keeps its goal and the
// aim of its manual weapon. While a stage's update runs it asks the grid (entity_grid.h)
// instead of scanning the table, with the same answers.
void setupEntity(int32_t slot);

// A random value 0 to n. For n of 4 or more it never repeats any of the last three such
// results (of any caller).
int32_t randomPick(int32_t n);

// The distance between two points, from the exact sum of the squared differences, square
// root in double, truncated toward zero.
int64_t truncatedDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The same from the two differences, which may exceed 32 bits. Inline, as the busy passes
// call it for every pair they test; the rare wide case is out of line.
int64_t wideDistanceOf(uint64_t mx, uint64_t my);
inline int64_t distanceOf(int64_t dx, int64_t dy) {
    const uint64_t mx = dx < 0 ? 0 - static_cast<uint64_t>(dx) : static_cast<uint64_t>(dx);
    const uint64_t my = dy < 0 ? 0 - static_cast<uint64_t>(dy) : static_cast<uint64_t>(dy);
    // Below 2^31 both squares and their sum fit 64 bits, the common and much faster case;
    // either way the exact sum is rounded to double once. The square root may stay with the
    // C library, unlike sine and cosine: IEEE makes it correctly rounded on every target.
    constexpr uint64_t kSmall = uint64_t{1} << 31;
    if (mx < kSmall && my < kSmall) return static_cast<int64_t>(std::sqrt(static_cast<double>(mx * mx + my * my)));
    return wideDistanceOf(mx, my);
}
