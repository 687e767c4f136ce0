#include "shooting/shooting_update.h"

#include <algorithm>

#include "platform/media.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "shooting/patterns.h"
#include "shooting/shooting.h"
#include "stage/entity_grid.h"
#include "stage/spawn.h"

namespace {

// Collision classes of this stage (TYP); every other value is a body that blocks hurt.
constexpr int8_t kBodyKind = 0;
constexpr int8_t kShotKind = 1;
constexpr int8_t kBlockKind = 2;

constexpr int32_t kJumpSpeed = -31;
constexpr int32_t kFallStep = 2;
constexpr int32_t kFallLimit = 10;
constexpr int8_t kPlayerShotMove = 1;
constexpr int8_t kRemainsMove = 8;
constexpr int32_t kRemainsRise = 32;  // remains appear this far above the destroyed object

int64_t magnitude(int64_t v) { return v < 0 ? -v : v; }

// The block's SIZ alone sets how far the mover is put, so a mover of some size still
// overlaps afterwards and is put back on every visit: that is what keeps a body standing.
void pushOutOfBlock(Entity& mover, const Entity& block) {
    const int64_t dx = int64_t{mover.x} - block.x;
    const int64_t dy = int64_t{mover.y} - block.y;
    const int64_t ax = magnitude(dx);
    const int64_t ay = magnitude(dy);
    if (ay > ax) {
        if (dy < 0) {
            mover.y = wrapAdd(block.y, -int64_t{block.SIZ});
            mover.vspeed = 0;  // standing on it
        } else {
            mover.y = wrapAdd(block.y, block.SIZ);
        }
    } else if (ay < ax) {
        mover.x = dx < 0 ? wrapAdd(block.x, -int64_t{block.SIZ}) : wrapAdd(block.x, block.SIZ);
    }
}

// After an exchange: a survivor that is the player hears the hit; a destroyed object leaves
// its remains 32 pixels up (shots leave none).
void settleHit(int32_t index) {
    Entity& e = EntityTable[index];
    if (e.HP > 0) {
        if (index == kPlayerSlot && e.TYP != kShotKind) startShotSound("./wav/mehit.wav");
        return;
    }
    e.inUse = 0;
    gridTrack(index);  // before the remains' spawn looks for targets
    if (e.TYP != kShotKind && e.DEA != 0)
        spawnEntity(e.DEA, e.side, 0, e.x, wrapAdd(e.y, -kRemainsRise), kRemainsMove, 0);
}

// Every live object collides in this stage, whatever its kind.
constexpr GridPlan kShootingGrid{nullptr, false};

// What a row's plan of partners depends on: the leading record's place, size, side, kind
// and use. Anything else that happens in the row leaves the plan right, except a spawn.
struct RowKey {
    int32_t x, y, SIZ;
    int8_t side, TYP;
    uint8_t inUse;
    bool operator==(const RowKey&) const = default;
};

RowKey keyOf(const Entity& e) { return RowKey{e.x, e.y, e.SIZ, e.side, e.TYP, e.inUse}; }

// The partners the grid finds for a row, and those the row plans to meet.
int16_t rowCandidates[kMaxCollected];
SlotSet rowPlan;

// Whether the pair of row leader `a` and the filed record `b` passes the pass's tests: both
// live (filed records are), another side, not two shots, overlapping on both axes.
bool passes(const Entity& a, const FiledFields& b) {
    if (a.side == b.side || (a.TYP == kShotKind && b.TYP == kShotKind)) return false;
    const int64_t reach = int64_t{a.SIZ} + b.SIZ;
    return magnitude(int64_t{a.y} - b.y) < reach && magnitude(int64_t{a.x} - b.x) < reach;
}

// Row i of the collision pass: every partner j in slot order, each tested as it comes.
// Only a partner of another side within SIZ(i) + SIZ(j) of i on both axes passes, so the
// row asks the grid for those and skips the rest, which would fail. A pair that acts can
// move, remove or replace slot i or spawn remains; then the row plans again from the next
// slot, seeing i where it now is and the newcomers where they landed.
void collideRow(int32_t i) {
    int32_t from = 0;
    for (;;) {
        const Entity& a = EntityTable[i];
        if (a.inUse != 1) return;  // no pair of the row can pass any more
        const RowKey key = keyOf(a);
        const uint32_t joins = gridJoins();
        const uint32_t buckets = gridBucketsAgainst(a.side, kAllBuckets);
        const int64_t reach = a.SIZ + gridSizeBound(buckets);
        const int32_t found = gridCollect(int64_t{a.x} - reach + 1, int64_t{a.y} - reach + 1, int64_t{a.x} + reach - 1,
                                          int64_t{a.y} + reach - 1, buckets, from, rowCandidates);
        if (found == kTooWide) {  // a huge size: every slot is a possible partner
            for (int32_t j = from; j < liveSlotEnd; ++j) shootingCollidePair(i, j);
            return;
        }
        // Nothing about a partner changes before its turn in the row but by its own pair or a
        // spawn, so what passes now passes then.
        rowPlan.clear();
        for (int32_t k = 0; k < found; ++k) {
            if (passes(a, gridFields[rowCandidates[k]])) rowPlan.add(rowCandidates[k]);
        }
        int32_t j = rowPlan.next(from);
        for (; j < kEntityCount; j = rowPlan.next(j + 1)) {
            if (!shootingCollidePair(i, j)) continue;
            if (!(keyOf(a) == key) || gridJoins() != joins) break;
        }
        if (j >= kEntityCount) return;
        from = j + 1;
    }
}

void decide(uint8_t result, const char* sound) {
    stageCountdown = kStageDecidedFrames;
    stageResult = result;
    startShotSound(sound);
}

}  // namespace

void clampToPlayfield(int32_t index) {
    Entity& e = EntityTable[index];
    if (e.x < 0) e.x = 0;
    if (e.x > int64_t{kScreenWidth} - e.WID) e.x = wrapAdd(kScreenWidth, -int64_t{e.WID});
    if (e.y < StageParams.groundTop) e.y = StageParams.groundTop;
    if (e.y > int64_t{kScreenHeight} - e.HEI) {
        if (e.GRA == 0) e.y = wrapAdd(kScreenHeight, -int64_t{e.HEI});
        else if (e.y > kScreenHeight) e.inUse = 0;  // fell off the bottom
    }
}

void applyGravity(Entity& e) {
    if (e.GRA != 1) return;
    e.y = wrapAdd(e.y, e.vspeed);
    e.vspeed = std::min(wrapAdd(e.vspeed, kFallStep), kFallLimit);
}

void playerControl() {
    Entity& p = EntityTable[kPlayerSlot];
    if (p.inUse != 1) return;
    const int64_t s = p.SP;
    if (InputState.arrowX == 1) p.x = wrapAdd(p.x, s);
    else if (InputState.arrowX == -1) p.x = wrapAdd(p.x, -s);
    if (InputState.arrowY == 1) p.y = wrapAdd(p.y, s);
    else if (InputState.arrowY == -1) p.y = wrapAdd(p.y, -s);
    clampToPlayfield(kPlayerSlot);
    gridTrack(kPlayerSlot);

    if (p.cool[0] != 0) {
        p.cool[0] = wrapAdd(p.cool[0], -1);
    } else if (InputState.keyZ == 1) {
        if (randomNext() % 2 == 0) startShotSound("./wav/shot00.wav");
        spawnEntity(p.WEP[0], p.side, 0, wrapAdd(p.x, p.WID / 2), wrapAdd(p.y, p.HEI / 2),
                    kPlayerShotMove, 0);
        p.cool[0] = p.BLA[0];
    }

    // vspeed is exactly 0 only while standing on a block (or before the first fall).
    if (InputState.keyX == 1 && p.vspeed == 0) p.vspeed = kJumpSpeed;
    applyGravity(p);
    gridTrack(kPlayerSlot);
}

void moveObject(int32_t index) {
    Entity& e = EntityTable[index];
    if (e.inUse != 1) return;
    applyMovePattern(index);
    applyGravity(e);
    if (e.x < -int64_t{e.WID} || e.x > kScreenWidth || e.y < -int64_t{e.HEI} || e.y > kScreenHeight)
        e.inUse = 0;
    // Shots fired by the pattern meanwhile share the object's side, so their searches never
    // look for it: refiling it once, here, keeps the grid right for everything that asks.
    gridTrack(index);
}

void objectPass() {
    // liveSlotEnd is read afresh each time, so shots fired into later slots move this frame.
    for (int32_t i = 1; i < liveSlotEnd; ++i) moveObject(i);
}

bool shootingCollidePair(int32_t i, int32_t j) {
    Entity& a = EntityTable[i];
    Entity& b = EntityTable[j];
    if (a.inUse != 1 || b.inUse != 1) return false;
    if (a.side == b.side) return false;
    if (a.TYP == kShotKind && b.TYP == kShotKind) return false;
    const int64_t reach = int64_t{a.SIZ} + b.SIZ;
    if (magnitude(int64_t{a.y} - b.y) >= reach || magnitude(int64_t{a.x} - b.x) >= reach) return false;

    if (a.TYP == kBodyKind && b.TYP == kBlockKind) {
        pushOutOfBlock(a, b);
        gridTrack(i);
    } else if (a.TYP == kBlockKind && b.TYP == kBodyKind) {
        pushOutOfBlock(b, a);
        gridTrack(j);
    } else {
        a.HP = wrapAdd(a.HP, -int64_t{b.BP});
        b.HP = wrapAdd(b.HP, -int64_t{a.BP});
        settleHit(i);
        settleHit(j);
    }
    return true;
}

void shootingCollisionPass() {
    // Every ordered pair, so two survivors exchange damage twice. The bound is read afresh,
    // so remains spawned during the pass take part when their slots come up. A slot that is
    // free when its row starts can do nothing in that row: only a live pair spawns.
    const bool built = gridEnsure(kShootingGrid);
    for (int32_t i = 0; i < liveSlotEnd; ++i) {
        if (EntityTable[i].inUse == 1) collideRow(i);
    }
    if (built) gridDrop();
}

void decideStage() {
    const int8_t playerSide = EntityTable[kPlayerSlot].side;
    int32_t count = 0;
    for (int32_t i = 0; i < liveSlotEnd; ++i) {
        const Entity& e = EntityTable[i];
        if (e.inUse == 1 && e.side != playerSide && e.TYP != kShotKind && e.TYP != kBlockKind) ++count;
    }
    opponentsLeft = count;
    // Decided once: a clear screen wins even without the player, and nothing undoes it.
    if (stageCountdown >= 0) return;
    if (opponentsLeft == 0) decide(1, "./wav/win.wav");
    else if (EntityTable[kPlayerSlot].inUse == 0) decide(0, "./wav/lost.wav");
}

void shootingUpdate() {
    gridBuild(kShootingGrid);
    playerControl();
    objectPass();
    shootingCollisionPass();
    decideStage();
    gridDrop();
}
