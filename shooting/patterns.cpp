#include "shooting/patterns.h"

#include "platform/trig.h"
#include "shooting/shooting_update.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

constexpr int8_t kPatternShotMove = 6;  // pattern fire flies along its direction

// Phases at which pattern 5 fires along its circle; 28 is left out, so no shot goes
// down-left.
bool isRingPhase(int32_t phase) {
    switch (phase) {
    case 4: case 8: case 12: case 16: case 20: case 24: case 32: return true;
    default: return false;
    }
}

// Spawns weapon 0's projectile with its top-left corner on the shooter's centre; the
// direction travels in the shot's counter. A template number outside the table spawns
// nothing.
void fire(const Entity& e, int32_t direction) {
    spawnEntity(e.WEP[0], e.side, direction, wrapAdd(e.x, e.WID / 2), wrapAdd(e.y, e.HEI / 2),
                kPatternShotMove, 0);
}

void stepAlong(Entity& e, int32_t direction) {
    const SineCosine along = engineSinCos(direction * kAngleStep);
    e.x = truncatedStep(e.x, e.SP * along.sine);
    e.y = truncatedStep(e.y, e.SP * along.cosine);
}

void moveBy(Entity& e, int64_t dx, int64_t dy) {
    e.x = wrapAdd(e.x, dx);
    e.y = wrapAdd(e.y, dy);
}

}  // namespace

int32_t truncatedStep(int32_t coordinate, double step) {
    const double v = coordinate + step;
    if (v > -2147483649.0 && v < 2147483648.0) return static_cast<int32_t>(v);
    return INT32_MIN;
}

void applyMovePattern(int32_t index) {
    Entity& e = EntityTable[index];
    const int64_t s = e.SP;  // wide, so that -s exists for every speed
    const int32_t p = e.counter;
    switch (e.move) {
    case 1:  // straight right: the player's shots
        moveBy(e, s, 0);
        break;
    case 2:  // vertical swing, 65 frames
        if (p < 32) moveBy(e, 0, s);
        else if (p < 64) moveBy(e, 0, -s);
        e.counter = p < 64 ? p + 1 : 0;
        clampToPlayfield(index);
        break;
    case 3:  // square loop, 66 frames, one shot on the still frame
        if (p <= 16) moveBy(e, 0, s);
        else if (p <= 32) moveBy(e, s, 0);
        else if (p <= 48) moveBy(e, 0, -s);
        else if (p <= 64) moveBy(e, -s, 0);
        if (p <= 64) {
            e.counter = p + 1;
        } else {
            e.counter = 0;
            fire(e, 25);
        }
        clampToPlayfield(index);
        break;
    case 4:  // diamond loop, 66 frames, a fan of three at the ends of the first and third legs
        if (p <= 16) moveBy(e, s, s);
        else if (p <= 32) moveBy(e, s, -s);
        else if (p <= 48) moveBy(e, -s, -s);
        else if (p <= 64) moveBy(e, -s, s);
        e.counter = p <= 64 ? p + 1 : 0;
        if (e.counter == 16 || e.counter == 48) {
            fire(e, 22);
            fire(e, 26);
            fire(e, 24);
        }
        clampToPlayfield(index);
        break;
    case 5:  // circle of 33 steps with ring fire, 34 frames
        if (p <= 32) {
            stepAlong(e, p);
            e.counter = p + 1;
            if (isRingPhase(e.counter)) fire(e, e.counter);
        } else {
            e.counter = 0;
            fire(e, 0);
        }
        clampToPlayfield(index);
        break;
    case 6:  // angled straight line: the phase is the direction; 32 and above go right
        if (p < 32) stepAlong(e, p);
        else moveBy(e, s, 0);
        break;
    case 7:
    case 8:  // straight left: remains drift off this way
        moveBy(e, -s, 0);
        break;
    default:
        break;
    }
}
