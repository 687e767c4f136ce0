#include "battle/collisions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "battle/step_math.h"
#include "battle/weapons.h"
#include "platform/media.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

// Whether a unit of kind `victim` exchanges damage with an opposing object of kind `other`.
bool exchangesDamage(int8_t victim, int8_t other) {
    if (victim == 0) {
        switch (other) {
        case 0: case 1: case 6: case 11: case 12: case 13: case 21: case 22: case 23: return true;
        default: return false;
        }
    }
    if (victim == 3) return other == 1 || other == 7 || other == 11 || other == 21;
    return false;
}

// Only units lead a row that can do anything.
bool canLeadRow(int8_t typ) { return typ == 0 || typ == 3; }

// The kinds a pair can act on as its second party: what units exchange damage with, blocks
// and units.
bool canBePartner(int8_t typ) {
    switch (typ) {
    case 0: case 1: case 2: case 6: case 7: case 11: case 12: case 13: case 21: case 22: case 23: return true;
    default: return false;
    }
}

int64_t reach(const Entity& a, const Entity& b) { return (static_cast<int64_t>(a.SIZ) + b.SIZ) / 2; }

// The attacker's BP is read now: a victim destroyed just before may have left its remains
// in the attacker's slot. Returns the slot of the remains, or a negative value.
int32_t takeHit(int32_t victim, int32_t attacker) {
    Entity& v = EntityTable[victim];
    if (v.guard > 0) return -1;
    v.HP = wrapAdd(v.HP, -static_cast<int64_t>(EntityTable[attacker].BP));
    v.guard = kHitGuard;
    if (v.HP <= 0) {
        v.inUse = 0;
        if (v.TYP != 1) return spawnRemains(v);
    } else if (victim == kPlayerSlot && v.TYP != 1) {
        startShotSound("./wav/mehit.wav");
    }
    return -1;
}

void damageTest(int32_t i, int32_t j, PairSpawns& spawns) {
    const Entity& a = EntityTable[i];
    const Entity& b = EntityTable[j];
    if (a.side == b.side || !exchangesDamage(a.TYP, b.TYP)) return;
    const int64_t dx = static_cast<int64_t>(a.x) - b.x;
    const int64_t dy = (static_cast<int64_t>(a.y) - a.z) - (static_cast<int64_t>(b.y) - b.z);
    if (distanceOf(dx, dy) >= reach(a, b)) return;
    const int32_t first = takeHit(i, j);
    const int32_t second = takeHit(j, i);
    if (first >= 0) spawns.slot[spawns.count++] = first;
    if (second >= 0) spawns.slot[spawns.count++] = second;
}

// Pushes unit a out of block b along the axis it is further off on; a unit exactly on a
// diagonal stays.
void blockPush(Entity& a, const Entity& b) {
    const int64_t s = static_cast<int64_t>(a.SIZ) + b.SIZ;
    const int64_t dx = static_cast<int64_t>(a.x) - b.x;
    const int64_t dy = static_cast<int64_t>(a.y) - b.y;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    if (ady >= s || adx >= s) return;
    if (ady > adx && dy < 0) {
        a.y = wrapAdd(b.y, -s);
        a.vspeed = 0;
    } else if (ady > adx && dy > 0) {
        a.y = wrapAdd(b.y, s);
    } else if (ady < adx && dx < 0) {
        a.x = wrapAdd(b.x, -s);
    } else if (ady < adx && dx > 0) {
        a.x = wrapAdd(b.x, s);
    }
}

// Unit a backs off along its own heading by twice its speed; b does so in its own row.
void separate(Entity& a, const Entity& b) {
    const int64_t dx = static_cast<int64_t>(a.x) - b.x;
    const int64_t dy = static_cast<int64_t>(a.y) - b.y;
    if (distanceOf(dx, dy) >= reach(a, b)) return;
    a.x = wrapAdd(a.x, -truncStep(std::sin(a.angle) * 2 * a.SP));
    a.y = wrapAdd(a.y, -truncStep(std::cos(a.angle) * 2 * a.SP));
}

// Slots whose kind lets them act as a pair's second party, in slot order: built when the
// pass starts, with remains spawned during the pass merged in. Only a spawn changes a slot's
// kind, and inUse is tested when each pair starts, so the list holds every partner the full
// scan would act on.
int32_t partnerSlots[kEntityCount];
int32_t partnerCount;
// Position in partnerSlots of the pair under test.
int32_t partnerPos;

void notePartner(int32_t k) {
    if (!canBePartner(EntityTable[k].TYP)) return;
    int32_t* const end = partnerSlots + partnerCount;
    int32_t* const at = std::lower_bound(partnerSlots, end, k);
    if (at != end && *at == k) return;
    std::copy_backward(at, end, end + 1);
    *at = k;
    ++partnerCount;
    // A slot below the current partner is first met in the next row, as in the full scan.
    if (at - partnerSlots <= partnerPos) ++partnerPos;
}

}  // namespace

PairSpawns collidePair(int32_t i, int32_t j) {
    PairSpawns spawns{{-1, -1}, 0};
    damageTest(i, j, spawns);
    // Tests 2 and 3 run even when test 1 has just removed one of the two.
    Entity& a = EntityTable[i];
    const Entity& b = EntityTable[j];
    if (a.TYP == 0 && b.TYP == 2) {
        blockPush(a, b);
    } else if (a.TYP == 0 && b.TYP == 0 && i != j) {
        separate(a, b);
    }
    return spawns;
}

// A row's own inUse is tested when the row starts and a partner's when the pair starts, so an
// object removed in its row still deals damage to the rest of the row (its guard protects
// it), and remains spawned meanwhile join when their slots come up.
void collisionPass() {
    partnerCount = 0;
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        if (canBePartner(EntityTable[n].TYP)) partnerSlots[partnerCount++] = n;
    }
    for (int32_t i = 0; i < liveSlotEnd; ++i) {
        // A row led by another kind does nothing, so nothing in it can change slot i's kind.
        if (EntityTable[i].inUse != 1 || !canLeadRow(EntityTable[i].TYP)) continue;
        for (partnerPos = 0; partnerPos < partnerCount; ++partnerPos) {
            const int32_t j = partnerSlots[partnerPos];
            if (EntityTable[j].inUse != 1) continue;
            const PairSpawns spawns = collidePair(i, j);
            for (int32_t s = 0; s < spawns.count; ++s) notePartner(spawns.slot[s]);
        }
    }
}
