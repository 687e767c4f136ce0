#include "stage/entity_grid.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "stage/spawn.h"

namespace {

// 128 x 128 cells of 32 pixels with the screen in the middle. Positions beyond the edges
// are counted into the edge cells; since that mapping never reorders positions, a box still
// finds everything inside it, however far off the screen it lies.
constexpr int kCellShift = 5;
constexpr int64_t kCellSize = int64_t{1} << kCellShift;
constexpr int kCols = 128;
constexpr int kRows = 128;
constexpr int64_t kGridLeft = -1648;
constexpr int64_t kGridTop = -1748;
constexpr int kCells = kCols * kRows;
// Records too large (or too high) for a cell bound: handed to every query.
constexpr int kOversized = kCells;
constexpr int kBuckets = 13;
constexpr int kBlockBucket = 12;
constexpr int32_t kSizeLimit = 64;
constexpr int32_t kHeightLimit = 64;
// A box over more cells than this costs more than a plain scan of its row.
constexpr int64_t kMaxBoxCells = 256;
constexpr int32_t kUnfiled = -1;

// Each list runs from its head through nextInList; -1 ends it. A cell's bit b in
// cellBuckets is set while its list of bucket b is not empty; a head whose bit is clear
// means nothing, so a build clears only the bits.
int16_t heads[kCells + 1][kBuckets];
uint16_t cellBuckets[kCells + 1];
int16_t nextInList[kEntityCount];
int16_t prevInList[kEntityCount];
int32_t cellOf[kEntityCount];  // kUnfiled, a cell, or kOversized
uint8_t bucketOf[kEntityCount];
// Bit s is set while slot s is in use, filed or not.
uint64_t liveBits[kEntityCount / 64];
// Every filed slot of a bucket, in no order, for searches that find the cells too sparse.
int16_t members[kBuckets][kEntityCount];
int16_t memberAt[kEntityCount];
int32_t memberCount[kBuckets];
uint32_t filledBuckets;  // bit b set while bucket b holds a slot

// What a bucket has held since the build: its one side (unless mixed), the cells used and
// the largest size filed in a cell. All only grow, so they stay true of everything the
// bucket holds.
struct BucketSpan {
    bool sideSeen;
    bool mixed;
    int8_t side;
    bool cellSeen;
    int col0, col1, row0, row1;
    int64_t sizeBound;
};
BucketSpan spans[kBuckets];

bool active;
bool heightMatters;
bool filedKind[256];
int64_t heightBound;
uint32_t joins;

int colOf(int64_t x) { return static_cast<int>(std::clamp<int64_t>((x - kGridLeft) >> kCellShift, 0, kCols - 1)); }
int rowOf(int64_t y) { return static_cast<int>(std::clamp<int64_t>((y - kGridTop) >> kCellShift, 0, kRows - 1)); }
int64_t colLeft(int col) { return kGridLeft + col * kCellSize; }
int64_t rowTop(int row) { return kGridTop + row * kCellSize; }

bool filed(const Entity& e) {
    return e.inUse == 1 && (isUnitKind(e.TYP) || filedKind[static_cast<uint8_t>(e.TYP)]);
}

int bucketFor(const Entity& e) {
    if (e.TYP == 2) return kBlockBucket;
    return (static_cast<uint8_t>(e.side) & 3) * 3 + (e.TYP == 0 ? 0 : e.TYP == 3 ? 1 : 2);
}

bool oversized(const Entity& e) {
    return e.SIZ > kSizeLimit || (heightMatters && (e.z > kHeightLimit || e.z < -kHeightLimit));
}

int cellFor(const Entity& e) { return oversized(e) ? kOversized : rowOf(e.y) * kCols + colOf(e.x); }

void link(int32_t s, int cell, int b) {
    const uint16_t bit = static_cast<uint16_t>(1u << b);
    const int16_t first = (cellBuckets[cell] & bit) != 0 ? heads[cell][b] : int16_t{-1};
    prevInList[s] = -1;
    nextInList[s] = first;
    if (first >= 0) prevInList[first] = static_cast<int16_t>(s);
    heads[cell][b] = static_cast<int16_t>(s);
    cellBuckets[cell] |= bit;
    cellOf[s] = cell;
    bucketOf[s] = static_cast<uint8_t>(b);
    memberAt[s] = static_cast<int16_t>(memberCount[b]);
    members[b][memberCount[b]++] = static_cast<int16_t>(s);
    filledBuckets |= 1u << b;
}

void unlink(int32_t s) {
    const int cell = cellOf[s];
    const int b = bucketOf[s];
    const int16_t before = prevInList[s];
    const int16_t after = nextInList[s];
    if (before >= 0) nextInList[before] = after;
    else heads[cell][b] = after;
    if (after >= 0) prevInList[after] = before;
    if (heads[cell][b] < 0) cellBuckets[cell] &= static_cast<uint16_t>(~(1u << b));
    cellOf[s] = kUnfiled;
    if (--memberCount[b] == 0) filledBuckets &= ~(1u << b);
    const int16_t last = members[b][memberCount[b]];
    members[b][memberAt[s]] = last;
    memberAt[last] = memberAt[s];
}

// The bounds that queries rely on, widened for a record that is (still) filed.
void note(const Entity& e, int cell, int b) {
    BucketSpan& span = spans[b];
    if (!span.sideSeen) {
        span.sideSeen = true;
        span.side = e.side;
    } else if (span.side != e.side) {
        span.mixed = true;
    }
    if (cell == kOversized) return;
    span.sizeBound = std::max<int64_t>(span.sizeBound, e.SIZ);
    if (heightMatters) heightBound = std::max<int64_t>(heightBound, e.z < 0 ? -int64_t{e.z} : e.z);
    const int col = cell % kCols;
    const int row = cell / kCols;
    if (!span.cellSeen) {
        span.cellSeen = true;
        span.col0 = span.col1 = col;
        span.row0 = span.row1 = row;
    } else {
        span.col0 = std::min(span.col0, col);
        span.col1 = std::max(span.col1, col);
        span.row0 = std::min(span.row0, row);
        span.row1 = std::max(span.row1, row);
    }
}

void place(int32_t s) {
    const Entity& e = EntityTable[s];
    const uint64_t bit = uint64_t{1} << (s % 64);
    if (e.inUse == 1) liveBits[s / 64] |= bit;
    else liveBits[s / 64] &= ~bit;
    if (!filed(e)) {
        if (cellOf[s] != kUnfiled) unlink(s);
        return;
    }
    FiledFields& f = gridFields[s];
    const int b = bucketFor(e);
    const int cell = cellFor(e);
    if (cellOf[s] == cell && bucketOf[s] == b && f.SIZ == e.SIZ && f.side == e.side && f.z == e.z) {
        f.x = e.x;  // moved within its cell: the bounds still hold
        f.y = e.y;
        f.TYP = e.TYP;
        return;
    }
    if (cellOf[s] != cell || bucketOf[s] != b) {
        if (cellOf[s] != kUnfiled) unlink(s);
        link(s, cell, b);
    }
    f = FiledFields{e.x, e.y, e.z, e.SIZ, e.side, e.TYP};
    note(e, cell, b);
}

uint32_t nonEmptyBuckets(uint32_t among) { return filledBuckets & among; }

// A query's box, inclusive.
struct Box {
    int64_t left, top, right, bottom;
};

// Every slot from `from` up filed in `cell` under the buckets of `buckets` whose filed
// position lies in the box. The test costs less here, where the list brings each record up
// anyway, than the caller's full tests of every record of the cell would.
void appendCell(int cell, uint32_t buckets, const Box& box, int32_t from, int16_t* out, int32_t& n) {
    for (uint32_t m = buckets & cellBuckets[cell]; m != 0; m &= m - 1) {
        for (int16_t s = heads[cell][std::countr_zero(m)]; s >= 0; s = nextInList[s]) {
            const FiledFields& f = gridFields[s];
            out[n] = s;
            n += (s >= from) & (f.x >= box.left) & (f.x <= box.right) & (f.y >= box.top) & (f.y <= box.bottom);
        }
    }
}

// Every slot from `from` up kept apart as oversized under the buckets of `buckets`.
void appendOversized(uint32_t buckets, int32_t from, int16_t* out, int32_t& n) {
    for (uint32_t m = buckets & cellBuckets[kOversized]; m != 0; m &= m - 1) {
        for (int16_t s = heads[kOversized][std::countr_zero(m)]; s >= 0; s = nextInList[s]) {
            out[n] = s;
            n += s >= from;
        }
    }
}

// The running best of one nearest search.
struct Search {
    const Entity* seeker;
    uint32_t goalKinds;
    uint32_t aimKinds;
    NearestUnit* goal;
    NearestUnit* aim;
};

void keepNearer(NearestUnit& best, int64_t d, int32_t q) {
    if (d < best.distance || (d == best.distance && best.slot >= 0 && q < best.slot)) {
        best.distance = d;
        best.slot = q;
    }
}

// Filed slots are live: a removal is refiled before anything can search again.
void offer(const Search& s, int32_t q) {
    const FiledFields& c = gridFields[q];
    const Entity& e = *s.seeker;
    if (c.side == e.side) return;
    const uint32_t kind = c.TYP >= 0 && c.TYP < 32 ? 1u << c.TYP : 0;
    const bool forGoal = (s.goalKinds & kind) != 0;
    const bool forAim = (s.aimKinds & kind) != 0;
    if (!forGoal && !forAim) return;
    // Most records offered are farther than both answers: below 2^52 the squares are exact
    // in a double, so a sum of squares at or past (best + 1)^2 truncates past best.
    const int64_t dx = static_cast<int64_t>(e.x) - c.x;
    const int64_t dy = static_cast<int64_t>(e.y) - c.y;
    constexpr int64_t kExact = int64_t{1} << 26;
    if (dx < kExact && dx > -kExact && dy < kExact && dy > -kExact) {
        const int64_t best = std::max(forGoal ? s.goal->distance : 0, forAim ? s.aim->distance : 0);
        if (best < kExact && dx * dx + dy * dy >= (best + 1) * (best + 1)) return;
    }
    const int64_t d = distanceOf(dx, dy);
    if (forGoal) keepNearer(*s.goal, d, q);
    if (forAim) keepNearer(*s.aim, d, q);
}

void offerCell(const Search& s, int cell, uint32_t buckets) {
    for (uint32_t m = buckets & cellBuckets[cell]; m != 0; m &= m - 1) {
        for (int16_t q = heads[cell][std::countr_zero(m)]; q >= 0; q = nextInList[q]) offer(s, q);
    }
}

// The least truncated distance from the seeker to a position in the cell; edge cells reach
// to the ends of the coordinates. Truncated distances grow with the true ones, so this
// bounds every record filed there.
int64_t cellBound(const Entity& e, int col, int row) {
    int64_t dx = 0;
    if (col > 0 && e.x < colLeft(col)) dx = colLeft(col) - e.x;
    else if (col < kCols - 1 && e.x >= colLeft(col + 1)) dx = e.x - colLeft(col + 1) + 1;
    int64_t dy = 0;
    if (row > 0 && e.y < rowTop(row)) dy = rowTop(row) - e.y;
    else if (row < kRows - 1 && e.y >= rowTop(row + 1)) dy = e.y - rowTop(row + 1) + 1;
    return distanceOf(dx, dy);
}

// A bound on the truncated distance from the seeker to anything filed outside the block of
// cells [c0, c1] x [r0, r1] but within the used cells [col0, col1] x [row0, row1]: such a
// position lies beyond one of the block's sides, at least one pixel past its edge.
int64_t blockBound(const Entity& e, int c0, int c1, int r0, int r1, int col0, int col1, int row0, int row1) {
    int64_t bound = std::numeric_limits<int64_t>::max();
    if (c0 > col0) bound = std::min(bound, std::max<int64_t>(int64_t{e.x} - colLeft(c0), 0));
    if (c1 < col1) bound = std::min(bound, std::max<int64_t>(colLeft(c1 + 1) - 1 - e.x, 0));
    if (r0 > row0) bound = std::min(bound, std::max<int64_t>(int64_t{e.y} - rowTop(r0), 0));
    if (r1 < row1) bound = std::min(bound, std::max<int64_t>(rowTop(r1 + 1) - 1 - e.y, 0));
    return bound;
}

// The cells a search has reached but not yet looked into, as a heap by bound, and the mark
// of the search that reached each cell.
struct CellBound {
    int64_t bound;
    int32_t cell;
};
CellBound waiting[kCells];
int32_t waitingCount;
uint32_t markedIn[kCells];
uint32_t searchMark;

void wait(CellBound c) {
    int32_t k = waitingCount++;
    while (k > 0) {
        const int32_t parent = (k - 1) / 2;
        if (waiting[parent].bound <= c.bound) break;
        waiting[k] = waiting[parent];
        k = parent;
    }
    waiting[k] = c;
}

CellBound takeNearest() {
    const CellBound nearest = waiting[0];
    const CellBound last = waiting[--waitingCount];
    int32_t k = 0;
    for (;;) {
        int32_t child = 2 * k + 1;
        if (child >= waitingCount) break;
        if (child + 1 < waitingCount && waiting[child + 1].bound < waiting[child].bound) ++child;
        if (last.bound <= waiting[child].bound) break;
        waiting[k] = waiting[child];
        k = child;
    }
    waiting[k] = last;
    return nearest;
}

struct CellRange {
    int col0, col1, row0, row1;
};

// Puts the used cells around `seen` that no cell looked into has reached yet among the
// cells waiting.
void reachAround(const Entity& e, const CellRange& seen, const CellRange& used) {
    for (int y = std::max(seen.row0 - 1, used.row0); y <= std::min(seen.row1 + 1, used.row1); ++y) {
        for (int x = std::max(seen.col0 - 1, used.col0); x <= std::min(seen.col1 + 1, used.col1); ++x) {
            const int cell = y * kCols + x;
            if (markedIn[cell] == searchMark) continue;
            markedIn[cell] = searchMark;
            wait(CellBound{cellBound(e, x, y), cell});
        }
    }
}

// Whether nothing beyond `bound` (a lower bound on the distance of every record not yet
// offered) can still change the answer.
bool settled(const NearestUnit& best, uint32_t kinds, int64_t bound) {
    if (kinds == 0) return true;
    return best.slot >= 0 ? bound > best.distance : bound >= best.distance;
}

}  // namespace

FiledFields gridFields[kEntityCount];

void gridBuild(const GridPlan& plan) {
    active = true;
    heightMatters = plan.heightMatters;
    for (int k = 0; k < 256; ++k) filedKind[k] = plan.files == nullptr || plan.files(static_cast<int8_t>(k));
    std::memset(cellBuckets, 0, sizeof cellBuckets);
    std::memset(cellOf, 0xFF, sizeof cellOf);
    std::memset(liveBits, 0, sizeof liveBits);
    std::memset(memberCount, 0, sizeof memberCount);
    filledBuckets = 0;
    std::memset(spans, 0, sizeof spans);
    heightBound = 0;
    joins = 0;
    for (int32_t s = 0; s < liveSlotEnd; ++s) place(s);
}

bool gridEnsure(const GridPlan& plan) {
    if (active) return false;
    gridBuild(plan);
    return true;
}

void gridDrop() { active = false; }

bool gridActive() { return active; }

void gridTrack(int32_t slot) {
    if (active) place(slot);
}

void gridTrackSpawn(int32_t slot) {
    if (!active) return;
    place(slot);
    ++joins;
}

uint32_t gridJoins() { return joins; }

int32_t gridLowestFreeSlot() {
    for (int w = 0; w < kEntityCount / 64; ++w) {
        uint64_t free = ~liveBits[w];
        if (w == 0) free &= ~uint64_t{1};  // slot 0 is the player's
        if (free != 0) return w * 64 + std::countr_zero(free);
    }
    return kEntityCount;
}

int64_t gridSizeBound(uint32_t buckets) {
    int64_t bound = 0;
    for (uint32_t m = buckets; m != 0; m &= m - 1) bound = std::max(bound, spans[std::countr_zero(m)].sizeBound);
    return bound;
}

int64_t gridHeightBound() { return heightBound; }

uint32_t gridBucketsAgainst(int8_t side, uint32_t among) {
    // Only the buckets of this side's group and the blocks' can hold this side alone.
    const int group = (static_cast<uint8_t>(side) & 3) * 3;
    const int own[] = {group, group + 1, group + 2, kBlockBucket};
    uint32_t mask = among;
    for (const int b : own) {
        const BucketSpan& span = spans[b];
        if (span.sideSeen && !span.mixed && span.side == side) mask &= ~(1u << b);
    }
    return mask;
}

int32_t gridCollect(int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t buckets, int32_t from,
                    int16_t* out) {
    buckets = nonEmptyBuckets(buckets);
    int32_t n = 0;
    if (buckets != 0 && left <= right && top <= bottom) {
        const int c0 = colOf(left);
        const int c1 = colOf(right);
        const int r0 = rowOf(top);
        const int r1 = rowOf(bottom);
        if (int64_t{c1 - c0 + 1} * (r1 - r0 + 1) > kMaxBoxCells) return kTooWide;
        const Box box{left, top, right, bottom};
        for (int row = r0; row <= r1; ++row) {
            for (int col = c0; col <= c1; ++col) appendCell(row * kCols + col, buckets, box, from, out, n);
        }
    }
    appendOversized(buckets, from, out, n);
    return n;
}

int32_t SlotSet::next(int32_t slot) const {
    int32_t w = std::max(slot >> 6, low);
    if (w > high) return kEntityCount;
    uint64_t bits = words[w];
    if (w == slot >> 6) bits &= ~uint64_t{0} << (slot & 63);
    for (;;) {
        if (bits != 0) return w * 64 + std::countr_zero(bits);
        if (++w > high) return kEntityCount;
        bits = words[w];
    }
}

void gridNearestUnits(const Entity& e, uint32_t goalKinds, int64_t goalLimit, uint32_t aimKinds, int64_t aimLimit,
                      NearestUnit& goal, NearestUnit& aim) {
    goal = NearestUnit{goalLimit, -1};
    aim = NearestUnit{aimLimit, -1};
    const uint32_t kinds = goalKinds | aimKinds;
    const uint32_t units = (kinds & ~1u) != 0 ? kUnitBuckets : kUnit0Buckets;  // kind 3 lives apart
    const uint32_t buckets = nonEmptyBuckets(gridBucketsAgainst(e.side, units));
    if (buckets == 0 || (goalKinds == 0 && aimKinds == 0)) return;
    const Search search{&e, goalKinds, aimKinds, &goal, &aim};
    offerCell(search, kOversized, buckets);

    // Cells in order of their least possible distance from the seeker (best first), within
    // the cells the buckets have used, until everything not yet seen is provably farther
    // than the answers. The cells within any distance of the seeker form a connected patch
    // around the nearest used cell, so spreading from cell to neighbouring cell finds them
    // all, and the nearest cell waiting is a bound for every cell not yet reached.
    int64_t population = 0;
    bool anyCell = false;
    int col0 = kCols, col1 = -1, row0 = kRows, row1 = -1;
    for (uint32_t m = buckets; m != 0; m &= m - 1) {
        const int b = std::countr_zero(m);
        population += memberCount[b];
        if (!spans[b].cellSeen) continue;
        anyCell = true;
        col0 = std::min(col0, spans[b].col0);
        col1 = std::max(col1, spans[b].col1);
        row0 = std::min(row0, spans[b].row0);
        row1 = std::max(row1, spans[b].row1);
    }
    if (!anyCell) return;
    // Past this many cells the buckets are sparse: offering every member is cheaper, as a
    // cell reached costs a heap entry and its neighbours' bounds, a member a few compares.
    const int64_t cellBudget = population / 16 + 16;
    int64_t cellsSeen = 0;
    if (++searchMark == 0) {  // the marks wrapped: forget them all
        std::memset(markedIn, 0, sizeof markedIn);
        searchMark = 1;
    }
    waitingCount = 0;
    const int startCol = std::clamp(colOf(e.x), col0, col1);
    const int startRow = std::clamp(rowOf(e.y), row0, row1);
    // Most searches end in the nearest used cell and its neighbours: look into that block
    // first, and go on cell by cell only when something beyond it could still be nearer.
    const int blockCol0 = std::max(startCol - 1, col0);
    const int blockCol1 = std::min(startCol + 1, col1);
    const int blockRow0 = std::max(startRow - 1, row0);
    const int blockRow1 = std::min(startRow + 1, row1);
    for (int y = blockRow0; y <= blockRow1; ++y) {
        for (int x = blockCol0; x <= blockCol1; ++x) {
            markedIn[y * kCols + x] = searchMark;
            offerCell(search, y * kCols + x, buckets);
        }
    }
    cellsSeen = int64_t{blockCol1 - blockCol0 + 1} * (blockRow1 - blockRow0 + 1);
    const int64_t beyond = blockBound(e, blockCol0, blockCol1, blockRow0, blockRow1, col0, col1, row0, row1);
    if (settled(goal, goalKinds, beyond) && settled(aim, aimKinds, beyond)) return;
    const CellRange used{col0, col1, row0, row1};
    reachAround(e, CellRange{blockCol0, blockCol1, blockRow0, blockRow1}, used);
    bool sparse = false;
    while (waitingCount > 0) {
        const CellBound next = takeNearest();
        if (settled(goal, goalKinds, next.bound) && settled(aim, aimKinds, next.bound)) return;
        offerCell(search, next.cell, buckets);
        if (++cellsSeen > cellBudget) {
            sparse = true;
            break;
        }
        const int col = next.cell % kCols;
        const int row = next.cell / kCols;
        reachAround(e, CellRange{col, col, row, row}, used);
    }
    if (!sparse) return;  // every used cell seen
    for (uint32_t m = buckets; m != 0; m &= m - 1) {
        const int b = std::countr_zero(m);
        for (int32_t k = 0; k < memberCount[b]; ++k) offer(search, members[b][k]);
    }
}
