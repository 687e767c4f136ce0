#include "tools/check/check.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/command_line.h"
#include "platform/bitmap.h"
#include "platform/surface.h"
#include "stage/world.h"
#include "tools/check/checker.h"

namespace fs = std::filesystem;

void Report::noteFile(const std::string& file) {
    const std::string shown = shownPath(file);
    if (fileRank_.count(shown) == 0) fileRank_[shown] = static_cast<int>(fileRank_.size());
}

void Report::add(const Place& at, Severity severity, const std::string& message) {
    noteFile(at.file);
    Finding f{shownPath(at.file), at.line, severity, message};
    const std::string key =
        f.file + '\n' + std::to_string(f.line) + '\n' + (severity == Severity::Error ? "e" : "w") + f.message;
    if (!seen_.insert(key).second) return;  // the same problem reached along another road
    findings_.push_back(std::move(f));
}

CheckResult Report::result() const {
    CheckResult r;
    r.findings = findings_;
    std::stable_sort(r.findings.begin(), r.findings.end(), [this](const Finding& a, const Finding& b) {
        const int ra = fileRank_.at(a.file);
        const int rb = fileRank_.at(b.file);
        return ra != rb ? ra < rb : a.line < b.line;
    });
    for (const Finding& f : r.findings) ++(f.severity == Severity::Error ? r.errors : r.warnings);
    return r;
}

FileState Disk::textFile(const std::string& path) {
    auto it = files_.find(path);
    if (it == files_.end()) {
        FileState state;
        if (std::FILE* f = openTextFile(path.c_str(), &state)) std::fclose(f);
        it = files_.emplace(path, state).first;
    }
    return it->second;
}

const PictureInfo& Disk::picture(const std::string& path) {
    auto it = pictures_.find(path);
    if (it == pictures_.end()) {
        PictureInfo info;
        Surface s;
        readBitmapFile(path.c_str(), s, &info);
        it = pictures_.emplace(path, info).first;
    }
    return it->second;
}

const Disk::Sound& Disk::sound(const std::string& path) {
    auto it = sounds_.find(path);
    if (it == sounds_.end()) {
        Sound sound{FileState::Missing, WaveInfo{}};
        if (std::FILE* f = openBinaryFile(path.c_str(), kSoundFileLimit, &sound.file)) {
            readWaveInfo(f, sound.wave);
            std::fclose(f);
        }
        it = sounds_.emplace(path, sound).first;
    }
    return it->second;
}

const char kByteOrderMarkWarning[] =
    "the file starts with a UTF-8 byte-order mark, which the game skips (an editor set to save UTF-8 without a "
    "byte-order mark leaves it out)";

std::string textFileProblem(FileState state) {
    std::string text = fileStateText(state, kTextFileLimit);
    if (state == FileState::TooLarge)
        text += ": the game reads only its first " + std::to_string(kTextFileLimit >> 20) + " MiB";
    return text;
}

std::string pictureProblem(const PictureInfo& p) {
    switch (p.problem) {
    case PictureProblem::None: return "";
    case PictureProblem::File:
        return fileStateText(p.file, kPictureFileLimit) +
               (p.file == FileState::Missing ? "" : ": the game cannot load it");
    case PictureProblem::BadHeader:
        if (p.foreignKind) return std::string("is a ") + p.foreignKind + " file, not a BMP: the game cannot load it";
        if (p.fault == kNotBmpFault) return "is not a bitmap the game can read";
        return std::string("has a corrupt header (") + p.fault + "): the game cannot load it";
    case PictureProblem::TooLarge:
        return "is " + std::to_string(p.width) + " x " + std::to_string(p.height) + ", larger than a picture may be (" +
               std::to_string(kPictureMaxPixels) + " pixels, " + std::to_string(kPictureMaxSide) +
               " on a side): the game cannot load it";
    case PictureProblem::Undecodable: return "is not a bitmap the game can read";
    case PictureProblem::OutOfMemory: return "needs more memory than the checker could have";
    }
    return "";
}

std::string soundProblem(const Disk::Sound& sound, WaveUse use) {
    if (sound.file != FileState::Ok) {
        std::string text = fileStateText(sound.file, kSoundFileLimit);
        if (sound.file != FileState::Missing) text += ": the game cannot open it";
        return text;
    }
    if (waveProblem(sound.wave, use) == WaveProblem::NoSamples)
        return use == WaveUse::Music ? "has no samples: the game cannot open it as music"
                                     : "has no samples: it plays nothing";
    return waveProblemText(sound.wave, use);
}

std::string shownPath(const std::string& path) {
    size_t start = 0;
    while (path.compare(start, 2, "./") == 0) {
        start += 2;
        while (start < path.size() && path[start] == '/') ++start;
    }
    return path.substr(start);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch < 32 || ch == 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out += hex;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

namespace {

// A stage file's name: "level", a number, ".txt".
bool isStageFileName(const std::string& name) {
    if (name.rfind("level", 0) != 0 || name.size() < 10 || name.compare(name.size() - 4, 4, ".txt") != 0)
        return false;
    const std::string number = name.substr(5, name.size() - 9);
    const size_t digits = number[0] == '-' ? 1 : 0;
    return number.size() > digits && number.find_first_not_of("0123456789", digits) == std::string::npos;
}

// Every other file in the data folder is taken for a script, and should be reachable.
void checkUnreachableScripts(CheckContext& c) {
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it("./data", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || name == "charlist.txt" || isStageFileName(name)) continue;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) continue;  // a save cut short
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = "./data/" + name;
        std::error_code canonicalEc;
        const std::string canonical = fs::weakly_canonical(path, canonicalEc).string();
        if (c.reachedScripts.count(canonical) == 0)
            c.report.warning({path, 0}, std::string("script file is never reached from ") + kFirstScript);
    }
}

void checkStartUpPicture(CheckContext& c, const char* path) {
    const PictureInfo& p = c.disk.picture(path);
    if (p.problem == PictureProblem::File && p.file == FileState::Missing) {
        c.report.error({path, 0}, "start-up picture is missing");
    } else if (p.problem != PictureProblem::None) {
        c.report.error({path, 0}, "start-up picture " + pictureProblem(p));
    }
}

}  // namespace

CheckResult checkGameFolder() {
    CheckContext c;
    for (const char* file : {kFirstScript, kCharListPath, "./bmp/format.bmp", kCharSheetPath}) c.report.noteFile(file);

    checkStartUpPicture(c, "./bmp/format.bmp");
    checkStartUpPicture(c, kCharSheetPath);
    const PictureInfo& sheet = c.disk.picture(kCharSheetPath);
    c.sheetReadable = sheet.problem == PictureProblem::None;
    c.sheetWidth = static_cast<int>(sheet.width);
    c.sheetHeight = static_cast<int>(sheet.height);

    std::memset(CharTable, 0, sizeof CharTable);
    const FileState list = c.disk.textFile(kCharListPath);
    if (list == FileState::Missing) {
        c.report.error({kCharListPath, 0}, "the character list is missing");
    } else if (list == FileState::NotRegular || list == FileState::Unreadable) {
        c.report.error({kCharListPath, 0},
                       "the character list " + textFileProblem(list) + ": the game starts without a single row");
    } else {
        if (list == FileState::TooLarge)
            c.report.error({kCharListPath, 0}, "the character list " + textFileProblem(list));
        readCharList(c);
        if (CharTable[0].inUse == 0)
            c.report.error({kCharListPath, 0}, "no row 0: the player's template is never loaded");
    }

    const FileState first = c.disk.textFile(kFirstScript);
    if (first == FileState::Missing) {
        c.report.error({kFirstScript, 0}, "the first script is missing");
    } else {
        if (first == FileState::NotRegular || first == FileState::Unreadable)
            c.report.error({kFirstScript, 0},
                           "the first script " + textFileProblem(first) + ": the game reads it as an empty script");
        walkScripts(c);
    }
    checkStages(c);
    checkUnreachableScripts(c);
    return c.report.result();
}

void printReport(const CheckResult& result, const std::string& prefix, std::FILE* out) {
    std::string folder = prefix;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder == ".") folder.clear();
    for (const Finding& f : result.findings) {
        std::string file = f.file;
        if (!folder.empty() && (file.empty() || file[0] != '/')) file = folder + (folder == "/" ? "" : "/") + file;
        std::fprintf(out, "%s:%d: %s: %s\n", file.c_str(), f.line, f.severity == Severity::Error ? "error" : "warning",
                     f.message.c_str());
    }
    std::fprintf(out, "%d errors, %d warnings\n", result.errors, result.warnings);
}

int runCheckTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    constexpr int kBadArguments = 2;
    constexpr char kUsage[] = "usage: sortie-check [GAME_DIR]";
    switch (helpOrVersionAsked(argc, argv)) {
    case CommandAsked::Help:
        std::fprintf(out, "%s\n%s", kUsage,
                     "Reads the game folder (the current one by default) as the game does and prints each\n"
                     "problem as FILE:LINE: error|warning: message, then \"N errors, M warnings\": files\n"
                     "that are missing or cannot be used (a PNG, GIF or JPEG under a .bmp name is named as\n"
                     "such), operands out of range, script lines that no way through the script reaches,\n"
                     "byte-order marks, and more. Status 1 when there is an error, 0 otherwise.\n");
        return 0;
    case CommandAsked::Version: std::fprintf(out, "sortie-check %s\n", SORTIE_VERSION); return 0;
    case CommandAsked::Run: break;
    }
    std::string folderName = ".";
    int folders = 0;
    ArgumentReader args{argc, argv};
    while (nextArgument(args)) {
        if (args.isOption) {
            std::fprintf(err, "sortie-check: unknown option %s (%s)\n", args.word.c_str(), kUsage);
            return kBadArguments;
        }
        folderName = args.word;
        ++folders;
    }
    if (folders > 1) {
        std::fprintf(err, "sortie-check: one game folder at most (%s)\n", kUsage);
        return kBadArguments;
    }
    const char* folder = folderName.c_str();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(err, "sortie-check: %s is not a folder\n", folder);
        return kBadArguments;
    }
    // The game reads only paths relative to its folder, so the check runs inside it.
    const fs::path home = fs::current_path(ec);
    fs::current_path(folder, ec);
    if (ec) {
        std::fprintf(err, "sortie-check: cannot enter %s\n", folder);
        return kBadArguments;
    }
    const CheckResult result = checkGameFolder();
    fs::current_path(home, ec);
    printReport(result, folder, out);
    return result.errors > 0 ? 1 : 0;
}
