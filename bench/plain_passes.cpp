#include "plain_passes.h"

#include <cstdint>

#include "battle/battle_draw.h"
#include "battle/battle_update.h"
#include "battle/collisions.h"
#include "platform/platform.h"
#include "platform/surface.h"
#include "shooting/shooting_draw.h"
#include "shooting/shooting_update.h"
#include "stage/scenery.h"
#include "stage/world.h"
#include "tests/support/plain_drawing.h"

namespace {

void plainShootingDraw() {
    plainScenery(shootMidScroll, shootNearScroll, shootGroundScroll, false);
    for (int32_t i = 0; i < kEntityCount; ++i) {
        const Entity& e = EntityTable[i];
        if (e.inUse != 1) continue;
        const bool reloading = e.cool[0] != 0;
        plainSprite(e.x, e.y, e.WID, e.HEI, reloading ? int64_t{e.LEF} + e.TAX : e.LEF,
                    reloading ? int64_t{e.TOP} + e.TAY : e.TOP);
    }
    drawOutcomeBanner();
    presentBackBuffer();
}

void plainBattleObject(const Entity& e, bool directional) {
    const int64_t frame = directional ? directionFrame(e.angle) : 0;
    plainSprite(int64_t{e.x} - e.WID / 2, int64_t{e.y} - e.z - e.HEI / 2, e.WID, e.HEI,
                e.LEF + int64_t{e.WID} * frame, e.TOP);
}

void plainBattleDraw() {
    plainScenery(battleMidScroll, battleNearScroll, battleGroundScroll, true);
    if (++battleBlink > 1) battleBlink = 0;
    for (int32_t n = 0; n < kEntityCount; ++n) {
        const Entity& e = EntityTable[n];
        if (e.inUse != 1 || !(battleBlink == 0 || e.guard <= 0)) continue;
        if (e.TYP == 2) plainBattleObject(e, false);
        if (e.TYP == 5) plainBattleObject(e, true);
    }
    for (int32_t n = 0; n < kEntityCount; ++n) {
        const Entity& e = EntityTable[n];
        if (e.inUse != 1 || !(battleBlink == 0 || e.guard <= 0) || e.TYP == 2 || e.TYP == 5) continue;
        plainBattleObject(e, e.TYP == 0 || e.TYP == 3 || e.TYP == 12 || e.TYP == 22);
    }
    drawOutcomeBanner();
    presentBackBuffer();
}

}  // namespace

void plainShootingFrame() {
    playerControl();
    for (int32_t i = 1; i < kEntityCount; ++i) moveObject(i);
    for (int32_t i = 0; i < kEntityCount; ++i) {
        for (int32_t j = 0; j < kEntityCount; ++j) shootingCollidePair(i, j);
    }
    decideStage();
    plainShootingDraw();
}

void plainBattleFrame() {
    advanceTrailTick();
    battleObjectPass();
    for (int32_t i = 0; i < kEntityCount; ++i) {
        if (EntityTable[i].inUse != 1) continue;
        for (int32_t j = 0; j < kEntityCount; ++j) {
            if (EntityTable[j].inUse == 1) collidePair(i, j);
        }
    }
    battleDecideStage();
    plainBattleDraw();
}
