// The script tokenizer, loader and interpreter: any bytes as the first script, loaded and
// run for a fixed number of frames through the main loop's steps on the headless platform,
// by a player who clicks, presses keys and points at the offered buttons. A stage that the
// script starts is decided at once (won or lost by turns) and the script goes on, so that
// every command runs with whatever operands follow it. The loaded table must hold only
// zero-terminated tokens, with every row after the last token zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_loop.h"
#include "fuzz/game_folder.h"
#include "platform/headless_platform.h"
#include "script/script.h"

namespace {

constexpr int kFrames = 240;

void checkTable() {
    static const char kZeroRows[kScriptRows][kScriptRowSize] = {};
    int row = 0;
    while (row < kScriptRows && ScriptTable[row][0] != '\0') {
        if (std::memchr(ScriptTable[row], '\0', kScriptRowSize) == nullptr) std::abort();
        ++row;
    }
    if (row == 0) std::abort();  // a script always holds at least its "end"
    if (std::memcmp(ScriptTable[row], kZeroRows, sizeof kZeroRows - sizeof kZeroRows[0] * row) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeFuzzGameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    enterFuzzGameFolder();
    HeadlessPlatform headless;
    platform = &headless;
    resetGameState();
    // The weapon command saves the list: every input starts from the demo's.
    writeText("data/charlist.txt", fuzz_game::demoCharList);
    std::memcpy(CharTable, fuzz_game::demoTable, sizeof CharTable);
    writeText("data/advfile.dat", std::string(reinterpret_cast<const char*>(data), size));
    LoadScript("./data/advfile.dat");
    checkTable();
    for (int frame = 0; frame < kFrames; ++frame) {
        InputState = playerInput(frame);
        headless.frameStarted(++frameCount);
        musicKeepAlive();
        headless.sleepMs(kFrameSleepMs);
        runModeStep();
        if (GameMode == kShootingHandOver || GameMode == kBattleHandOver) {
            ScriptVars[0] = frame % 2;
            GameMode = kScriptMode;
        }
        if (static_cast<uint8_t>(ScriptPhase) > static_cast<uint8_t>(Phase::Release)) std::abort();
    }
    checkTable();
    closeSounds();
    platform = nullptr;
    leaveFuzzGameFolder();
    return 0;
}
