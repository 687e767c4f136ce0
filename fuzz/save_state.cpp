// The saved-state reader: an input is read as a state file, or as changes to a real state of
// the fuzz game (a few frames into a battle), so that inputs reach past the header and the
// compression into every field. The first byte says which: 0 the input itself is the file;
// 1 the rest are changes (three bytes of offset, one of value) to the state file; 2 the same
// to the uncompressed state, which is then packed as a file of this game. A state that is
// accepted is played for a few frames.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/save_state.h"
#include "fuzz/game_folder.h"
#include "platform/headless_platform.h"

namespace {

constexpr int kFramesPlayed = 4;
HeadlessPlatform* headless = nullptr;
std::vector<uint8_t> realFile;
std::vector<uint8_t> realPayload;

void playFrames(int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        InputState = playerInput(frame);
        headless->frameStarted(++frameCount);
        musicKeepAlive();
        headless->sleepMs(kFrameSleepMs);
        runModeStep();
        if (liveSlotEnd < 0 || liveSlotEnd > kEntityCount) std::abort();
    }
}

void applyChanges(std::vector<uint8_t>& bytes, const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 4 <= size && !bytes.empty(); i += 4) {
        const size_t at = (size_t{data[i]} << 16 | size_t{data[i + 1]} << 8 | data[i + 2]) % bytes.size();
        bytes[at] = data[i + 3];
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeFuzzGameFolder();
    enterFuzzGameFolder();
    static HeadlessPlatform made;
    headless = &made;
    platform = headless;
    resetGameState();
    std::memcpy(CharTable, fuzz_game::demoTable, sizeof CharTable);
    writeText("data/level1.txt", "50,1,2,3\n54,0,0,216,40,30,0\n");
    StageNumber = 1;
    GameMode = kBattleHandOver;
    playFrames(12);
    // The window is the game's 800 x 600, as every state requires.
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
    realFile = encodeGameState();
    realPayload = gameStatePayload();
    closeSounds();
    platform = nullptr;
    leaveFuzzGameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    enterFuzzGameFolder();
    platform = headless;
    resetGameState();
    std::vector<uint8_t> file;
    if (data[0] == 1) {
        file = realFile;
        applyChanges(file, data + 1, size - 1);
    } else if (data[0] == 2) {
        std::vector<uint8_t> payload = realPayload;
        applyChanges(payload, data + 1, size - 1);
        file = wrapGameStatePayload(payload.data(), payload.size(), gameStateFrame(realFile.data(), realFile.size()));
    } else {
        file.assign(data + 1, data + size);
    }
    std::string error;
    if (applyGameState(file.data(), file.size(), error)) {
        playFrames(kFramesPlayed);
    } else if (error.empty()) {
        std::abort();  // a refusal always says why
    }
    closeSounds();
    platform = nullptr;
    leaveFuzzGameFolder();
    return 0;
}
