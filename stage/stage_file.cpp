#include "stage/stage_file.h"

#include <cstdio>

#include "platform/data_file.h"
#include "platform/file_report.h"
#include "platform/media.h"
#include "platform/surface.h"
#include "stage/data_line.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

bool loadBackground(int slot, int32_t number) {
    char name[kTextSize];
    backgroundFileName(number, name);
    return loadBitmapInto(slot, name);
}

// A mask slot whose file is missing keeps the mask it already holds; masking it again would
// invert it.
void loadMask(int slot, int32_t number) {
    if (loadBackground(slot, number)) buildMask(slot);
}

void setParams(const int32_t* p) {
    StageParams.scrollSpeed = p[0];
    StageParams.groundSrcX = p[1];
    StageParams.groundSrcY = p[2];
    StageParams.groundWidth = p[3];
    StageParams.groundHeight = p[4];
    StageParams.groundTop = p[5];
}

void runCommand(const int32_t* v) {
    switch (v[0]) {
    case kSceneryCommand:
        loadBackground(kNearLayer, v[1]);
        loadBackground(kMiddleLayer, v[2]);
        loadBackground(kFarLayer, v[3]);
        loadMask(kNearMask, v[1]);
        loadMask(kMiddleMask, v[2]);
        setParams(v + 1);
        break;
    case kSpawnCommand:
        spawnEntity(v[1], static_cast<int8_t>(v[2]), v[3], v[4], v[5], static_cast<int8_t>(v[6]),
                    static_cast<uint8_t>(v[7]));
        break;
    case kParamsCommand: setParams(v + 1); break;
    case kMusicCommand:
        stageMusicName(v[1], BgmFileName);
        restartMusic();
        break;
    default: break;
    }
}

}  // namespace

void stageFileName(int8_t stageNumber, char (&name)[kTextSize]) {
    std::snprintf(name, sizeof name, "./%s%d.txt", "./data/level", static_cast<int>(stageNumber));
}

void backgroundFileName(int32_t number, char (&name)[kTextSize]) {
    std::snprintf(name, sizeof name, "%s%d.bmp", "./bmp/back", static_cast<int>(number));
}

void stageMusicName(int32_t number, char (&name)[kTextSize]) {
    std::snprintf(name, sizeof name, "./%s%d.wav", "./wav/level", static_cast<int>(number));
}

void loadStage(int8_t stageNumber) {
    char name[kTextSize];
    stageFileName(stageNumber, name);
    FileState state;
    std::FILE* file = openTextFile(name, &state);
    reportTextFileTrouble(name, state);
    if (!file) return;
    runStageFile(file);
    std::fclose(file);
}

void runStageFile(std::FILE* file) {
    DataLine line;
    while (readDataLine(file, line)) {
        if (line.hasSeparator) runCommand(line.value);
    }
}
