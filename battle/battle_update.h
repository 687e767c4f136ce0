// The battle stage's frame step (battleUpdate, declared in battle/battle.h): the player's
// controls, the kinds' behaviours, steering and motion, the collision pass (collisions.h),
// and the decision.
#pragma once
#include <cstdint>

// Counts 0 to 8 and over again, one step per update; units leave a trail mark when it is 0.
// Never reset, so its phase carries over from stage to stage.
extern int32_t trailTick;

constexpr int32_t kTrailTemplate = 63;
constexpr int32_t kTrailLife = 8;
constexpr int32_t kTrailPeriod = 9;
// The player drops its steering point once it is nearer than this.
constexpr int64_t kArrivalDistance = 64;

// The steps of battleUpdate, in the order it runs them around collisionPass (collisions.h):
// the trail tick, every object's turn in slot order (the player's controls, the kinds'
// behaviours, steering and motion, the cooldowns), and the count and decision after the
// collisions.
void advanceTrailTick();
void battleObjectPass();
void battleDecideStage();
