#include "battle/collisions.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>

#include "battle/step_math.h"
#include "battle/weapons.h"
#include "platform/media.h"
#include "platform/trig.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

// Whether a unit of kind `victim` exchanges damage with an opposing object of kind `other`.
constexpr bool exchangesDamage(int8_t victim, int8_t other) {
    if (victim == 0) {
        switch (other) {
        case 0: case 1: case 6: case 11: case 12: case 13: case 21: case 22: case 23: return true;
        default: return false;
        }
    }
    if (victim == 3) return other == 1 || other == 7 || other == 11 || other == 21;
    return false;
}

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
// in the attacker's slot.
void takeHit(int32_t victim, int32_t attacker) {
    Entity& v = EntityTable[victim];
    if (v.guard > 0) return;
    v.HP = wrapAdd(v.HP, -static_cast<int64_t>(EntityTable[attacker].BP));
    v.guard = kHitGuard;
    if (v.HP <= 0) {
        v.inUse = 0;
        gridTrack(victim);  // before the remains' spawn looks for targets
        if (v.TYP != 1) spawnRemains(v);
    } else if (victim == kPlayerSlot && v.TYP != 1) {
        startShotSound("./wav/mehit.wav");
    }
}

void damageTest(int32_t i, int32_t j) {
    const Entity& a = EntityTable[i];
    const Entity& b = EntityTable[j];
    if (a.side == b.side || !exchangesDamage(a.TYP, b.TYP)) return;
    const int64_t dx = static_cast<int64_t>(a.x) - b.x;
    const int64_t dy = (static_cast<int64_t>(a.y) - a.z) - (static_cast<int64_t>(b.y) - b.z);
    if (distanceOf(dx, dy) >= reach(a, b)) return;
    takeHit(i, j);
    takeHit(j, i);
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
// A unit in a crowd backs off from every unit it touches along the same heading, so the
// sine and cosine of the last heading are kept.
struct HeadingTrig {
    uint64_t bits = ~uint64_t{0};  // the heading's bits: a NaN never matches
    SineCosine trig{0, 0};
};
HeadingTrig lastHeading;

void separate(Entity& a, const Entity& b) {
    const int64_t dx = static_cast<int64_t>(a.x) - b.x;
    const int64_t dy = static_cast<int64_t>(a.y) - b.y;
    if (distanceOf(dx, dy) >= reach(a, b)) return;
    uint64_t bits;
    std::memcpy(&bits, &a.angle, sizeof bits);
    if (bits != lastHeading.bits) lastHeading = HeadingTrig{bits, engineSinCos(a.angle)};
    a.x = wrapAdd(a.x, -truncStep(lastHeading.trig.sine * 2 * a.SP));
    a.y = wrapAdd(a.y, -truncStep(lastHeading.trig.cosine * 2 * a.SP));
}

// What a row's plan of partners depends on besides the leading record's place: its height,
// size, side and kind. Anything else that happens in the row leaves the plan right, except a
// spawn or a move of the leader by more than kRowSlack.
struct RowKey {
    int32_t z, SIZ;
    int8_t side, TYP;
    bool operator==(const RowKey&) const = default;
};

RowKey keyOf(const Entity& e) { return RowKey{e.z, e.SIZ, e.side, e.TYP}; }

// A plan covers the partners the leader can meet while it stays this close to where it was
// planned (pushes and separations move it a little at a time).
constexpr int64_t kRowSlack = 8;

// The row's leading unit as its plan sees it.
struct Leader {
    int64_t x, y, lifted, size;  // lifted: y - z, where hits are tested
    int8_t side;
    bool pushes;                 // kind 0: pushed by blocks and kept apart from units
    const bool* hitBy;           // by kind: whether a partner of another side exchanges hits
    int32_t slot;
};

struct KindTable {
    bool of[256];
};

constexpr KindTable hitsOn(int8_t victim) {
    KindTable t{};
    for (int k = 0; k < 256; ++k) t.of[k] = exchangesDamage(victim, static_cast<int8_t>(k));
    return t;
}
constexpr KindTable kHitsOnKind0 = hitsOn(0);
constexpr KindTable kHitsOnKind3 = hitsOn(3);

Leader leaderOf(const Entity& a, int32_t slot) {
    return Leader{a.x, a.y, static_cast<int64_t>(a.y) - a.z, a.SIZ, a.side, a.TYP == 0,
                  a.TYP == 0 ? kHitsOnKind0.of : kHitsOnKind3.of, slot};
}

// Whether one of the three tests of the pair (a, b) might act were a moved by up to `slack`
// on each axis, loosely: the hit and the separation need the centres less than r apart,
// hence within r on each axis (the square root's rounding cannot bring a longer axis under
// r); the push needs both axes under S.
bool mayAct(const Leader& a, const FiledFields& b, int32_t slotB, int64_t slack) {
    const int64_t s = a.size + b.SIZ;
    const int64_t adx = std::llabs(a.x - b.x);
    if (b.TYP == 2) return a.pushes && adx < s + slack && std::llabs(a.y - b.y) < s + slack;  // blocks only push
    const int64_t r = s / 2 + slack;
    if (adx > r) return false;
    if (b.side != a.side && a.hitBy[static_cast<uint8_t>(b.TYP)] &&
        std::llabs(a.lifted - (static_cast<int64_t>(b.y) - b.z)) <= r)
        return true;
    return a.pushes && b.TYP == 0 && slotB != a.slot && std::llabs(a.y - b.y) <= r;
}

// The partners the grid finds for a row, and those the row plans to meet.
int16_t rowCandidates[kMaxCollected];
SlotSet rowPlan;

// The partners row i may meet from slot `from` up, in no order, or kTooWide. Hits and
// separations need the centres within half the sizes' sum on each axis (hits lifted by the
// heights), so units of kind 0 of any side and the kinds that hit of other sides are looked for in that
// box; pushes need the full sum, so blocks are looked for in the box twice as wide. Both
// boxes are widened by the slack.
int32_t findPartners(const Entity& a, int32_t from) {
    const uint32_t near = (a.TYP == 0 ? kUnit0Buckets : 0) | gridBucketsAgainst(a.side, kNonUnitBuckets);
    const int64_t half = std::max<int64_t>(static_cast<int64_t>(a.SIZ) + gridSizeBound(near), 0) / 2 + 1 + kRowSlack;
    const int64_t lift = std::llabs(a.z) + gridHeightBound();
    const int32_t found =
        gridCollect(static_cast<int64_t>(a.x) - half, static_cast<int64_t>(a.y) - half - lift,
                    static_cast<int64_t>(a.x) + half, static_cast<int64_t>(a.y) + half + lift, near, from, rowCandidates);
    if (found == kTooWide || a.TYP != 0) return found;
    const int64_t full = std::max<int64_t>(static_cast<int64_t>(a.SIZ) + gridSizeBound(kBlockBuckets), 0) + 1 + kRowSlack;
    const int32_t blocks =
        gridCollect(static_cast<int64_t>(a.x) - full, static_cast<int64_t>(a.y) - full, static_cast<int64_t>(a.x) + full,
                    static_cast<int64_t>(a.y) + full, kBlockBuckets, from, rowCandidates + found);
    return blocks == kTooWide ? kTooWide : found + blocks;
}

// Row i of the collision pass: every partner j in use, in slot order. The row asks the grid
// for the partners within reach of i and skips the rest, which would do nothing. A pair that
// acts can move slot i, replace it with remains, or spawn remains elsewhere; when the plan
// may no longer hold, the row plans again from the next slot.
void collideRow(int32_t i) {
    int32_t from = 0;
    for (;;) {
        const Entity& a = EntityTable[i];
        if (!isUnitKind(a.TYP)) return;  // remains of another kind took the slot: nothing acts
        const RowKey key = keyOf(a);
        const int64_t plannedX = a.x;
        const int64_t plannedY = a.y;
        const uint32_t joins = gridJoins();
        const int32_t found = findPartners(a, from);
        if (found == kTooWide) {  // a huge size: every slot is a possible partner
            for (int32_t j = from; j < liveSlotEnd; ++j) {
                if (EntityTable[j].inUse == 1) collidePair(i, j);
            }
            return;
        }
        // Nothing about a partner changes before its turn in the row but by its own pair or a
        // spawn, so what may act now may act then; filed partners are in use.
        const Leader planned = leaderOf(a, i);
        rowPlan.clear();
        for (int32_t k = 0; k < found; ++k) {
            const int16_t j = rowCandidates[k];
            if (mayAct(planned, gridFields[j], j, kRowSlack)) rowPlan.add(j);
        }
        int32_t j = rowPlan.next(from);
        for (; j < kEntityCount; j = rowPlan.next(j + 1)) {
            if (!mayAct(leaderOf(a, i), gridFields[j], j, 0)) continue;  // out of reach where i is now
            collidePair(i, j);
            if (!(keyOf(a) == key) || gridJoins() != joins || std::llabs(a.x - plannedX) > kRowSlack ||
                std::llabs(a.y - plannedY) > kRowSlack)
                break;
        }
        if (j >= kEntityCount) return;
        from = j + 1;
    }
}

}  // namespace

const GridPlan kBattleGrid{canBePartner, true};

void collidePair(int32_t i, int32_t j) {
    damageTest(i, j);
    // Tests 2 and 3 run even when test 1 has just removed one of the two.
    Entity& a = EntityTable[i];
    const Entity& b = EntityTable[j];
    if (a.TYP == 0 && b.TYP == 2) {
        blockPush(a, b);
        gridTrack(i);
    } else if (a.TYP == 0 && b.TYP == 0 && i != j) {
        separate(a, b);
        gridTrack(i);
    }
}

// A row's own inUse is tested when the row starts and a partner's when the pair starts, so an
// object removed in its row still deals damage to the rest of the row (its guard protects
// it), and remains spawned meanwhile join when their slots come up.
void collisionPass() {
    const bool built = gridEnsure(kBattleGrid);
    for (int32_t i = 0; i < liveSlotEnd; ++i) {
        // Only units lead a row that can do anything; a row led by another kind does nothing,
        // so nothing in it can change slot i's kind.
        if (EntityTable[i].inUse == 1 && isUnitKind(EntityTable[i].TYP)) collideRow(i);
    }
    if (built) gridDrop();
}
