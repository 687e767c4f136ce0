// What the harnesses share: one folder per process for the files they write, entered for
// each input and left after it (the fuzzer writes new corpus entries relative to its own
// folder); and for those that run the game, small pictures and sounds in it, a fresh game
// state for each input and a player whose input follows a fixed cycle, so that every input
// runs the same way each time.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/media.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "script/buttons.h"
#include "script/interpreter.h"
#include "script/presentation.h"
#include "stage/charlist.h"
#include "stage/world.h"
#include "support/test_files.h"

namespace fuzz_game {

inline int startFolder = -1;
inline std::string folder;
// The demo's character list as text, and the table it loads into.
inline std::string demoCharList;
inline CharTemplate demoTable[kTemplateCount];
// The surfaces as start-up loads them from the folder's pictures: copied back for each
// input, which is far quicker than decoding the pictures again.
inline Surface loadedSurfaces[kSurfaceCount];
inline SurfaceSource loadedSources[kSurfaceCount];

// Pixels of a w x h picture: coloured tiles with black between them, so that masks have
// both colours.
inline std::vector<uint32_t> tiles(int w, int h) {
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * w + x] = (x % 16 < 2 || y % 16 < 2) ? kBlack : 0x102030u * (1 + (x / 16 + y / 16) % 5);
    return pixels;
}

}  // namespace fuzz_game

// Makes this process's folder (bmp/, data/, wav/), in memory where the machine has
// /dev/shm (the character list's saves flush to the disk), removed when the fuzzer exits,
// and returns its path with the fuzzer's folder current again.
inline const std::string& makeFuzzFolder() {
    using namespace fuzz_game;
    startFolder = open(".", O_RDONLY | O_DIRECTORY);
    static TempGameFolder made(access("/dev/shm", W_OK) == 0 ? "/dev/shm/sortie-fuzz-XXXXXX"
                                                              : "/tmp/sortie-fuzz-XXXXXX");
    folder = made.path();
    if (fchdir(startFolder) != 0) std::abort();
    return folder;
}

inline void enterFuzzGameFolder() {
    if (chdir(fuzz_game::folder.c_str()) != 0) std::abort();
}

inline void leaveFuzzGameFolder() {
    if (fchdir(fuzz_game::startFolder) != 0) std::abort();
}

// Makes the folder with pictures far smaller than the game's (every frame draws them),
// short sounds and the demo's character list in data/, and loads the pictures and the list
// as start-up does. Returns with the fuzzer's folder current again.
inline void makeFuzzGameFolder() {
    using namespace fuzz_game;
    makeFuzzFolder();
    enterFuzzGameFolder();
    writeBmp("bmp/format.bmp", 80, 60, 24, tiles(80, 60));
    writeBmp("bmp/char.bmp", 320, 192, 24, tiles(320, 192));
    writeBmp("bmp/back1.bmp", 48, 24, 24, tiles(48, 24));
    writeBmp("bmp/back2.bmp", 8, 8, 8, tiles(8, 8));
    writeWav("wav/level1.wav", 40);
    writeWav("wav/se1.wav", 20);
    writeWav("wav/title.wav", 0);
    demoCharList = readWhole(SORTIE_SOURCE_DIR "/content/data/charlist.txt");
    writeText("data/charlist.txt", demoCharList);
    loadCharList();
    std::memcpy(demoTable, CharTable, sizeof CharTable);
    loadSurfaces();
    for (int slot = 0; slot < kSurfaceCount; ++slot) {
        loadedSurfaces[slot] = SurfaceTable[slot];
        loadedSources[slot] = SurfaceSources[slot];
    }
    if (demoCharList.empty()) std::abort();
    leaveFuzzGameFolder();
}

// The state a run of the game starts from: the pictures as start-up loads them, the
// script's screen and buttons empty, no music, the generator seeded, frame 0, nothing
// pressed. The window is as small as the pictures, so that presenting stays cheap.
inline void resetGameState() {
    seedRandom(1);
    for (int slot = 0; slot < kSurfaceCount; ++slot) {
        SurfaceTable[slot] = fuzz_game::loadedSurfaces[slot];
        SurfaceSources[slot] = fuzz_game::loadedSources[slot];
    }
    resizeSurface(windowDC, 80, 60, kWhite);
    frameCount = 0;
    InputState = InputValues{};
    GameMode = kScriptMode;
    ScriptPhase = Phase::Execute;
    std::memset(ButtonTable, 0, sizeof ButtonTable);
    ButtonCount = 0;
    ShownButtonCount = 0;
    BlinkToggle = kBlinkShow;
    std::memset(TextSlots, 0, sizeof TextSlots);
    std::memset(PictureName, 0, sizeof PictureName);
    std::memset(LastWav2Name, 0, sizeof LastWav2Name);
    std::memset(BgmFileName, 0, sizeof BgmFileName);
    StageParams = StageParamsRecord{};
    stageCountdown = -1;
    stageResult = 0;
}

// Closes both sound aliases, so the next input starts with none open.
inline void closeSounds() {
    sendMediaCommand("close BGM", "", "", "", "", MciReply);
    sendMediaCommand("close SHOTVOX", "", "", "", "", MciReply);
}

// The player of frame `frame`: clicks every eighth frame, presses Z for four frames in
// sixteen, X for two in twelve, steers through all arrow directions, and points at the
// offered buttons in turn (elsewhere on the screen when none is offered).
inline InputValues playerInput(int frame) {
    InputValues in{};
    in.buttonL = frame % 8 == 4;
    in.buttonR = frame % 10 == 7;
    in.keyZ = frame % 16 >= 8 && frame % 16 < 12;
    in.keyX = frame % 12 < 2;
    in.arrowX = (frame / 4) % 3 - 1;
    in.arrowY = (frame / 6) % 3 - 1;
    if (ShownButtonCount > 0) {
        const Button& b = ButtonTable[(frame / 8) % ShownButtonCount];
        in.mouseX = static_cast<int32_t>(static_cast<uint32_t>(b.x) + 6u & 0xFFFF);
        in.mouseY = static_cast<int32_t>(static_cast<uint32_t>(b.y) + 6u & 0xFFFF);
    } else {
        in.mouseX = (frame * 97) % kScreenWidth;
        in.mouseY = (frame * 61) % kScreenHeight;
    }
    return in;
}
