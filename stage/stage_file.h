// Stage files: the numbered commands that set the scenery, the stage parameters and the
// music and place every object of a stage.
#pragma once
#include <cstdint>

// Reads and runs ./data/level<N>.txt, N taken as a signed byte.
void loadStage(int8_t stageNumber);
