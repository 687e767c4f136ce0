#include "stage/world.h"

#include <cstring>

#include "stage/entity_grid.h"

CharTemplate CharTable[kTemplateCount];
Entity EntityTable[kEntityCount];
int32_t liveSlotEnd;

StageParamsRecord StageParams;
int32_t opponentsLeft;
int32_t stageCountdown;
uint8_t stageResult;
int32_t weaponSel;
uint8_t StageNumber;
int8_t GameMode = kScriptMode;

void clearEntityTable() {
    std::memset(EntityTable, 0, sizeof EntityTable);
    liveSlotEnd = 0;
    gridDrop();
}

void noteSlotLive(int slot) {
    if (slot >= liveSlotEnd) liveSlotEnd = slot + 1;
}
