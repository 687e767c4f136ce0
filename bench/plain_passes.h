// The frames of both stages written as plainly as the game describes them, for the
// benchmarks to measure the engine against in the same run: the collision passes visit every
// ordered pair of the whole table, the target searches scan the table (the grid is never
// built), and each masked copy is its two copies. They leave what the engine's frames leave;
// only the cost differs.
#pragma once

// shootingUpdate and shootingDraw, plainly.
void plainShootingFrame();
// battleUpdate and battleDraw, plainly.
void plainBattleFrame();
