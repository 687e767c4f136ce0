// The side-view shooting stage: its per-frame update, drawing and reset.
#pragma once
#include <cstdint>

void shootingUpdate();
void shootingDraw();
// Clears the entity table, spawns the player into slot 0 at (64, 288) and marks the stage
// undecided. Both stages start this way; a lost shooting stage restarts this way.
void resetShootingStage();
