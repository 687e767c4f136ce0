#include "stage/charlist.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/data_file.h"
#include "platform/player_folder.h"
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

// Where the player's copy lives and what records its origin, in the player's folder.
constexpr char kPlayerList[] = "data/charlist.txt";
constexpr char kPlayerListOrigin[] = "data/charlist.origin";
constexpr char kSetAsidePattern[] = "data/charlist-set-aside-%d.txt";
constexpr int kSetAsideNames = 1000;
constexpr int kPathSize = kPlayerFolderSize + 64;
constexpr int kOriginSize = 64;

// The game's list that the table was loaded from, as the player's folder records it: what
// a player's copy must come from to be read instead of it.
char gameListOrigin[kOriginSize] = "";
// The player's folder already records gameListOrigin: a save need not write it again.
bool originRecorded = false;
// A player's copy that could not be set aside: a save would overwrite it, so none is made.
bool savesHeld = false;
// The player's copy the table was loaded from; empty when it came from the game's list.
char loadedCopy[kPathSize] = "";

bool inPlayerFolder(char (&path)[kPathSize], const char* name) {
    return std::snprintf(path, sizeof path, "%s/%s", PlayerFolder, name) < static_cast<int>(sizeof path);
}

// The origin line of the list `file` reads (null: none), from its bytes; then returns to
// where it stood (past a byte-order mark, which the opening skipped).
void describeOrigin(std::FILE* file, char (&origin)[kOriginSize]) {
    uint64_t hash = kHashStart;
    long long size = 0;
    if (file) {
        const long start = std::ftell(file);
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0; size += static_cast<long long>(got))
            hash = hashBytes(buffer, got, hash);
        std::clearerr(file);
        std::fseek(file, start < 0 ? 0 : start, SEEK_SET);
    }
    std::snprintf(origin, sizeof origin, "game list %016llx %lld bytes\n", static_cast<unsigned long long>(hash),
                  file ? size : -1LL);
}

bool originMatches(const char* path) {
    char recorded[kOriginSize] = "";
    std::FILE* file = openTextFile(path);
    if (!file) return false;
    const size_t got = std::fread(recorded, 1, sizeof recorded - 1, file);
    std::fclose(file);
    recorded[got] = '\0';
    return std::strcmp(recorded, gameListOrigin) == 0;
}

// Renames the player's copy at `list` out of the way, under the first free set-aside name,
// and says so; a copy that cannot be moved holds every save back instead.
void setAside(const char* list, const char* why) {
    char aside[kPathSize];
    errno = EEXIST;  // what stands when every name is taken
    for (int n = 1; n <= kSetAsideNames; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, kSetAsidePattern, n);
        if (!inPlayerFolder(aside, name) || somethingAt(aside)) continue;
        if (std::rename(list, aside) != 0) break;
        std::fprintf(stderr, "sortie: the player's character list %s %s; it is set aside as %s and the game's own list "
                             "is used\n", list, why, aside);
        return;
    }
    std::fprintf(stderr, "sortie: the player's character list %s %s, and it cannot be set aside (%s); the game's own "
                         "list is used and weapon changes are not saved\n", list, why, std::strerror(errno));
    savesHeld = true;
}

// The player's copy of the list when it was saved from the game's current one; null when
// there is none, or it was set aside.
std::FILE* openPlayerCopy() {
    char list[kPathSize], origin[kPathSize];
    if (!inPlayerFolder(list, kPlayerList) || !inPlayerFolder(origin, kPlayerListOrigin)) return nullptr;
    originRecorded = originMatches(origin);
    // A player's folder that is the game folder (or holds a link to its list) would put
    // the author's own list in the copy's place: it is never read, set aside or written.
    char game[kNameSize];
    buildName(game);
    if (sameFile(list, game)) {
        std::fprintf(stderr, "sortie: the player's character list %s is the game's own list; weapon changes are not "
                             "saved\n", list);
        savesHeld = true;
        return nullptr;
    }
    FileState state;
    std::FILE* copy = openTextFile(list, &state);
    if (state == FileState::Missing) return nullptr;
    if (copy && originRecorded) {
        std::snprintf(loadedCopy, sizeof loadedCopy, "%s", list);
        return copy;
    }
    if (copy) std::fclose(copy);
    const std::string why = copy ? "was saved from another version of the game's list"
                                 : fileStateText(state, kTextFileLimit);
    setAside(list, why.c_str());
    return nullptr;
}

bool writeTableTo(std::FILE* file, const void*) { return writeTable(file); }

bool writeOrigin(std::FILE* file, const void*) { return std::fputs(gameListOrigin, file) >= 0; }

void reportFailedSave(const char* step, const char* path, int error) {
    std::fprintf(stderr, "sortie: the character list was not saved: %s %s (%s); the game goes on, and the change "
                         "lasts until it ends\n", step, path, std::strerror(error));
}

// Writes the player's copy through `write`, beside the origin of the game's list: false,
// with one line on stderr, when it could not be written.
bool storePlayerCopy(bool (*write)(std::FILE* file, const void* context), const void* context) {
    char data[kPathSize], list[kPathSize], origin[kPathSize];
    if (!inPlayerFolder(data, "data") || !inPlayerFolder(list, kPlayerList) ||
        !inPlayerFolder(origin, kPlayerListOrigin))
        return reportFailedSave("cannot name", PlayerFolder, ENAMETOOLONG), false;
    if (!makeFolders(data)) return reportFailedSave("cannot make the folder", data, errno), false;
    if (gameListOrigin[0] == '\0') {  // saved before any load: the table is the game's
        char name[kNameSize];
        buildName(name);
        std::FILE* file = openTextFile(name);
        describeOrigin(file, gameListOrigin);
        if (file) std::fclose(file);
    }
    // The origin goes first: a kill between the two leaves it beside no copy or beside a
    // copy of the same game list, and either reads as it should.
    WriteFailure failure;
    if (!originRecorded) {
        if (!replaceDataFile(origin, writeOrigin, nullptr, &failure))
            return reportFailedSave(failure.step, failure.file, failure.error), false;
        originRecorded = true;
    }
    if (!replaceDataFile(list, write, context, &failure))
        return reportFailedSave(failure.step, failure.file, failure.error), false;
    return true;
}


}  // namespace

void loadCharList() {
    char name[kNameSize];
    buildName(name);
    FileState state;
    std::FILE* file = openTextFile(name, &state);
    reportTextFileTrouble(name, state);
    gameListOrigin[0] = '\0';
    originRecorded = false;
    savesHeld = false;
    loadedCopy[0] = '\0';
    if (PlayerFolder[0] != '\0') {
        describeOrigin(file, gameListOrigin);
        if (std::FILE* copy = openPlayerCopy()) {
            if (file) std::fclose(file);
            file = copy;
        }
    }
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
    if (PlayerFolder[0] != '\0' && !savesHeld) storePlayerCopy(writeTableTo, nullptr);
}

const char* loadedPlayerCopy() { return loadedCopy[0] != '\0' ? loadedCopy : nullptr; }

bool givePlayerCopy(const std::string& text) {
    return PlayerFolder[0] != '\0' && storePlayerCopy(writeTextContext, &text);
}
