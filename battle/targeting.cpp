#include "battle/targeting.h"

#include "battle/step_math.h"
#include "battle/weapons.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

// Searches start here, so anything farther is never a goal.
constexpr int64_t kGoalSearchStart = 32767;

// Whether a unit of kind `shooter` aims at an opposing object of kind `target`.
bool aimsAt(int8_t shooter, int8_t target) {
    return (shooter == 0 && (target == 0 || target == 3)) || (shooter == 3 && target == 0);
}

}  // namespace

void acquireTargets(int32_t slot) {
    Entity& e = EntityTable[slot];
    if (e.TYP != 0 && e.TYP != 3) {
        setupEntity(slot);
        return;
    }
    // One search per weapon and one for the goal, run side by side: each keeps the first
    // candidate, in slot order, that is strictly nearer than the best so far.
    const bool seeksGoal = slot != kPlayerSlot;
    int64_t goalBest = kGoalSearchStart;
    int32_t goal = -1;
    bool aims[4];
    int64_t aimBest[4];
    int32_t aim[4];
    for (int i = 0; i < 4; ++i) {
        aims[i] = !(slot == kPlayerSlot && i == weaponSel);  // the manual weapon is aimed by hand
        aimBest[i] = e.LEN[i] <= 0 ? kDefaultShotRange : e.LEN[i];
        aim[i] = -1;
    }
    for (int32_t q = 0; q < liveSlotEnd; ++q) {
        const Entity& c = EntityTable[q];
        if (c.inUse != 1 || c.side == e.side) continue;
        const bool goalCandidate = seeksGoal && c.TYP == 0;
        const bool aimCandidate = aimsAt(e.TYP, c.TYP);
        if (!goalCandidate && !aimCandidate) continue;
        const int64_t d = distanceOf(static_cast<int64_t>(e.x) - c.x, static_cast<int64_t>(e.y) - c.y);
        if (goalCandidate && d < goalBest) {
            goalBest = d;
            goal = q;
        }
        if (!aimCandidate) continue;
        for (int i = 0; i < 4; ++i) {
            if (aims[i] && d < aimBest[i]) {
                aimBest[i] = d;
                aim[i] = q;
            }
        }
    }
    if (seeksGoal) {
        const Entity& g = EntityTable[goal >= 0 ? goal : kPlayerSlot];
        e.goalX = g.x;
        e.goalY = g.y;
    }
    for (int i = 0; i < 4; ++i) {
        if (!aims[i]) continue;
        if (aim[i] >= 0) {
            e.aimX[i] = EntityTable[aim[i]].x;
            e.aimY[i] = EntityTable[aim[i]].y;
        } else {
            e.aimX[i] = kNoTarget;
        }
    }
}
