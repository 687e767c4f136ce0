#include <cstdio>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "stage/data_line.h"
#include "stage/scenery.h"
#include "stage/spawn.h"
#include "stage/stage_file.h"
#include "stage/world.h"
#include "tools/check/checker.h"

namespace {

constexpr int kStageFields = 8;  // the code and up to seven numbers
constexpr int kParamCount = 6;
constexpr int kTrailTemplate = 63;
constexpr int kDirectionFrames = 8;
constexpr int8_t kBlockKind = 2;
constexpr char kReadyScreen[] = "./bmp/zyunbi.bmp";
constexpr const char* kStageSounds[] = {"./wav/shot00.wav", "./wav/mehit.wav", "./wav/win.wav", "./wav/lost.wav"};

constexpr const char* kSceneryNames[kStageFields] = {"command code", "near background", "middle background",
                                                      "far background", "groundWidth", "groundHeight",
                                                      "groundTop", "field 7"};
constexpr const char* kSpawnNames[kStageFields] = {"command code", "template", "side", "counter",
                                                    "x", "y", "move", "into-slot-0"};
constexpr const char* kParamsNames[kStageFields] = {"command code", "scrollSpeed", "groundSrcX", "groundSrcY",
                                                     "groundWidth", "groundHeight", "groundTop", "field 7"};
constexpr const char* kMusicNames[kStageFields] = {"command code", "music", "field 2", "field 3",
                                                    "field 4", "field 5", "field 6", "field 7"};

enum Param { kScrollSpeed, kGroundSrcX, kGroundSrcY, kGroundWidth, kGroundHeight, kGroundTop };

// A name the game builds with "./" in front of a path that has one: shown with one.
std::string gameName(const std::string& built) { return "./" + shownPath(built); }

struct Spawn {
    int line;
    int32_t templateNumber;
    int8_t side;
    int8_t move;
    bool intoSlot0;
};

// A stage file as loadStage reads it.
struct StageFile {
    FileState state = FileState::Missing;
    bool exists = false;  // opened and read
    std::string name;
    std::vector<Spawn> spawns;
    bool hasParams = false;
    int paramsLine = 0;
    int32_t params[kParamCount] = {};
};

// Shooting-stage movement patterns that fire the object's first weapon.
bool firesInShooting(int8_t move) { return move >= 3 && move <= 5; }

// Battle kinds that fire every weapon on their cycle.
bool isBattleUnit(int8_t typ) { return typ == 0 || typ == 3; }

// Battle kinds that are removed at some point (hit, run out of time or travel), leaving remains.
bool leavesRemainsInBattle(int8_t typ) {
    switch (typ) {
    case 0: case 1: case 3: case 5: case 6: case 7: case 10: case 11: case 12: case 13:
    case 20: case 21: case 22: case 23: return true;
    default: return false;
    }
}

bool countsAsOpponent(StageKind kind, int8_t typ) {
    if (kind == StageKind::Shooting) return typ != 1 && typ != 2;
    switch (typ) {
    case 1: case 2: case 5: case 6: case 7: case 10: case 11: case 12: case 13:
    case 20: case 21: case 22: case 23: return false;
    default: return true;
    }
}

// Battle kinds drawn with one of eight direction frames side by side.
bool hasDirectionFrames(int8_t typ) { return typ == 0 || typ == 3 || typ == 5 || typ == 12 || typ == 22; }

bool isLobbed(int8_t typ) { return typ == 10 || typ == 20; }

const char* kindName(StageKind kind) { return kind == StageKind::Shooting ? "shooting stage" : "battle stage"; }

class StageCheck {
public:
    explicit StageCheck(CheckContext& c) : c_(c) {}
    void run();

private:
    const StageFile& file(int8_t number);
    void readLine(StageFile& f, const Place& at, const DataLine& line, bool& seen54);
    void checkKind(const StageFile& f, const StageUse& use);
    void checkRect(const Place& at, const std::string& what, int64_t x, int64_t y, int64_t w, int64_t h, bool masked);

    CheckContext& c_;
    std::map<int8_t, StageFile> files_;
};

void StageCheck::checkRect(const Place& at, const std::string& what, int64_t x, int64_t y, int64_t w, int64_t h,
                           bool masked) {
    if (!c_.sheetReadable || w <= 0 || h <= 0) return;
    const std::string rect = "(" + std::to_string(x) + ", " + std::to_string(y) + ") " + std::to_string(w) +
                             " x " + std::to_string(h);
    if (x < 0 || y < 0 || x + w > c_.sheetWidth || y + h > c_.sheetHeight) {
        c_.report.error(at, what + " " + rect + " lies outside the character sheet (" +
                                std::to_string(c_.sheetWidth) + " x " + std::to_string(c_.sheetHeight) + ")");
    } else if (masked && (x + w > kScreenWidth || y + h > kScreenHeight)) {
        c_.report.error(at, what + " " + rect +
                                " lies outside the top-left 800 x 600 of the character sheet, which alone has a mask");
    }
}

void StageCheck::readLine(StageFile& f, const Place& at, const DataLine& line, bool& seen54) {
    if (!line.hasSeparator) {
        checkIgnoredLine(c_, at, line);
        return;
    }
    const int32_t* v = line.value;
    if (fieldView(line, 0).empty) {
        bool data = false;
        for (int k = 1; k < line.fieldCount && k < kLineFields; ++k) data = data || !fieldView(line, k).empty;
        if (data)
            c_.report.warning(at, "the line begins with a separator, so its command code reads as 0: it is ignored");
        return;
    }
    const char* const* names = nullptr;
    int used = 0;
    switch (v[0]) {
    case kSceneryCommand: names = kSceneryNames, used = 7; break;
    case kSpawnCommand: names = kSpawnNames, used = 8; break;
    case kParamsCommand: names = kParamsNames, used = 7; break;
    case kMusicCommand: names = kMusicNames, used = 2; break;
    default:
        c_.report.warning(at, "command code " + std::to_string(v[0]) + " is not 50, 53, 54 or 61: the line is ignored");
        return;
    }
    checkLineForm(c_, at, line, names, used, kStageFields);

    switch (v[0]) {
    case kSceneryCommand:
        for (int k = 1; k <= 3; ++k) {
            char name[kTextSize];
            backgroundFileName(v[k], name);
            const std::string problem = pictureProblem(c_.disk.picture(name));
            if (!problem.empty()) c_.report.error(at, std::string("background ") + quoted(name) + " " + problem);
        }
        if (seen54)
            c_.report.warning(at, "this 50 line comes after a 54 line: its own fields replace the stage parameters");
        [[fallthrough]];
    case kParamsCommand:
        for (int k = 0; k < kParamCount; ++k) f.params[k] = v[1 + k];
        f.hasParams = true;
        f.paramsLine = at.line;
        seen54 = seen54 || v[0] == kParamsCommand;
        break;
    case kSpawnCommand: {
        const int32_t t = v[1];
        if (t < 0 || t >= kTemplateCount) {
            c_.report.error(at, "template " + std::to_string(t) + " is outside 0 to 127: nothing is spawned");
            break;
        }
        if (CharTable[t].inUse == 0)
            c_.report.error(at, "template " + std::to_string(t) + " names a row that the character list never loads");
        f.spawns.push_back({at.line, t, static_cast<int8_t>(v[2]), static_cast<int8_t>(v[6]), v[7] != 0});
        break;
    }
    case kMusicCommand: {
        char music[kTextSize];
        stageMusicName(v[1], music);
        const std::string problem = soundProblem(c_.disk.sound(std::string("./") + music), WaveUse::Music);
        if (!problem.empty()) c_.report.error(at, "music " + quoted(gameName(music)) + " " + problem);
        break;
    }
    default: break;
    }
}

const StageFile& StageCheck::file(int8_t number) {
    auto it = files_.find(number);
    if (it != files_.end()) return it->second;
    StageFile& f = files_[number];
    char name[kTextSize];
    stageFileName(number, name);
    f.name = name;
    bool byteOrderMark = false;
    std::FILE* in = openTextFile(name, &f.state, &byteOrderMark);
    if (!in) return f;
    f.exists = true;
    c_.report.noteFile(name);
    if (byteOrderMark) c_.report.warning({name, 1}, kByteOrderMarkWarning);
    if (f.state == FileState::TooLarge) c_.report.error({name, 0}, "the stage file " + textFileProblem(f.state));
    DataLine line;
    int lineNumber = 0;
    bool seen54 = false;
    while (readDataLine(in, line)) readLine(f, {name, ++lineNumber}, line, seen54);
    std::fclose(in);

    const int32_t* p = f.params;
    if (!f.hasParams) {
        c_.report.warning({name, 0}, "no 50 or 54 line: the stage keeps the stage parameters of the stage before it "
                                     "(all 0 before the first stage, which leaves no ground to draw)");
    } else if (p[kGroundTop] < kScreenHeight && (p[kGroundWidth] <= 0 || p[kGroundHeight] <= 0)) {
        c_.report.error({name, f.paramsLine}, "groundWidth " + std::to_string(p[kGroundWidth]) + " and groundHeight " +
                                                  std::to_string(p[kGroundHeight]) +
                                                  " must both be above 0 while groundTop " +
                                                  std::to_string(p[kGroundTop]) + " is below 600");
    }
    return f;
}

void StageCheck::checkKind(const StageFile& f, const StageUse& use) {
    const StageKind kind = use.kind;
    const bool battle = kind == StageKind::Battle;
    auto rowAt = [&](int t) { return Place{kCharListPath, c_.rowLine[t]}; };
    auto weaponAt = [&](int t, int i) { return Place{kCharListPath, c_.weaponLine[t][i]}; };

    // Every template this stage can spawn, with the way it came in.
    std::set<int> reached;
    std::set<int> fired;    // spawned as a shot by a weapon
    std::set<int> players;  // stands in slot 0 as the player
    std::deque<int> queue;
    auto reach = [&](int t, const Place& namedAt, const std::string& what, bool asShot) {
        if (t < 0 || t >= kTemplateCount) return;  // the line itself is already reported
        if (CharTable[t].inUse == 0) {
            if (!what.empty())
                c_.report.error(namedAt, what + " " + std::to_string(t) +
                                             " names a template row that the character list never loads");
            return;
        }
        if (asShot) fired.insert(t);
        if (reached.insert(t).second) queue.push_back(t);
    };

    players.insert(0);
    for (const Spawn& s : f.spawns) {
        if (s.intoSlot0) players.insert(s.templateNumber);
    }
    reach(0, rowAt(0), "", false);
    for (const Spawn& s : f.spawns) {
        reach(s.templateNumber, {f.name, s.line}, "", false);
        if (!battle && firesInShooting(s.move) && CharTable[s.templateNumber].inUse) {
            const int8_t shot = CharTable[s.templateNumber].WEP[0];
            if (shot == 0)
                c_.report.warning({f.name, s.line}, "move " + std::to_string(s.move) +
                                                        " fires the first weapon of template " +
                                                        std::to_string(s.templateNumber) +
                                                        ", which is 0: it fires copies of the player's row");
            reach(shot, weaponAt(s.templateNumber, 0), "WEP", true);
        }
    }
    // The player fires its first weapon (even 0: its own row) in the shooting stage and every
    // weapon it has in the battle stage; the scripts' weapon commands add theirs.
    bool scriptArmsThePlayer = false;
    for (const WeaponChange& w : c_.weaponChanges) scriptArmsThePlayer |= w.slot == 0 && w.templateNumber != 0;
    for (int p : players) {
        if (CharTable[p].inUse == 0) continue;
        if (!battle && CharTable[p].WEP[0] == 0 && !(p == 0 && scriptArmsThePlayer))
            c_.report.warning(weaponAt(p, 0), "the player's first weapon is 0: in the shooting stage Z fires copies "
                                              "of row " + std::to_string(p));
        for (int i = 0; i < (battle ? 4 : 1); ++i) {
            if (battle && CharTable[p].WEP[i] == 0) continue;
            reach(CharTable[p].WEP[i], weaponAt(p, i), "WEP", true);
        }
    }
    for (const WeaponChange& w : c_.weaponChanges) {
        if (w.slot == 0 || battle) {
            if (battle && w.templateNumber == 0) continue;
            reach(w.templateNumber, w.at, "", true);
        }
    }

    while (!queue.empty()) {
        const int t = queue.front();
        queue.pop_front();
        const CharTemplate& e = CharTable[t];
        if (battle) {
            if (isBattleUnit(e.TYP)) {
                for (int i = 0; i < 4; ++i) {
                    if (e.WEP[i] != 0) reach(e.WEP[i], weaponAt(t, i), "WEP", true);
                }
            }
            if (e.TYP == 0 && CharTable[kTrailTemplate].inUse == 0) {
                c_.report.error(rowAt(t), "units of kind 0 leave trail marks from template 63 in the battle stage, "
                                          "but the character list never loads row 63");
            } else if (e.TYP == 0) {
                reach(kTrailTemplate, rowAt(t), "", false);
            }
            if (leavesRemainsInBattle(e.TYP) && e.DEA != 0) reach(e.DEA, rowAt(t), "DEA", false);
        } else if (e.TYP != 1 && e.DEA != 0) {
            reach(e.DEA, rowAt(t), "DEA", false);
        }
    }

    for (int t : reached) {
        const CharTemplate& e = CharTable[t];
        const Place at = rowAt(t);
        if (e.SE != 0) {
            char sound[kTextSize];
            effectFileName(e.SE, sound);
            const std::string problem = soundProblem(c_.disk.sound(sound), WaveUse::Sound);
            if (!problem.empty())
                c_.report.error(at, "spawn sound " + quoted(gameName(sound)) + " of template " + std::to_string(t) +
                                        " " + problem);
        }
        if (battle && hasDirectionFrames(e.TYP)) {
            checkRect(at, "the eight direction frames", e.LEF, e.TOP, static_cast<int64_t>(e.WID) * kDirectionFrames,
                      e.HEI, true);
        } else {
            checkRect(at, "sprite", e.LEF, e.TOP, e.WID, e.HEI, true);
        }
        if (!battle && players.count(t))
            checkRect(at, "alternate frame", static_cast<int64_t>(e.LEF) + e.TAX, static_cast<int64_t>(e.TOP) + e.TAY,
                      e.WID, e.HEI, true);
        if (battle && (players.count(t) || !isUntargetedKind(e.TYP)) && e.SIZ <= 0)
            c_.report.error(at, "SIZ " + std::to_string(e.SIZ) + ": template " + std::to_string(t) +
                                    " steers in the battle stage, turning by 1/SIZ a frame, so SIZ must be above 0");
        if (battle && fired.count(t) && isLobbed(e.TYP)) {
            const bool stageSpeed = e.SP == -1 && f.hasParams;
            const int32_t speed = stageSpeed ? f.params[kScrollSpeed] : e.SP;
            if (speed == 0)
                c_.report.error(at, std::string("lobbed shot template ") + std::to_string(t) + " has SP 0" +
                                        (stageSpeed ? " (SP -1 takes the stage's scrollSpeed 0)" : "") +
                                        ": its rise is worked out by dividing by SP");
        }
    }

    if (f.hasParams && f.params[kGroundTop] < kScreenHeight)
        checkRect({f.name, f.paramsLine}, "ground tile", f.params[kGroundSrcX], f.params[kGroundSrcY],
                  f.params[kGroundWidth], f.params[kGroundHeight], battle);

    // The objects in place when the first frame counts the opponents.
    int8_t playerSide = 0;
    for (const Spawn& s : f.spawns) {
        if (s.intoSlot0) playerSide = s.side;
    }
    int opponents = 0;
    for (const Spawn& s : f.spawns) {
        if (!s.intoSlot0 && s.side != playerSide && countsAsOpponent(kind, CharTable[s.templateNumber].TYP))
            ++opponents;
    }
    if (opponents == 0) {
        c_.report.warning(use.at, std::string("stage ") + std::to_string(use.number) + " has no opponent as a " +
                                      kindName(kind) + ": it is won at once");
        return;
    }
    // Battle units drive on and on; only blocks push them back, so a field without any lets
    // a unit drive off for good and the stage may never be decided.
    bool fenced = false;
    for (const Spawn& s : f.spawns) fenced = fenced || (!s.intoSlot0 && CharTable[s.templateNumber].TYP == kBlockKind);
    if (battle && !fenced)
        c_.report.warning(use.at, "stage " + std::to_string(use.number) +
                                      " places no block (TYP 2) as a battle stage: nothing keeps the units on the "
                                      "field, and one that drives off may never come back to decide the stage; "
                                      "fence the field with blocks");
}

void StageCheck::run() {
    if (c_.stageUses.empty()) return;
    const StageUse& first = c_.stageUses.front();
    const std::string ready = pictureProblem(c_.disk.picture(kReadyScreen));
    if (!ready.empty()) c_.report.error(first.at, std::string("ready screen ") + quoted(kReadyScreen) + " " + ready);
    for (const char* sound : kStageSounds) {
        const std::string problem = soundProblem(c_.disk.sound(sound), WaveUse::Sound);
        if (!problem.empty()) c_.report.error(first.at, std::string("stage sound ") + quoted(sound) + " " + problem);
    }
    checkRect({kCharSheetPath, 0}, "won banner", 0, kWonBannerTop, kBannerWidth, kBannerHeight, false);
    checkRect({kCharSheetPath, 0}, "lost banner", 0, kLostBannerTop, kBannerWidth, kBannerHeight, false);

    std::set<std::pair<int, int>> done;
    for (const StageUse& use : c_.stageUses) {
        if (!done.insert({use.number, static_cast<int>(use.kind)}).second) continue;
        const StageFile& f = file(use.number);
        if (!f.exists) {
            std::string message = "stage file " + quoted(gameName(f.name)) + " " + textFileProblem(f.state);
            if (f.state != FileState::Missing) message += ": the game plays the stage with the player alone";
            if (use.written != use.number)
                message += " (" + std::to_string(use.written) + " is taken as the signed byte " +
                           std::to_string(use.number) + ")";
            c_.report.error(use.at, message);
            continue;
        }
        checkKind(f, use);
    }
}

}  // namespace

void checkStages(CheckContext& c) { StageCheck(c).run(); }
