#include "platform/random.h"

static uint32_t generatorState = 1;

void seedRandom(uint32_t seed) { generatorState = seed; }

uint32_t randomState() { return generatorState; }

int randomNext() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFF);
}
