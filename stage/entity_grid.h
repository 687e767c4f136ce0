// The spatial index of the entity table: a uniform grid that the busy passes of a frame ask
// for the objects near a point, so that their work grows with the objects that can meet
// rather than with the square of the table. It gives hints, not verdicts: every caller
// still tests each record it is handed exactly as a scan of the whole table would, and the
// grid leaves out only slots that provably cannot pass those tests.
//
// A stage builds it when its update starts and drops it when the update ends; in between
// every change of a record's inUse, side, TYP, SIZ, position or (battle) height must be
// reported with gridTrack before anything asks the grid again. Outside an update nothing
// uses it, so code that writes the table directly (loading, tools, tests) needs no care.
#pragma once
#include <cstdint>

#include "stage/world.h"

// Which records a stage's passes look for besides the units: every live one (shooting), or
// those of the kinds `files` accepts (battle, where heights also count).
struct GridPlan {
    bool (*files)(int8_t typ);  // null: every kind
    bool heightMatters;         // the battle's hit test lifts objects by z
};

// Files every live record of the table that the plan asks for, plus every unit. Fixed
// arrays, nothing allocated.
void gridBuild(const GridPlan& plan);
// Builds the grid unless it is active; returns whether it did (then the caller drops it).
bool gridEnsure(const GridPlan& plan);
void gridDrop();
bool gridActive();

// Refiles `slot` after its record changed; a no-op while the grid is not active. A record
// that is removed and then leaves remains must be refiled before the spawn.
void gridTrack(int32_t slot);
// The same for a slot that a spawn has just filled: it counts as a newcomer (gridJoins).
void gridTrackSpawn(int32_t slot);
// Spawns since the grid was built: a pass that planned its partners before a spawn plans
// again, as the newcomer may be one of them.
uint32_t gridJoins();
// The lowest slot from 1 up whose record is free, as a scan of the table would find it
// (kEntityCount when there is none), from the use of every slot the grid has been told of.
int32_t gridLowestFreeSlot();

// Buckets group the filed records: blocks (TYP 2) in one, the others by side (modulo 4) and
// by kind: units of kind 0, units of kind 3, and the rest.
constexpr uint32_t kUnit0Buckets = 0x249;
constexpr uint32_t kUnitBuckets = 0x6DB;     // kinds 0 and 3
constexpr uint32_t kNonUnitBuckets = 0x924;  // neither units nor blocks
constexpr uint32_t kBlockBuckets = 0x1000;
constexpr uint32_t kAllBuckets = 0x1FFF;
// The buckets among `among` that may hold a record whose side is not `side`.
uint32_t gridBucketsAgainst(int8_t side, uint32_t among);

// Records filed in a cell of the buckets `buckets` have SIZ at most gridSizeBound(buckets)
// and (battle) |z| at most gridHeightBound(); larger ones are kept apart and handed to
// every query.
int64_t gridSizeBound(uint32_t buckets);
int64_t gridHeightBound();

// The fields of a filed record that the passes test, copied when it was last filed: while
// the grid is active they are the record's own.
struct FiledFields {
    int32_t x, y, z, SIZ;
    int8_t side, TYP;
};
extern FiledFields gridFields[kEntityCount];

// Returned by gridCollect when the box covers too many cells to be worth it: the caller
// scans the table plainly instead.
constexpr int32_t kTooWide = -1;
constexpr int32_t kMaxCollected = kEntityCount;

// Writes into `out`, in no particular order, every filed slot from `from` up in the buckets
// of `buckets` whose filed position (gridFields) lies in the box [left, right] x [top,
// bottom] (none when left > right), and every oversized one. Returns how many, or kTooWide.
int32_t gridCollect(int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t buckets, int32_t from,
                    int16_t* out);
// A set of slots walked in ascending order: the partners a row plans to meet.
struct SlotSet {
    uint64_t words[kEntityCount / 64];
    int32_t low = kEntityCount / 64;  // the words in use are low to high
    int32_t high = -1;

    void clear() {
        for (int32_t w = low; w <= high; ++w) words[w] = 0;
        low = kEntityCount / 64;
        high = -1;
    }
    void add(int32_t slot) {
        const int32_t w = slot >> 6;
        words[w] |= uint64_t{1} << (slot & 63);
        if (w < low) low = w;
        if (w > high) high = w;
    }
    // The least slot of the set from `slot` up, or kEntityCount when there is none.
    int32_t next(int32_t slot) const;
};

// The nearest unit found by gridNearestUnits: `slot` -1 when none lies nearer than the limit.
struct NearestUnit {
    int64_t distance;
    int32_t slot;
};

// For the record `e`: the live unit of another side whose kind bit (1 << TYP) is in
// `goalKinds` with the smallest truncated distance below `goalLimit`, the lowest slot among
// equals; the same for `aimKinds` and `aimLimit`. Exactly what scans of the whole table in
// slot order, keeping strictly nearer candidates, would find. A mask of 0 finds nothing.
void gridNearestUnits(const Entity& e, uint32_t goalKinds, int64_t goalLimit, uint32_t aimKinds, int64_t aimLimit,
                      NearestUnit& goal, NearestUnit& aim);
