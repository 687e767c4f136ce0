// The top-down battle stage as the main loop sees it: one update and one drawing per frame
// while GameMode is 5.
#pragma once

// Runs one frame of the stage: every object's turn, the collisions, and the decision.
// Defined in battle_update.cpp.
void battleUpdate();
// Composes the frame in the back buffer and shows it. Defined in battle_draw.cpp.
void battleDraw();
