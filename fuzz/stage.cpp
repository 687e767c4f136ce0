// The stage file reader with spawning, and the stages it builds: an input is a stage file,
// optionally followed by a line "%%" and a character list to spawn from (the demo's when
// there is none). The file is run as a shooting stage and then as a battle stage, each for
// a few frames of the main loop's steps on the headless platform with a player who steers
// and fires; a decided stage ends at once, so that its ending runs too. No live entity may
// stand at or above liveSlotEnd.
//
// A run spawns at most kSpawnBudget objects besides the player; after that every spawn finds
// the table full, as a full table answers. Objects that fire objects that fire objects fill
// all 4096 slots within one frame, and every frame over a full table compares every pair of
// objects: seconds under the sanitizers, where a run should take milliseconds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_loop.h"
#include "fuzz/game_folder.h"
#include "platform/headless_platform.h"
#include "stage/charlist.h"

namespace {

constexpr int kFramesPerStage = 10;
constexpr int kSpawnBudget = 128;
int spawnsLeft = 0;

void checkEntities() {
    if (liveSlotEnd < 0 || liveSlotEnd > kEntityCount) std::abort();
    for (int slot = liveSlotEnd; slot < kEntityCount; ++slot)
        if (EntityTable[slot].inUse != 0) std::abort();
}

void playStage(HeadlessPlatform& headless, int8_t handOver) {
    StageNumber = 1;
    GameMode = handOver;
    spawnsLeft = kSpawnBudget;
    for (int frame = 0; frame < kFramesPerStage && GameMode != kScriptMode; ++frame) {
        InputState = playerInput(frame);
        headless.frameStarted(++frameCount);
        musicKeepAlive();
        headless.sleepMs(kFrameSleepMs);
        runModeStep();
        if (stageCountdown > 1) stageCountdown = 1;  // the banner's frames are all alike
        checkEntities();
    }
}

}  // namespace

// Every call of spawnEntity comes here: the harness is linked with --wrap for its name.
extern "C" int32_t __real__Z11spawnEntityiaiiiah(int32_t templateIndex, int8_t side, int32_t counter, int32_t x,
                                                 int32_t y, int8_t move, uint8_t intoSlot0);
extern "C" int32_t __wrap__Z11spawnEntityiaiiiah(int32_t templateIndex, int8_t side, int32_t counter, int32_t x,
                                                 int32_t y, int8_t move, uint8_t intoSlot0) {
    if (!intoSlot0) {
        if (spawnsLeft == 0) return -1;
        --spawnsLeft;
    }
    return __real__Z11spawnEntityiaiiiah(templateIndex, side, counter, x, y, move, intoSlot0);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeFuzzGameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.rfind("%%\n", 0) == 0 ? 0 : input.find("\n%%\n");
    enterFuzzGameFolder();
    HeadlessPlatform headless;
    platform = &headless;
    resetGameState();
    if (split == std::string::npos) {
        writeText("data/level1.txt", input);
        std::memcpy(CharTable, fuzz_game::demoTable, sizeof CharTable);
    } else {
        writeText("data/level1.txt", input.substr(0, split + (split > 0)));
        writeText("data/charlist.txt", input.substr(split + (split > 0) + 3));
        loadCharList();
    }
    playStage(headless, kShootingHandOver);
    resetGameState();
    playStage(headless, kBattleHandOver);
    closeSounds();
    platform = nullptr;
    leaveFuzzGameFolder();
    return 0;
}
