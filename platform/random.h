// The game's one pseudo-random generator, the classic C library formula, so that a seed
// gives the same game everywhere.
#pragma once
#include <cstdint>

void seedRandom(uint32_t seed);
// The generator's whole state, for saved states: seedRandom(randomState()) changes nothing.
uint32_t randomState();
// Next value, 0 to 32767.
int randomNext();
