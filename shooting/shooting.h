// The side-view shooting stage as the main loop sees it: one update and one drawing per
// frame, and the reset that starts and restarts it. The update lives in shooting_update,
// the movement patterns in patterns, the drawing in shooting_draw.
#pragma once
#include <cstdint>

// Player control, the per-object pass, the collision pass and the stage decision.
void shootingUpdate();
// Scenery, ground tiles, objects and the outcome banner into the back buffer, then presents.
void shootingDraw();
// Clears the entity table, spawns the player into slot 0 at (64, 288) and marks the stage
// undecided. Both stages start this way; a lost shooting stage restarts this way.
void resetShootingStage();
