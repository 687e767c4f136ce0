// A running shooting stage allocates nothing: every frame works in the fixed tables, grid
// and surfaces made at start-up. Counts calls of operator new while frames run.
#include <gtest/gtest.h>

#include "platform/headless_platform.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "shooting/shooting.h"
#include "stage/spawn.h"
#include "stage_fixture.h"
#include "support/allocation_count.h"

TEST(ShootingFrames, AllocateNothing) {
    SilentPlatform silent;
    platform = &silent;
    for (int slot : {kBackBuffer, kCharSheet, kCharMask, kNearLayer, kMiddleLayer, kFarLayer, kNearMask, kMiddleMask})
        resizeSurface(SurfaceTable[slot], kScreenWidth, kScreenHeight, 0x112233);
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
    StageParams = StageParamsRecord{3, 0, 0, 32, 32, 500};
    CharTable[0] = makeRow(0, 32, 32, 1000000, 1, 4, 16);
    CharTable[0].WEP[0] = 1;
    CharTable[0].GRA = 1;
    CharTable[1] = makeRow(1, 8, 8, 1, 2, 10, 4);
    CharTable[2] = makeRow(0, 24, 24, 3, 2, 3, 12);
    CharTable[2].WEP[0] = 1;
    CharTable[2].DEA = 3;
    CharTable[2].SE = 4;
    CharTable[3] = makeRow(5, 16, 16, 1, 0, 2, 0);
    CharTable[4] = makeRow(2, 48, 48, 1000000, 1, 0, 24);
    resetShootingStage();
    for (int k = 0; k < 80; ++k)
        spawnEntity(2, 1, k % 66, 40 + (k * 37) % 720, 100 + (k * 53) % 300, static_cast<int8_t>(2 + k % 4), 0);
    spawnEntity(4, 1, 0, 64, 330, 0, 0);
    InputState.keyZ = 1;
    InputState.arrowX = 1;

    shootingUpdate();  // the first presentation sizes the window's copy
    shootingDraw();
    const long before = allocations;
    for (int f = 0; f < 60; ++f) {
        shootingUpdate();
        shootingDraw();
    }
    EXPECT_EQ(allocations - before, 0);
}
