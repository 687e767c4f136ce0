// Target acquisition of the battle stage's units, run every frame for many of them.
#pragma once
#include <cstdint>

// Sets exactly what setupEntity(slot) sets: the goal (nearest opposing TYP 0 unit, else the
// player's position) and each weapon's aim point (nearest eligible opponent within range,
// else none). For units (TYP 0 and 3) every distance is computed once in a single pass over
// the table instead of once per search; every other kind goes to setupEntity.
void acquireTargets(int32_t slot);
