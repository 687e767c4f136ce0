#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/interpreter.h"
#include "script/presentation.h"
#include "script/script.h"
#include "script/script_file.h"
#include "stage/world.h"
#include "tools/check/checker.h"

namespace {

// Pieces the music open command adds around the path: "open ", "./" and " alias BGM".
constexpr int kMusicCommandExtra = 17;
constexpr int kPlayerWeapons = 4;
constexpr int kTextSlots = 8;
// buttonset never counts past seven; an eighth button overwrites a record no screen offers.
constexpr size_t kOfferedButtons = 7;

// A script file cut into rows exactly as the loader cuts it.
struct ScriptRows {
    FileState state = FileState::Missing;
    bool exists = false;  // opened and read
    std::vector<std::string> tokens;  // every row filled, the added "end" included
    std::vector<int> lines;           // line of each row
    int realTokens = 0;               // rows that come from the file
    bool byteOrderMark = false;
    int lastRun = -1;  // the highest row any way through the script runs or reads as an operand
};

// A button waiting for its screen: where it leads, and where it was defined.
struct PendingButton {
    std::string target;
    Place at;
};

// A script as it is entered: the buttons pending at that moment travel along with it.
struct Visit {
    std::string path;
    std::vector<PendingButton> buttons;
};

class ScriptWalk {
public:
    explicit ScriptWalk(CheckContext& c) : c_(c) {}
    void run();

private:
    const ScriptRows& rows(const std::string& path);
    void walk(const Visit& visit);
    // Walks the script; returns the last row that way through it runs or reads.
    int walkRows(const ScriptRows& s, const Visit& visit);
    void reportNeverRun();
    void enqueue(const std::string& path, const std::vector<PendingButton>& buttons);

    // Operand checks; each reports at the operand's own line.
    int32_t number(const ScriptRows& s, int row);
    bool checkScript(const ScriptRows& s, int row, const std::string& hint = "");
    std::string splitLabelHint(const ScriptRows& s, int p);
    void checkPicture(const ScriptRows& s, int row);
    void checkVariable(const ScriptRows& s, int row);
    void checkWeapon(const ScriptRows& s, int p);
    void checkMusic(const ScriptRows& s, int row);
    void checkSound(const ScriptRows& s, int row);
    void checkDrawtext(const ScriptRows& s, int p);

    Place at(const std::string& path, const ScriptRows& s, int row) const { return {path, s.lines[row]}; }

    CheckContext& c_;
    std::map<std::string, ScriptRows> scripts_;
    std::deque<Visit> queue_;
    std::set<std::string> visited_;
    std::string current_;
};

// Visits grow with the buttons carried across loads; this many is far beyond any real game.
constexpr size_t kVisitLimit = 100000;

const ScriptRows& ScriptWalk::rows(const std::string& path) {
    auto it = scripts_.find(path);
    if (it != scripts_.end()) return it->second;
    ScriptRows& s = scripts_[path];
    std::FILE* file = openTextFile(path.c_str(), &s.state, &s.byteOrderMark);
    if (!file) return s;
    s.exists = true;
    if (s.state == FileState::TooLarge) c_.report.error({path, 0}, "the script " + textFileProblem(s.state));
    static char table[kScriptRows][kScriptRowSize];
    static TokenSource sources[kScriptRows];
    std::memset(table, 0, sizeof table);
    const int filled = tokenizeScript(file, table, sources);
    std::fclose(file);
    // The "end" the loader adds comes from no bytes of the file.
    const bool endAdded = filled > 0 && sources[filled - 1].length == 0;
    s.realTokens = endAdded ? filled - 1 : filled;
    for (int r = 0; r < filled; ++r) {
        s.tokens.emplace_back(table[r]);
        s.lines.push_back(sources[r].line);
        const int32_t length = sources[r].length;
        if (length > kScriptTokenLimit) {
            std::string message = "token of " + std::to_string(length) + " bytes is longer than " +
                                  std::to_string(kScriptTokenLimit);
            if (length > kScriptTokenMax)
                message += ": the game keeps only its first " + std::to_string(kScriptTokenMax);
            c_.report.warning({path, sources[r].line}, message);
        }
    }
    if (!endAdded)
        c_.report.warning({path, sources[kScriptRows - 1].line},
                          "the script reaches 1024 tokens: it gets no \"end\" and anything after this token is "
                          "ignored");
    return s;
}

void ScriptWalk::enqueue(const std::string& path, const std::vector<PendingButton>& buttons) {
    std::string key = path;
    for (const PendingButton& b : buttons) key += '\n' + b.target;
    if (visited_.size() >= kVisitLimit || !visited_.insert(key).second) return;
    queue_.push_back({path, buttons});
}

void ScriptWalk::run() {
    c_.report.noteFile(kFirstScript);
    enqueue(kFirstScript, {});
    while (!queue_.empty()) {
        const Visit visit = queue_.front();
        queue_.pop_front();
        walk(visit);
    }
    reportNeverRun();
}

// Rows after the last one any way through a script reaches are dead: usually commands an
// author put after an "end", a "call" or a screen of buttons, expecting them to run.
void ScriptWalk::reportNeverRun() {
    for (const auto& [path, s] : scripts_) {
        if (!s.exists || s.lastRun < 0 || s.lastRun + 1 >= s.realTokens) continue;
        c_.report.warning({path, s.lines[s.lastRun + 1]},
                          "never run: every way through the script ends before this line (at line " +
                              std::to_string(s.lines[s.lastRun]) + ")");
    }
}

int32_t ScriptWalk::number(const ScriptRows& s, int row) {
    const std::string& token = s.tokens[row];
    const int32_t value = readScriptNumber(token.c_str());
    size_t i = token.find_first_not_of(" \t\n\v\f\r");
    if (i != std::string::npos && (token[i] == '-' || token[i] == '+')) ++i;
    const bool plain = i < token.size() && token.find_first_not_of("0123456789", i) == std::string::npos;
    if (!plain)
        c_.report.warning(at(current_, s, row), "operand " + quoted(token) +
                                                    " has characters other than digits and \"-\": it reads as " +
                                                    std::to_string(value));
    return value;
}

bool ScriptWalk::checkScript(const ScriptRows& s, int row, const std::string& hint) {
    const std::string& path = s.tokens[row];
    const FileState state = c_.disk.textFile(path);
    if (state == FileState::Ok || state == FileState::TooLarge) return true;  // too large: said at the file
    std::string message = "script " + quoted(path) + " " + textFileProblem(state);
    if (state != FileState::Missing) message += ": the game reads it as an empty script";
    c_.report.error(at(current_, s, row), state == FileState::Missing ? message + hint : message);
    return state != FileState::Missing;  // there, so reached, though nothing in it is
}

// A space in a button's label ends the label's token, so the label's second word takes the
// place of the script; a script named a token or two later gives that away.
std::string ScriptWalk::splitLabelHint(const ScriptRows& s, int p) {
    for (int words = 2; words <= 3; ++words) {
        const int target = p + 3 + words;
        if (target >= s.realTokens) break;
        if (c_.disk.textFile(s.tokens[target]) != FileState::Ok) continue;
        std::string label = s.tokens[p + 3];
        for (int w = 1; w < words; ++w) label += " " + s.tokens[p + 3 + w];
        return ": the label " + ::quoted(label) + " seems to hold a space, which ends a token; write a no-break " +
               "space (U+00A0) in screen texts instead";
    }
    return "";
}

void ScriptWalk::checkPicture(const ScriptRows& s, int row) {
    const std::string& path = s.tokens[row];
    const std::string problem = pictureProblem(c_.disk.picture(path));
    if (!problem.empty()) c_.report.error(at(current_, s, row), "picture " + quoted(path) + " " + problem);
}

void ScriptWalk::checkVariable(const ScriptRows& s, int row) {
    const int32_t i = number(s, row);
    if (i < 0 || i >= kScriptVarCount)
        c_.report.error(at(current_, s, row), "variable " + std::to_string(i) + " is outside 0 to 31");
}

void ScriptWalk::checkWeapon(const ScriptRows& s, int p) {
    const int32_t slot = number(s, p + 1);
    const int32_t written = number(s, p + 2);
    number(s, p + 3);
    number(s, p + 4);
    if (slot < 0 || slot >= kPlayerWeapons) {
        c_.report.error(at(current_, s, p + 1), "weapon " + std::to_string(slot) + " is outside 0 to 3");
        return;
    }
    const int8_t stored = static_cast<int8_t>(written & 0xFF);
    if (written < 0 || written >= kTemplateCount) {
        std::string message = "WEP " + std::to_string(written) + " is not a template number 0 to 127";
        if (stored != written) message += " (the game keeps its low byte, " + std::to_string(stored) + ")";
        c_.report.error(at(current_, s, p + 2), message);
        return;
    }
    if (stored != 0 && CharTable[stored].inUse == 0) {
        c_.report.error(at(current_, s, p + 2), "WEP " + std::to_string(stored) +
                                                    " names a template row that the character list never loads");
        return;
    }
    c_.weaponChanges.push_back({slot, stored, at(current_, s, p + 2)});
}

void ScriptWalk::checkMusic(const ScriptRows& s, int row) {
    const std::string& path = s.tokens[row];
    const size_t length = path.size() + kMusicCommandExtra;
    if (length >= kTextSize) {
        c_.report.error(at(current_, s, row), "the music command for this path would be " + std::to_string(length) +
                                                  " characters, 160 or more: it is never sent");
        return;
    }
    const std::string problem = soundProblem(c_.disk.sound("./" + path), WaveUse::Music);
    if (!problem.empty()) c_.report.error(at(current_, s, row), "music " + quoted(path) + " " + problem);
}

void ScriptWalk::checkSound(const ScriptRows& s, int row) {
    const std::string& path = s.tokens[row];
    const std::string problem = soundProblem(c_.disk.sound(path), WaveUse::Sound);
    if (!problem.empty()) c_.report.error(at(current_, s, row), "sound " + quoted(path) + " " + problem);
}

void ScriptWalk::checkDrawtext(const ScriptRows& s, int p) {
    const int32_t slot = number(s, p + 1);
    number(s, p + 2);
    number(s, p + 3);
    if (slot < 0 || slot >= kTextSlots)
        c_.report.error(at(current_, s, p + 1), "text slot " + std::to_string(slot) + " is outside 0 to 7");
    const std::string& text = s.tokens[p + 4];
    if (text[0] == '@' && variableAfterAt(text.c_str()) < 0)
        c_.report.error(at(current_, s, p + 4), quoted(text) + " names no variable 0 to 31");
}

// A keyword written in other letters; the game compares bytes, so it is no keyword at all.
const char* keywordInOtherCase(const std::string& token) {
    for (const ScriptKeyword& k : kScriptKeywords) {
        if (token.size() == std::strlen(k.word) && strcasecmp(token.c_str(), k.word) == 0) return k.word;
    }
    return nullptr;
}

void ScriptWalk::walk(const Visit& visit) {
    const ScriptRows& s = rows(visit.path);
    std::error_code ec;
    // A script that is there is reached, even when it cannot be read (said where it is named).
    if (s.state != FileState::Missing)
        c_.reachedScripts.insert(std::filesystem::weakly_canonical(visit.path, ec).string());
    if (!s.exists) return;
    c_.report.noteFile(visit.path);
    if (s.byteOrderMark) c_.report.warning({visit.path, 1}, kByteOrderMarkWarning);
    current_ = visit.path;
    const int last = walkRows(s, visit);
    ScriptRows& walked = scripts_[visit.path];
    walked.lastRun = std::max(walked.lastRun, last);
}

int ScriptWalk::walkRows(const ScriptRows& s, const Visit& visit) {
    std::vector<PendingButton> buttons = visit.buttons;

    const int rowCount = static_cast<int>(s.tokens.size());
    bool runByDesign = false;  // a row the counter lands on that is no command, by design
    int afterText = -1;        // the row after a drawtext's text
    for (int p = 0; p < rowCount;) {
        const std::string& token = s.tokens[p];
        const ScriptKeyword* k = findScriptKeyword(token.c_str());
        if (!k) {
            if (!runByDesign) {
                std::string message = quoted(token) + " is no keyword: it is skipped";
                if (const char* word = keywordInOtherCase(token))
                    message += " (keywords are written in lower case: " + std::string(word) + ")";
                else if (p == afterText)
                    message += " (if it belongs to the text before it, write a no-break space, U+00A0, for the "
                               "space)";
                c_.report.warning(at(current_, s, p), message);
            }
            runByDesign = false;
            ++p;
            continue;
        }
        runByDesign = false;
        if (k->operands > 0 && p + k->operands >= s.realTokens) {
            c_.report.error(at(current_, s, p), std::string(k->word) + " needs " + std::to_string(k->operands) +
                                                    " operand" + (k->operands == 1 ? "" : "s") +
                                                    ", but the script ends before them");
            return rowCount;
        }
        const std::string word = k->word;
        if (word == "end") return p;
        if (word == "rem") {
            // one comment word, nothing to check
        } else if (word == "bmp") {
            checkPicture(s, p + 1);
        } else if (word == "weapon") {
            checkWeapon(s, p);
            // The counter stays on the last operand, which runs as a command of its own;
            // "endweapon" rows there are passed over in the same frame.
            int next = p + 4;
            while (next < rowCount && s.tokens[next] == "endweapon") ++next;
            runByDesign = next == p + 4;
            p = next;
            continue;
        } else if (word == "call") {
            if (checkScript(s, p + 1)) enqueue(s.tokens[p + 1], buttons);
            return p + 1;
        } else if (word == "varset" || word == "varplus" || word == "varminus") {
            checkVariable(s, p + 1);
            number(s, p + 2);
        } else if (word == "varcmp") {
            checkVariable(s, p + 1);
            checkVariable(s, p + 2);
            if (checkScript(s, p + 3)) enqueue(s.tokens[p + 3], buttons);
            // A variable always equals itself: the comparison is a call.
            const int32_t first = readScriptNumber(s.tokens[p + 1].c_str());
            if (first >= 0 && first < kScriptVarCount && first == readScriptNumber(s.tokens[p + 2].c_str()))
                return p + 3;
        } else if (word == "bgm") {
            checkMusic(s, p + 1);
        } else if (word == "wav" || word == "wav2") {
            checkSound(s, p + 1);
        } else if (word == "drawtext") {
            checkDrawtext(s, p);
            afterText = p + 5;
        } else if (word == "buttonset") {
            number(s, p + 1);
            number(s, p + 2);
            const bool exists = checkScript(s, p + 4, splitLabelHint(s, p));
            if (buttons.size() >= kOfferedButtons) {
                c_.report.warning(at(current_, s, p), "eighth buttonset before a buttonstart: this button is never "
                                                      "offered");
            } else {
                buttons.push_back({exists ? s.tokens[p + 4] : std::string(), at(current_, s, p)});
            }
        } else if (word == "buttonstart") {
            checkPicture(s, p + 1);
            if (!buttons.empty()) {
                // The screen ends only by a choice, and a choice withdraws every button.
                for (const PendingButton& b : buttons) {
                    if (!b.target.empty()) enqueue(b.target, {});
                }
                return p + 1;
            }
            // No button pending: a plain picture screen, after which the picture row is
            // passed over as a command.
            runByDesign = true;
            p += 1;
            continue;
        } else if (word == "shoot" || word == "kh") {
            const int32_t n = number(s, p + 1);
            c_.stageUses.push_back({static_cast<int8_t>(n & 0xFF), n,
                                    word == "shoot" ? StageKind::Shooting : StageKind::Battle, at(current_, s, p)});
        }
        p += 1 + k->operands;
    }
    return rowCount;
}

}  // namespace

void walkScripts(CheckContext& c) { ScriptWalk(c).run(); }
