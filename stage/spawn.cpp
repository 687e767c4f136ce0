#include "stage/spawn.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/media.h"
#include "platform/random.h"
#include "stage/entity_grid.h"
#include "stage/world.h"

namespace {

// The last three results of randomPick for ranges of five or more values.
int32_t pickHistory[3];

constexpr int64_t kSearchStart = 32767;
constexpr int32_t kDefaultRange = 128;

// Whether an entity of kind `shooter` aims at an opposing entity of kind `target`.
bool aimsAt(int8_t shooter, int8_t target) {
    return (shooter == 0 && (target == 0 || target == 3)) || (shooter == 3 && target == 0);
}

}  // namespace

void resetSpawnPicks() { std::memset(pickHistory, 0, sizeof pickHistory); }

void spawnPicks(int32_t out[kSpawnPickHistory]) { std::memcpy(out, pickHistory, sizeof pickHistory); }

void setSpawnPicks(const int32_t picks[kSpawnPickHistory]) { std::memcpy(pickHistory, picks, sizeof pickHistory); }

bool isUntargetedKind(int8_t typ) {
    switch (typ) {
    case 1: case 5: case 6: case 7: case 10: case 11: case 12: case 13: return true;
    default: return false;
    }
}

void effectFileName(int8_t se, char (&name)[kTextSize]) {
    std::snprintf(name, sizeof name, "./%s%d.wav", "./wav/se", static_cast<int>(se));
}

int64_t wideDistanceOf(uint64_t mx, uint64_t my) {
    const unsigned __int128 sum = static_cast<unsigned __int128>(mx) * mx + static_cast<unsigned __int128>(my) * my;
    return static_cast<int64_t>(std::sqrt(static_cast<double>(sum)));
}

int64_t truncatedDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return distanceOf(static_cast<int64_t>(x1) - x2, static_cast<int64_t>(y1) - y2);
}

int32_t randomPick(int32_t n) {
    const int64_t range = static_cast<int64_t>(n) + 1;  // n may be the largest int
    if (range <= 0) return 0;                           // no values to pick from
    int32_t r = static_cast<int32_t>(randomNext() % range);
    if (n < 4) return r;
    while (r == pickHistory[0] || r == pickHistory[1] || r == pickHistory[2])
        r = static_cast<int32_t>(randomNext() % range);
    pickHistory[2] = pickHistory[1];
    pickHistory[1] = pickHistory[0];
    pickHistory[0] = r;
    return r;
}

void setupEntity(int32_t slot) {
    Entity& e = EntityTable[slot];
    if (isUntargetedKind(e.TYP)) return;
    // The goal search and one search per weapon keep the first candidate, in slot order, that
    // is strictly nearer than their best so far: the nearest, the lowest slot among equals.
    // Only units find anything.
    const bool seeksGoal = slot != kPlayerSlot;  // the player keeps its own goal
    bool aims[4];
    int64_t range[4];
    int64_t widestRange = 0;
    for (int i = 0; i < 4; ++i) {
        aims[i] = !(slot == kPlayerSlot && i == weaponSel);  // the manual weapon is aimed by hand
        range[i] = e.LEN[i] <= 0 ? kDefaultRange : e.LEN[i];
        if (aims[i]) widestRange = std::max(widestRange, range[i]);
    }
    int32_t goal = -1;
    int32_t aim[4] = {-1, -1, -1, -1};
    if (isUnitKind(e.TYP) && gridActive()) {
        // Every weapon's answer is the nearest aim candidate when it lies within that
        // weapon's range, so one search up to the widest range serves all four.
        const uint32_t aimKinds = (aimsAt(e.TYP, 0) ? 1u << 0 : 0) | (aimsAt(e.TYP, 3) ? 1u << 3 : 0);
        NearestUnit nearestGoal;
        NearestUnit nearestAim;
        gridNearestUnits(e, seeksGoal ? 1u << 0 : 0, kSearchStart, aimKinds, widestRange, nearestGoal, nearestAim);
        goal = nearestGoal.slot;
        for (int i = 0; i < 4; ++i) {
            if (aims[i] && nearestAim.slot >= 0 && nearestAim.distance < range[i]) aim[i] = nearestAim.slot;
        }
    } else if (isUnitKind(e.TYP)) {
        // Without the grid, one pass over the table serves the goal and every weapon.
        int64_t goalBest = kSearchStart;
        int64_t aimBest[4];
        for (int i = 0; i < 4; ++i) aimBest[i] = range[i];
        for (int32_t q = 0; q < liveSlotEnd; ++q) {
            const Entity& c = EntityTable[q];
            if (c.inUse != 1 || c.side == e.side) continue;
            const bool goalCandidate = seeksGoal && c.TYP == 0;
            const bool aimCandidate = aimsAt(e.TYP, c.TYP);
            if (!goalCandidate && !aimCandidate) continue;
            const int64_t d = truncatedDistance(e.x, e.y, c.x, c.y);
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

int32_t spawnEntity(int32_t templateIndex, int8_t side, int32_t counter, int32_t x, int32_t y, int8_t move,
                    uint8_t intoSlot0) {
    if (templateIndex < 0 || templateIndex >= kTemplateCount) return -1;
    if (counter < 0) counter = randomPick(32);

    int32_t s = kPlayerSlot;
    if (!intoSlot0) {
        if (gridActive()) {
            s = gridLowestFreeSlot();  // the grid knows every slot's use during an update
        } else {
            s = 1;
            while (s < liveSlotEnd && EntityTable[s].inUse != 0) ++s;
        }
        if (s >= kEntityCount) return -1;
    }

    Entity& e = EntityTable[s];
    e = CharTable[templateIndex];
    e.side = side;
    e.x = x;
    e.y = y;
    e.move = move;
    e.counter = counter;
    e.inUse = 1;
    noteSlotLive(s);
    gridTrackSpawn(s);
    setupEntity(s);
    if (e.SP == -1) e.SP = StageParams.scrollSpeed;
    if (e.SE != 0) {
        char name[kTextSize];
        effectFileName(e.SE, name);
        playEffect(name);
    }
    return s;
}
