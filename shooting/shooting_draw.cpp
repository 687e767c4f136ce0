#include "shooting/shooting_draw.h"

#include "platform/surface.h"
#include "shooting/shooting.h"
#include "shooting/shooting_update.h"
#include "stage/scenery.h"
#include "stage/world.h"

int32_t shootMidScroll;
int32_t shootNearScroll;
int32_t shootGroundScroll;

namespace {

constexpr int32_t kLayerPeriod = 800;  // the scenery pictures are one screen wide

void drawObjects() {
    // In slot order, so the player is drawn first and everything else covers it.
    for (int32_t i = 0; i < liveSlotEnd; ++i) {
        const Entity& e = EntityTable[i];
        if (e.inUse != 1) continue;
        int32_t sx = e.LEF;
        int32_t sy = e.TOP;
        if (e.cool[0] != 0) {  // the alternate frame while the weapon reloads
            sx = wrapAdd(sx, e.TAX);
            sy = wrapAdd(sy, e.TAY);
        }
        drawSprite(e.x, e.y, e.WID, e.HEI, sx, sy);
    }
}

}  // namespace

void shootingDraw() {
    const int32_t speed = StageParams.scrollSpeed;
    shootMidScroll = advanceScroll(shootMidScroll, speed / 2, kLayerPeriod);
    shootNearScroll = advanceScroll(shootNearScroll, speed, kLayerPeriod);
    // The opaque ground covers its band whole, so the layers need not be drawn under it.
    drawLayers(shootMidScroll, shootNearScroll, opaqueGroundTop());
    shootGroundScroll = advanceScroll(shootGroundScroll, speed, StageParams.groundWidth);
    drawGroundTiles(shootGroundScroll, false);
    drawObjects();
    drawOutcomeBanner();
    presentBackBuffer();
}
