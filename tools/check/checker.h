// What the parts of the content checker share: the report being built, the files on disk,
// the character list as read, and what the scripts lead to (the stages and the player's
// weapons).
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/data_file.h"
#include "platform/wave.h"
#include "stage/world.h"
#include "tools/check/check.h"

// Where a finding stands: a file as the game names it, and a line (0: the whole file).
struct Place {
    std::string file;
    int line;
};

// Collects findings once each, remembering the order in which files were first named.
class Report {
public:
    void error(const Place& at, const std::string& message) { add(at, Severity::Error, message); }
    void warning(const Place& at, const std::string& message) { add(at, Severity::Warning, message); }
    // Gives `file` its place in the output order if it has none yet.
    void noteFile(const std::string& file);
    CheckResult result() const;

private:
    void add(const Place& at, Severity severity, const std::string& message);
    std::vector<Finding> findings_;
    std::set<std::string> seen_;
    std::map<std::string, int> fileRank_;
};

// Files looked at on disk, each once, through the game's own readers.
class Disk {
public:
    struct Sound {
        FileState file;
        WaveInfo wave;  // when the file could be opened
    };
    // What opening a script, the character list or a stage file finds.
    FileState textFile(const std::string& path);
    const PictureInfo& picture(const std::string& path);
    const Sound& sound(const std::string& path);

private:
    std::map<std::string, FileState> files_;
    std::map<std::string, PictureInfo> pictures_;
    std::map<std::string, Sound> sounds_;
};

// What is wrong with a file, as the end of a message that begins with the file's name;
// empty when nothing is. A data file over the limit is read in part by the game.
std::string textFileProblem(FileState state);
std::string pictureProblem(const PictureInfo& picture);
std::string soundProblem(const Disk::Sound& sound, WaveUse use);

enum class StageKind { Shooting, Battle };

// A shoot or kh command reached by the scripts.
struct StageUse {
    int8_t number;    // the file's number, the operand taken as a signed byte
    int32_t written;  // the operand as written
    StageKind kind;
    Place at;         // the command's keyword
};

// One player weapon value given by a reachable weapon command.
struct WeaponChange {
    int slot;
    int8_t templateNumber;
    Place at;  // the WEP operand
};

struct CheckContext {
    Report report;
    Disk disk;

    bool sheetReadable = false;
    int sheetWidth = 0;
    int sheetHeight = 0;

    bool charListRead = false;
    // The line of the character list that last wrote each row (it decides the shared
    // columns), and the line that filled each weapon slot; 0 for none.
    int rowLine[kTemplateCount] = {};
    int weaponLine[kTemplateCount][4] = {};

    std::vector<WeaponChange> weaponChanges;
    std::vector<StageUse> stageUses;
    std::set<std::string> reachedScripts;  // canonical paths of the scripts walked
};

// What the checker says about a text file that starts with a UTF-8 byte-order mark.
extern const char kByteOrderMarkWarning[];

// The path shortened for messages: leading "./" dropped.
std::string shownPath(const std::string& path);
// A text in double quotes, with control bytes written as \xNN.
std::string quoted(const std::string& text);

constexpr char kCharListPath[] = "./data/charlist.txt";
constexpr char kFirstScript[] = "./data/advfile.dat";
constexpr char kCharSheetPath[] = "./bmp/char.bmp";

// The character list: every line's format, and CharTable filled as the game fills it.
void readCharList(CheckContext& c);
// Every script reachable from the first one: tokens, commands, operands and what they name.
void walkScripts(CheckContext& c);
// Every stage the scripts start, as the kind of stage that starts it.
void checkStages(CheckContext& c);

struct DataLine;

// One field of a data line as it stands in the text.
struct FieldView {
    bool known;        // the field lies within the line's first 159 characters
    bool empty;        // nothing between its two separators
    std::string text;  // when known
};
FieldView fieldView(const DataLine& line, int field);

// Warnings about a line that has separators: empty fields between others, characters other
// than digits and "-" in the first `usedFields` fields (named by `names`), and more than
// `fieldLimit` fields.
void checkLineForm(CheckContext& c, const Place& at, const DataLine& line, const char* const* names, int usedFields,
                   int fieldLimit);
// A line without a separator is ignored: warns when it looks like data all the same.
void checkIgnoredLine(CheckContext& c, const Place& at, const DataLine& line);
