// The shooting stage's frame step (shootingUpdate, declared in shooting.h) and its parts:
// the player's control, the per-object pass, the collision pass with its damage and
// remains, the stage decision, and the playfield clamp shared with the patterns.
#pragma once
#include <cstdint>

#include "stage/world.h"

// Keeps the entity in `index` inside the screen and no higher than groundTop. A falling
// (GRA) object is not held at the bottom edge: once its y is past 600 it is removed.
void clampToPlayfield(int32_t index);

// Gravity for a GRA 1 object: y += vspeed, then vspeed grows by 2 up to 10.
void applyGravity(Entity& e);

// The four steps of shootingUpdate, in the order it runs them.
void playerControl();
void objectPass();     // every live object from slot 1 up, spawned ones included
void shootingCollisionPass();  // every ordered pair of live objects
void decideStage();    // recounts opponentsLeft; decides won or lost once

// One object's turn in the per-object pass and one ordered pair's turn in the collision
// pass: the passes above have the effect of these, visited in slot order up to liveSlotEnd.
// The pair's turn returns whether it passed its tests and so acted; both refile in the grid
// what they move or remove.
void moveObject(int32_t index);
bool shootingCollidePair(int32_t i, int32_t j);
