// A running battle stage allocates nothing: every frame, with its searches, collisions,
// spawns and removals, works in the fixed tables, grid and surfaces made at start-up.
// Counts calls of operator new while frames run.
#include "battle/battle.h"
#include "battle_support.h"
#include "platform/surface.h"
#include "support/allocation_count.h"

namespace {

class BattleFrames : public BattleTest {};

}  // namespace

TEST_F(BattleFrames, AllocateNothing) {
    SilentPlatform silent;
    platform = &silent;
    for (int slot : {kBackBuffer, kCharSheet, kCharMask, kNearLayer, kMiddleLayer, kFarLayer, kNearMask, kMiddleMask})
        resizeSurface(SurfaceTable[slot], kScreenWidth, kScreenHeight, 0x112233);
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
    StageParams = StageParamsRecord{2, 0, 0, 32, 32, 500};
    CharTemplate& shot = defineTemplate(1, 1, 1, 1, 6, 4);
    shot.DEA = 3;
    defineTemplate(2, 10, 1, 1, 4, 4).DEA = 3;  // lobbed
    defineTemplate(3, 6, 50, 1, 0, 20);         // blast
    for (int row : {0, 4}) {
        CharTemplate& unit = defineTemplate(row, 0, row == 0 ? 1000000 : 3, 2, 2, 16);
        unit.DEA = 3;
        unit.WEP[0] = 1;
        unit.BLA[0] = 5;
        unit.LEN[0] = 200;
        unit.WEP[1] = 2;
        unit.BLA[1] = 9;
        unit.LEN[1] = 300;
    }
    defineTemplate(5, 2, 1000000, 0, 0, 24);  // block
    startStage();
    for (int k = 0; k < 300; ++k) place(4, k % 2, 40 + (k * 37) % 720, 40 + (k * 53) % 520, k % 34);
    for (int k = 0; k < 20; ++k) place(5, 1, 100 + k * 30, 300);
    InputState.keyZ = 1;
    InputState.arrowX = 1;

    battleUpdate();  // the first presentation sizes the window's copy
    battleDraw();
    const long before = allocations;
    for (int f = 0; f < 60; ++f) {
        battleUpdate();
        battleDraw();
    }
    EXPECT_EQ(allocations - before, 0);
    int live = 0;
    for (const Entity& e : EntityTable) live += e.inUse == 1;
    EXPECT_GT(live, 300);  // shots, blasts and marks were spawned meanwhile
}
