#include "battle/battle.h"

void battleUpdate() {}

void battleDraw() {}
