#include "battle/weapons.h"

#include "platform/trig.h"
#include "stage/spawn.h"

namespace {

bool isLobbed(int8_t typ) { return typ == 10 || typ == 20; }

// One weapon slot of shooter n. A shot that finds no free slot leaves the cooldown at 0, so
// the weapon tries again at its next chance.
void fireSlot(int32_t n, int i) {
    Entity& shooter = EntityTable[n];
    if (shooter.WEP[i] == 0 || shooter.aimX[i] == kNoTarget || shooter.cool[i] > 0) return;
    const int32_t k = spawnEntity(shooter.WEP[i], shooter.side, 0, shooter.x, shooter.y, 0, 0);
    if (k < 0) return;
    Entity& shot = EntityTable[k];
    shot.counter = shooter.LEN[i] > 0 ? shooter.LEN[i] : kDefaultShotRange;
    shooter.cool[i] = shooter.BLA[i];
    shot.aimX[i] = kNoTarget;
    shot.angle = bearing(shooter.x, shooter.y, shooter.aimX[i], shooter.aimY[i]);
    if (isLobbed(shot.TYP)) {
        // A lobbed shot lands on its aim point when that lies within range.
        const int64_t d = truncatedDistance(shooter.x, shooter.y, shooter.aimX[i], shooter.aimY[i]);
        if (d < shooter.LEN[i]) shot.counter = static_cast<int32_t>(d);
        // Rising half its flight brings it down again when the travel runs out. A shot
        // that does not move does not rise.
        shot.vspeed = shot.SP != 0 ? shot.counter / shot.SP / 2 : 0;
    }
}

}  // namespace

double bearing(int32_t x, int32_t y, int32_t tx, int32_t ty) {
    const double dx = static_cast<double>(static_cast<int64_t>(tx) - x);
    const double dy = static_cast<double>(static_cast<int64_t>(ty) - y);
    double a = 0;
    if (dy > 0) {
        a = engineAtan(dx / dy);
    } else if (dy < 0) {
        a = kPi - engineAtan(dx / -dy);
    } else if (dx > 0) {
        return kHalfPi;
    } else if (dx < 0) {
        return -kHalfPi + kTwoPi;
    }
    if (a < 0) a += kTwoPi;
    return a;
}

void fireWeapons(int32_t n) {
    for (int i = 0; i < 4; ++i) fireSlot(n, i);
}

void firePlayerWeapons(int32_t selector) {
    const bool manual = selector < 4;
    for (int i = 0; i < 4; ++i) {
        if ((i == weaponSel) != manual) continue;
        fireSlot(kPlayerSlot, i);
    }
}

int32_t spawnRemains(Entity record) {
    if (record.DEA == 0) return -1;
    // spawnEntity refuses a DEA outside the character table.
    const int32_t k = spawnEntity(record.DEA, record.side, 0, record.x, record.y, record.move, 0);
    if (k < 0) return k;
    Entity& remains = EntityTable[k];
    for (int i = 0; i < 4; ++i) {
        remains.aimX[i] = record.aimX[i];
        remains.aimY[i] = record.aimY[i];
    }
    remains.counter = kRemainsLife;
    return k;
}
