// Battle-stage headings, weapon fire and the remains a removed object leaves behind.
#pragma once
#include <cstdint>

#include "stage/world.h"

// Headings are radians: 0 points down the screen (+y), kHalfPi right (+x). The stage keeps
// these rounded decimal values; the steering and the direction frames depend on them.
constexpr double kPi = 3.14159265358979;
constexpr double kHalfPi = 1.570796326794895;
constexpr double kTwoPi = 6.28318530717958;

// Shots whose weapon has no positive range fly this far.
constexpr int32_t kDefaultShotRange = 128;
// Frames the remains of a removed object stay.
constexpr int32_t kRemainsLife = 64;

// Heading from (x, y) to (tx, ty), 0 up to 2 pi; 0 when the points are the same.
double bearing(int32_t x, int32_t y, int32_t tx, int32_t ty);

// Fires every ready, aimed weapon of entity `n` (slots 0 to 3 in order).
void fireWeapons(int32_t n);

// Fires the player's weapons: selector below 4 fires only the manual slot weaponSel,
// 4 or more every other slot.
void firePlayerWeapons(int32_t selector);

// Spawns the DEA template of a removed object at its ground position with its aim points
// and a life of kRemainsLife. Takes a copy, made before the spawn: the remains may take the
// removed object's own slot. Returns the new slot or a negative value.
int32_t spawnRemains(Entity record);
