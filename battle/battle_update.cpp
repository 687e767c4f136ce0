#include "battle/battle_update.h"

#include "battle/battle.h"
#include "battle/collisions.h"
#include "battle/step_math.h"
#include "battle/weapons.h"
#include "platform/media.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/trig.h"
#include "platform/window.h"
#include "stage/entity_grid.h"
#include "stage/spawn.h"
#include "stage/world.h"

int32_t trailTick;

namespace {

// A unit's firing cycle: retarget while counter is at most this, then drive straight ...
constexpr int32_t kRetargetUntil = 16;
// ... while it is at most this, then fire once and start over.
constexpr int32_t kDriveUntil = 32;

// Turns by the full 1/SIZ; an object without a positive size cannot turn.
void turn(Entity& e, double sign) {
    if (e.SIZ > 0) e.angle += sign * (1.0 / e.SIZ);
}

void steer(Entity& e) {
    if (e.goalX == kNoTarget) return;
    double diff = bearing(e.x, e.y, e.goalX, e.goalY) - e.angle;
    if (diff > kPi) {
        diff -= kTwoPi;
    } else if (diff < -kPi) {
        diff += kTwoPi;
    }
    if (diff < 0) {
        turn(e, -1);
    } else if (diff > 0) {
        turn(e, 1);
    }
}

void wrapHeadingAndMove(Entity& e) {
    if (e.angle < 0) e.angle += kTwoPi;
    if (e.angle > kTwoPi) e.angle -= kTwoPi;
    const SineCosine heading = engineSinCos(e.angle);
    e.x = wrapAdd(e.x, truncStep(heading.sine * e.SP));
    e.y = wrapAdd(e.y, truncStep(heading.cosine * e.SP));
}

void leaveTrail(const Entity& e) {
    const int32_t k = spawnEntity(kTrailTemplate, e.side, kTrailLife, e.x, e.y, 0, 0);
    if (k >= 0) EntityTable[k].angle = e.angle;
}

bool manualSlotValid() { return weaponSel >= 0 && weaponSel < 4; }

void playerControl() {
    Entity& p = EntityTable[kPlayerSlot];
    InputValues& in = InputState;
    setupEntity(kPlayerSlot);

    if (in.mouseY < kScreenHeight) {  // the mouse counts only over the field
        if (in.buttonL == 1 && manualSlotValid()) {
            p.aimX[weaponSel] = in.mouseX;
            p.aimY[weaponSel] = in.mouseY;
            in.keyZ = 1;
            in.buttonL = 0;
        }
        if (in.buttonR == 1) {  // held, the steering point follows the mouse
            p.goalX = in.mouseX;
            p.goalY = in.mouseY;
        }
    }
    if (in.arrowX == 1) {
        p.goalX = kNoTarget;
        turn(p, -1);
    } else if (in.arrowX == -1) {
        p.goalX = kNoTarget;
        turn(p, 1);
    }
    if (truncatedDistance(p.x, p.y, p.goalX, p.goalY) < kArrivalDistance) {
        p.goalX = kNoTarget;
    } else {
        steer(p);
    }
    // A request made while the weapon cools down waits for it.
    if (manualSlotValid() && p.cool[weaponSel] == 0 && in.keyZ == 1) {
        in.keyZ = 0;
        if (randomNext() % 2 == 0) startShotSound("./wav/shot00.wav");
        firePlayerWeapons(weaponSel);
    }
    firePlayerWeapons(kEntityCount);
    if (p.TYP == 0 && trailTick == 0) leaveTrail(p);
}

// Removes object n, leaving its remains.
void expire(int32_t n) {
    spawnRemains(EntityTable[n]);
    EntityTable[n].inUse = 0;
}

void arc(Entity& e) {
    e.z = wrapAdd(e.z, e.vspeed);
    e.vspeed = wrapAdd(e.vspeed, -1);
}

// A shot's counter is its remaining travel.
void fly(int32_t n) {
    Entity& e = EntityTable[n];
    if (e.counter > 0) {
        e.counter = wrapAdd(e.counter, -static_cast<int64_t>(e.SP));
    } else {
        expire(n);
    }
}

void home(int32_t n) {
    Entity& e = EntityTable[n];
    if (e.counter > 0) {
        setupEntity(n);
        e.counter = wrapAdd(e.counter, -static_cast<int64_t>(e.SP));
    } else {
        expire(n);
    }
}

void unitCycle(int32_t n) {
    Entity& e = EntityTable[n];
    if (e.counter <= kRetargetUntil) {
        setupEntity(n);
        ++e.counter;
    } else if (e.counter <= kDriveUntil) {
        ++e.counter;
        e.goalX = kNoTarget;
    } else {
        e.counter = 0;
        fireWeapons(n);
    }
}

void kindBehaviour(int32_t n) {
    Entity& e = EntityTable[n];
    switch (e.TYP) {
    case 0:
        unitCycle(n);
        if (trailTick == 0) leaveTrail(e);
        break;
    case 3: unitCycle(n); break;
    case 5: case 6: case 7:
        if (e.counter > 0) {
            --e.counter;
        } else {
            expire(n);
        }
        break;
    case 1: case 11: case 12: case 13: fly(n); break;
    case 10:
        fly(n);
        arc(e);
        break;
    case 20:
        home(n);
        arc(e);
        break;
    case 21: case 22: case 23: home(n); break;
    default: break;
    }
}

}  // namespace

void battleObjectPass() {
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        Entity& e = EntityTable[n];
        if (e.inUse == 1) {
            if (n == kPlayerSlot) {
                playerControl();
            } else {
                kindBehaviour(n);
                steer(e);
            }
            wrapHeadingAndMove(e);
            // Only this object moved in its turn; what it spawned refiled itself.
            gridTrack(n);
        }
        for (int32_t& c : e.cool) {
            if (c > 0) --c;
        }
        if (e.guard > 0) --e.guard;
    }
}

namespace {

bool countsAsOpponent(int8_t typ) {
    switch (typ) {
    case 1: case 2: case 5: case 6: case 7: case 10: case 11: case 12: case 13:
    case 20: case 21: case 22: case 23: return false;
    default: return true;
    }
}

}  // namespace

// The win is tested first, so a player who falls with the last opponent wins. Once
// decided, the outcome stays.
void battleDecideStage() {
    const int8_t playerSide = EntityTable[kPlayerSlot].side;
    int32_t count = 0;
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        const Entity& e = EntityTable[n];
        if (e.inUse == 1 && e.side != playerSide && countsAsOpponent(e.TYP)) ++count;
    }
    opponentsLeft = count;
    if (count == 0) {
        if (stageCountdown < 0) {
            stageCountdown = kStageDecidedFrames;
            stageResult = 1;
            startShotSound("./wav/win.wav");
        }
    } else if (EntityTable[kPlayerSlot].inUse == 0 && stageCountdown < 0) {
        stageCountdown = kStageDecidedFrames;
        stageResult = 0;
        startShotSound("./wav/lost.wav");
    }
}

void advanceTrailTick() {
    if (++trailTick >= kTrailPeriod) trailTick = 0;
}

void battleUpdate() {
    advanceTrailTick();
    gridBuild(kBattleGrid);
    battleObjectPass();
    collisionPass();
    battleDecideStage();
    gridDrop();
}
