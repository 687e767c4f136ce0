#include "shooting/shooting.h"

#include "stage/spawn.h"
#include "stage/world.h"

namespace {
constexpr int32_t kPlayerStartX = 64;
constexpr int32_t kPlayerStartY = 288;
}  // namespace

void resetShootingStage() {
    clearEntityTable();
    spawnEntity(0, 0, 0, kPlayerStartX, kPlayerStartY, 0, 1);
    stageCountdown = -1;
}
