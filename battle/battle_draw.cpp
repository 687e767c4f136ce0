#include "battle/battle_draw.h"

#include "battle/battle.h"
#include "platform/surface.h"
#include "stage/scenery.h"
#include "stage/world.h"

int32_t battleMidScroll;
int32_t battleNearScroll;
int32_t battleGroundScroll;
int32_t battleBlink;

namespace {

// Odd multiples of pi/8 from the stage's rounded pi; frame f shows headings below bound f.
constexpr double kFrameBounds[8] = {
    0.39269908169872375, 1.1780972450961713, 1.9634954084936187, 2.7488935718910663,
    3.5342917352885137,  4.3196898986859615, 5.105088062083409,  5.890486225480856,
};

// Centred on (x, y - z): lobbed shots show lifted by their height.
void drawObject(const Entity& e, bool directional) {
    const int64_t frame = directional ? directionFrame(e.angle) : 0;
    const int64_t left = static_cast<int64_t>(e.x) - e.WID / 2;
    const int64_t top = static_cast<int64_t>(e.y) - e.z - e.HEI / 2;
    drawSprite(left, top, e.WID, e.HEI, e.LEF + static_cast<int64_t>(e.WID) * frame, e.TOP);
}

// Objects under guard show only on the frames where the blink is 0.
bool visible(const Entity& e) { return e.inUse == 1 && (battleBlink == 0 || e.guard <= 0); }

// Blocks and marks lie on the ground, under every other object whatever the slots.
void drawGroundLevel() {
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        const Entity& e = EntityTable[n];
        if (!visible(e)) continue;
        if (e.TYP == 2) {
            drawObject(e, false);
        } else if (e.TYP == 5) {
            drawObject(e, true);
        }
    }
}

void drawObjects() {
    for (int32_t n = 0; n < liveSlotEnd; ++n) {
        const Entity& e = EntityTable[n];
        if (!visible(e)) continue;
        switch (e.TYP) {
        case 2: case 5: break;
        case 0: case 3: case 12: case 22: drawObject(e, true); break;
        default: drawObject(e, false); break;
        }
    }
}

}  // namespace

int directionFrame(double angle) {
    for (int f = 0; f < 8; ++f) {
        if (angle < kFrameBounds[f]) return f;
    }
    return 0;
}

void battleDraw() {
    battleMidScroll = advanceScroll(battleMidScroll, StageParams.scrollSpeed / 2, kScreenWidth);
    battleNearScroll = advanceScroll(battleNearScroll, StageParams.scrollSpeed, kScreenWidth);
    drawLayers(battleMidScroll, battleNearScroll, kScreenHeight);
    battleGroundScroll = advanceScroll(battleGroundScroll, StageParams.scrollSpeed, StageParams.groundWidth);
    drawGroundTiles(battleGroundScroll, true);  // black parts of the tiles let the layers show
    if (++battleBlink > 1) battleBlink = 0;
    drawGroundLevel();
    drawObjects();
    drawOutcomeBanner();
    presentBackBuffer();
}
