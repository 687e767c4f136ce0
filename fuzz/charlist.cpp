// The character list: any bytes as ./data/charlist.txt, loaded, saved and loaded again. The
// reloaded table must be the loaded one as the file format keeps it: every loaded row, its
// shared columns and its weapon slots up to the first further slot whose WEP is 0 or less
// (the save ends a row's lines there), everything else zero. A second save and load must
// then give the reloaded table again, byte for byte.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "stage/charlist.h"
#include "stage/world.h"
#include "support/test_files.h"

namespace {

CharTemplate loaded[kTemplateCount];
CharTemplate kept[kTemplateCount];
CharTemplate reloaded[kTemplateCount];
int startFolder = -1;
std::string folder;

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
    startFolder = open(".", O_RDONLY | O_DIRECTORY);
    // In memory where the machine has /dev/shm: every save flushes to the disk.
    static TempGameFolder made(access("/dev/shm", W_OK) == 0 ? "/dev/shm/sortie-fuzz-XXXXXX"
                                                              : "/tmp/sortie-fuzz-XXXXXX");
    folder = made.path();
    return fchdir(startFolder);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (chdir(folder.c_str()) != 0) std::abort();
    writeText("data/charlist.txt", std::string(reinterpret_cast<const char*>(data), size));
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
    if (fchdir(startFolder) != 0) std::abort();
    return 0;
}
