// The character list: any bytes as ./data/charlist.txt, loaded, saved to the player's folder
// and loaded again from the player's copy. The reloaded table must be the loaded one as the
// file format keeps it: every loaded row, its shared columns and its weapon slots up to the
// first further slot whose WEP is 0 or less (the save ends a row's lines there), everything
// else zero. A second save and load must then give the reloaded table again, byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/game_folder.h"
#include "platform/player_folder.h"
#include "stage/charlist.h"
#include "stage/world.h"

namespace {

CharTemplate loaded[kTemplateCount];
CharTemplate kept[kTemplateCount];
CharTemplate reloaded[kTemplateCount];

// The table a save of `table` describes.
void keptBySave(const CharTemplate* table, CharTemplate* out) {
    std::memcpy(out, table, sizeof loaded);
    for (int i = 0; i < kTemplateCount; ++i) {
        CharTemplate& t = out[i];
        int k = 1;
        while (k < 4 && t.WEP[k] > 0) ++k;
        for (; k < 4; ++k) t.WEP[k] = t.BLA[k] = t.LEN[k] = 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeFuzzFolder();
    setPlayerFolder("player");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    enterFuzzGameFolder();
    writeText("data/charlist.txt", std::string(reinterpret_cast<const char*>(data), size));
    // Each input is a new game's list with no player's copy yet.
    std::remove("player/data/charlist.txt");
    std::remove("player/data/charlist.origin");
    loadCharList();
    std::memcpy(loaded, CharTable, sizeof CharTable);
    saveCharList();
    loadCharList();
    std::memcpy(reloaded, CharTable, sizeof CharTable);
    keptBySave(loaded, kept);
    if (std::memcmp(kept, reloaded, sizeof kept) != 0) std::abort();
    saveCharList();
    loadCharList();
    if (std::memcmp(reloaded, CharTable, sizeof CharTable) != 0) std::abort();
    if (readWhole("data/charlist.txt") != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
    leaveFuzzGameFolder();
    return 0;
}
