#include "stage/charlist.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/data_file.h"
#include "platform/file_report.h"
#include "stage/data_line.h"
#include "stage/world.h"

namespace {

constexpr char kCharListFile[] = "./data/charlist.txt";
constexpr char kHeader[] = "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN";
constexpr int kNameSize = 160;
constexpr int kLastWeapon = 3;

void buildName(char (&name)[kNameSize]) { std::snprintf(name, sizeof name, "./%s", kCharListFile); }

// First weapon slot without a weapon; once 0..2 are taken, every further line rewrites 3.
int freeWeaponSlot(const CharTemplate& t) {
    for (int j = 0; j < kLastWeapon; ++j) {
        if (t.WEP[j] == 0) return j;
    }
    return kLastWeapon;
}

}  // namespace

int storeCharListLine(const DataLine& line) {
    const int32_t* v = line.value;
    if (!line.hasSeparator || v[0] < 0 || v[0] >= kTemplateCount) return -1;
    CharTemplate& t = CharTable[v[0]];
    const int j = freeWeaponSlot(t);

    t.inUse = 1;
    t.side = 0;
    t.x = t.y = t.z = 0;
    t.cool[0] = 0;
    t.move = 0;
    t.vspeed = 0;

    t.LEF = v[1];
    t.TOP = v[2];
    t.WID = v[3];
    t.HEI = v[4];
    t.HP = v[5];
    t.BP = v[6];
    t.SP = v[7];
    t.SIZ = v[8];
    t.WEP[j] = static_cast<int8_t>(v[9]);
    t.BLA[j] = v[10];
    t.TYP = static_cast<int8_t>(v[11]);
    t.SE = static_cast<int8_t>(v[12]);
    t.DEA = static_cast<int8_t>(v[13]);
    t.TAX = static_cast<int8_t>(v[14]);
    t.TAY = static_cast<int8_t>(v[15]);
    t.GRA = static_cast<int8_t>(v[16]);
    t.LEN[j] = v[17];

    t.goalX = kNoTarget;
    return j;
}

namespace {

// A comma and the value in its three-character column.
bool writeField(std::FILE* file, int32_t v) {
    if (v >= 0 && v <= 999) return std::fprintf(file, ",%03d", v) > 0;
    if (v >= -99 && v < 0) return std::fprintf(file, ",-%02d", -v) > 0;
    return std::fprintf(file, ",%d", v) > 0;  // too wide: in full, so a reload reads it back
}

bool writeWeaponLine(std::FILE* file, int number, const CharTemplate& t, int k) {
    const int32_t columns[] = {t.LEF, t.TOP, t.WID, t.HEI, t.HP, t.BP,  t.SP,  t.SIZ, t.WEP[k],
                               t.BLA[k], t.TYP, t.SE, t.DEA, t.TAX, t.TAY, t.GRA, t.LEN[k]};
    bool ok = std::fprintf(file, "%03d", number) > 0;
    for (int32_t v : columns) ok = writeField(file, v) && ok;
    return std::fputc('\n', file) != EOF && ok;
}

bool writeTable(std::FILE* file) {
    bool ok = std::fprintf(file, "%s\n", kHeader) > 0;
    for (int i = 0; i < kTemplateCount; ++i) {
        const CharTemplate& t = CharTable[i];
        if (t.inUse != 1) continue;
        ok = writeWeaponLine(file, i, t, 0) && ok;
        for (int k = 1; k <= kLastWeapon && t.WEP[k] > 0; ++k) ok = writeWeaponLine(file, i, t, k) && ok;
    }
    return std::fprintf(file, "%s\n", kHeader) > 0 && ok;
}

}  // namespace

void loadCharList() {
    char name[kNameSize];
    buildName(name);
    FileState state;
    std::FILE* file = openTextFile(name, &state);
    reportTextFileTrouble(name, state);
    loadCharListFrom(file);
    if (file) std::fclose(file);
}

void loadCharListFrom(std::FILE* file) {
    std::memset(CharTable, 0, sizeof CharTable);
    if (!file) return;
    DataLine line;
    while (readDataLine(file, line)) storeCharListLine(line);
}

void saveCharList() {
    char name[kNameSize];
    buildName(name);
    // Written beside the old file, on the disk before it is renamed over the old one, and the
    // rename itself on the disk before the game goes on: a full disk, a kill or a power cut
    // at any moment leaves either the old table or the new one, never a part of either.
    char temp[kNameSize + 4];
    std::snprintf(temp, sizeof temp, "%s.tmp", name);
    std::FILE* file = createDataFile(temp);
    if (!file) return;
    const bool written = writeTable(file) && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temp, name) != 0) {
        std::remove(temp);
        return;
    }
    char folder[kNameSize];
    std::snprintf(folder, sizeof folder, "%s", name);
    *std::strrchr(folder, '/') = '\0';
    const int folderFd = open(folder, O_RDONLY | O_DIRECTORY);
    if (folderFd < 0) return;
    fsync(folderFd);
    close(folderFd);
}
