#include "stage/stage_file.h"

void loadStage(int8_t /*stageNumber*/) {}
