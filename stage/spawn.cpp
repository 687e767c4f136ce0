#include "stage/spawn.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/media.h"
#include "app/random.h"
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

bool isUntargetedKind(int8_t typ) {
    switch (typ) {
    case 1: case 5: case 6: case 7: case 10: case 11: case 12: case 13: return true;
    default: return false;
    }
}

void effectFileName(int8_t se, char (&name)[kTextSize]) {
    std::snprintf(name, sizeof name, "./%s%d.wav", "./wav/se", static_cast<int>(se));
}

int64_t truncatedDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int64_t dx = static_cast<int64_t>(x1) - x2;
    const int64_t dy = static_cast<int64_t>(y1) - y2;
    // Differences of 32-bit positions square into 64 bits; their sum may need one bit more.
    const auto square = [](int64_t d) {
        const uint64_t m = static_cast<uint64_t>(d < 0 ? -d : d);
        return static_cast<unsigned __int128>(m * m);
    };
    return static_cast<int64_t>(std::sqrt(static_cast<double>(square(dy) + square(dx))));
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

    if (slot != kPlayerSlot) {
        int64_t best = kSearchStart;
        int found = -1;
        if (e.TYP == 0 || e.TYP == 3) {
            for (int q = 0; q < liveSlotEnd; ++q) {
                const Entity& c = EntityTable[q];
                if (c.TYP != 0 || c.inUse != 1 || c.side == e.side) continue;
                const int64_t d = truncatedDistance(e.x, e.y, c.x, c.y);
                if (d < best) {
                    best = d;
                    found = q;
                }
            }
        }
        const Entity& goal = EntityTable[found >= 0 ? found : kPlayerSlot];
        e.goalX = goal.x;
        e.goalY = goal.y;
    }

    for (int i = 0; i < 4; ++i) {
        if (slot == kPlayerSlot && i == weaponSel) continue;  // aimed by hand
        int64_t best = e.LEN[i] <= 0 ? kDefaultRange : e.LEN[i];
        int found = -1;
        if (e.TYP == 0 || e.TYP == 3) {
            for (int q = 0; q < liveSlotEnd; ++q) {
                const Entity& c = EntityTable[q];
                if (c.inUse != 1 || c.side == e.side || !aimsAt(e.TYP, c.TYP)) continue;
                const int64_t d = truncatedDistance(e.x, e.y, c.x, c.y);
                if (d < best) {
                    best = d;
                    found = q;
                }
            }
        }
        if (found >= 0) {
            e.aimX[i] = EntityTable[found].x;
            e.aimY[i] = EntityTable[found].y;
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
        s = 1;
        while (s < liveSlotEnd && EntityTable[s].inUse != 0) ++s;
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
    setupEntity(s);
    if (e.SP == -1) e.SP = StageParams.scrollSpeed;
    if (e.SE != 0) {
        char name[kTextSize];
        effectFileName(e.SE, name);
        playEffect(name);
    }
    return s;
}
