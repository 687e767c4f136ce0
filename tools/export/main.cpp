// sortie-export MODE [--name NAME] GAME_DIR OUT: turns a game folder into a download: for
// players who have Sortie installed (a Linux archive, a Debian package), or a static web site
// that plays it in a browser. The game is checked first, and one with errors is refused.
// Each mode is one row of kModes and one writer function; a new kind of download is a new
// row.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/command_line.h"
#include "platform/player_folder.h"
#include "platform/text.h"
#include "tools/check/check.h"
#include "tools/export/web_export.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
const char kUsage[] =
    "usage: sortie-export --linux|--deb|--web|--windows [--name NAME] [--zip] [--engine DIR] GAME_DIR OUT";

// What a mode writes from.
struct ExportJob {
    fs::path gameDir;   // the checked game folder
    std::string name;   // the game's name: lower-case letters, digits and hyphens
    fs::path out;       // the file to write
    fs::path work;      // an empty temporary folder, removed afterwards
    bool zip = false;   // --web: OUT.zip beside the site too
    std::string engineDir;  // --web, --windows: the engine built for the browser or for Windows
};

// A file with `text` and the permission bits `mode`; false when it cannot be written.
bool writeFile(const fs::path& path, const std::string& text, fs::perms mode = fs::perms(0644)) {
    {
        std::ofstream file(path, std::ios::binary);
        if (!(file << text) || !file.flush()) return false;
    }
    std::error_code ec;
    fs::permissions(path, mode, ec);
    return !ec;
}

// The game's three folders copied into `to`, files readable by all; false with a reason.
bool copyGame(const ExportJob& job, const fs::path& to, std::string& error) {
    std::error_code ec;
    fs::create_directories(to, ec);
    for (const char* folder : {"data", "bmp", "wav"}) {
        if (!fs::is_directory(job.gameDir / folder)) continue;
        fs::copy(job.gameDir / folder, to / folder, fs::copy_options::recursive, ec);
        if (ec) return error = "cannot copy " + (job.gameDir / folder).string() + ": " + ec.message(), false;
    }
    for (const auto& entry : fs::recursive_directory_iterator(to, ec))
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0755) : fs::perms(0644), ec);
    return true;
}

// Runs a shell command; false with its words as the reason when it fails.
bool runCommand(const std::string& command, std::string& error) {
    if (std::system((command + " >/dev/null").c_str()) == 0) return true;
    return error = "this failed: " + command, false;
}

std::string shellQuoted(const fs::path& path) {
    std::string text = "'";
    for (char c : path.string()) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

// The launcher both downloads carry: plays the game folder `folder` (a shell expression)
// with the installed sortie, options passed on.
std::string launcher(const std::string& name, const std::string& folder) {
    return "#!/bin/sh\n"
           "# Plays " + name + " with Sortie, which must be installed (its command sortie).\n"
           "if ! command -v sortie >/dev/null 2>&1; then\n"
           "    echo \"" + name + " is played with Sortie: install it first (its sortie command is missing)\" >&2\n"
           "    exit 1\n"
           "fi\n"
           "exec sortie \"$@\" " + folder + "\n";
}

// A .tar.gz of one folder NAME: the game, and NAME/play to start it.
bool writeLinux(const ExportJob& job, std::string& error) {
    const fs::path root = job.work / job.name;
    if (!copyGame(job, root, error)) return false;
    if (!writeFile(root / "play", launcher(job.name, "\"$(cd \"$(dirname \"$0\")\" && pwd)\""), fs::perms(0755)))
        return error = "cannot write the launcher", false;
    return runCommand("tar --sort=name --owner=0 --group=0 --numeric-owner -czf " + shellQuoted(fs::absolute(job.out)) +
                          " -C " + shellQuoted(job.work) + " " + shellQuoted(job.name),
                      error);
}

// Who the exported package names as its maintainer: the game's author, unknown here.
const char kMaintainer[] = "The game's author <author@users.noreply.sortie.example>";

// A file of `text` compressed as Debian's documents are (no name or time inside).
bool gzipped(const fs::path& path, const std::string& text, std::string& error) {
    const fs::path plain = fs::path(path).replace_extension();
    return writeFile(plain, text) && runCommand("gzip -9n " + shellQuoted(plain), error);
}

// A Debian package NAME of the game alone: the game in /usr/share/games/NAME, the command
// /usr/games/NAME, a desktop entry, depending on the sortie package.
bool writeDeb(const ExportJob& job, std::string& error) {
    const fs::path root = job.work / "package";
    const fs::path share = root / "usr/share";
    std::error_code ec;
    for (const fs::path& folder : {root / "DEBIAN", root / "usr/games", share / "applications", share / "doc" / job.name})
        fs::create_directories(folder, ec);
    if (!copyGame(job, share / "games" / job.name, error)) return false;
    uintmax_t kilobytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(share / "games", ec))
        if (entry.is_regular_file()) kilobytes += (entry.file_size() + 1023) / 1024;
    bool written =
        writeFile(root / "usr/games" / job.name, launcher(job.name, "/usr/share/games/" + job.name), fs::perms(0755)) &&
        writeFile(share / "applications" / (job.name + ".desktop"),
                  "[Desktop Entry]\nType=Application\nName=" + job.name + "\nComment=A game played with Sortie\nExec=" +
                      job.name + "\nIcon=sortie\nTerminal=false\nCategories=Game;\nStartupWMClass=ModelApp\n") &&
        writeFile(share / "doc" / job.name / "copyright",
                  "This package holds the game " + job.name + ", made for Sortie.\nCopyright: its author. "
                  "Its files belong to its author, who gives them under the terms the game states.\n") &&
        writeFile(root / "DEBIAN/control",
                  "Package: " + job.name + "\nVersion: 1.0\nArchitecture: all\nMaintainer: " + kMaintainer +
                      "\nInstalled-Size: " + std::to_string(kilobytes + 4) + "\nDepends: sortie (>= " SORTIE_VERSION
                      ")\nSection: games\nPriority: optional\nDescription: game made for the Sortie engine\n"
                      " This package holds the game folder of " + job.name + ", a command that\n"
                      " plays it with the installed sortie, and a desktop entry.\n");
    written = written && gzipped(share / "doc" / job.name / "changelog.gz",
                                 job.name + " (1.0) unstable; urgency=medium\n\n  * Exported with sortie-export.\n\n -- " +
                                     kMaintainer + "  Thu, 01 Jan 2026 00:00:00 +0000\n",
                                 error);
    if (!written) return error = "cannot write the package's files", false;
    for (const auto& entry : fs::recursive_directory_iterator(root / "usr", ec))
        if (entry.is_directory()) fs::permissions(entry.path(), fs::perms(0755), ec);
    return runCommand("dpkg-deb --root-owner-group --build " + shellQuoted(root) + " " + shellQuoted(fs::absolute(job.out)),
                      error);
}

// A static web site in the folder OUT (and OUT.zip beside it with --zip).
bool writeWeb(const ExportJob& job, std::string& error) {
    if (!writeWebSite(job.gameDir.string(), job.out.string(), WebExportSources{job.engineDir, findUnifont()}, error))
        return false;
    if (!job.zip) return true;
    fs::path folder = fs::absolute(job.out).lexically_normal();
    if (folder.filename().empty()) folder = folder.parent_path();  // "site/" too
    return writeZip(job.out.string(), folder.string() + ".zip", error);
}

// A zip of one folder NAME for Windows: the game in NAME/game, the Windows engine beside it as
// NAME/NAME.exe (which plays the game folder beside it when double-clicked), its font, and a
// README.txt.
bool writeWindows(const ExportJob& job, std::string& error) {
    const fs::path engine = fs::path(job.engineDir) / "sortie.exe";
    std::error_code ec;
    if (!fs::is_regular_file(engine, ec))
        return error = "the Windows engine is not built (" + engine.string() +
                       " is missing): tools/setup.sh windows builds it", false;
    const std::string font = findUnifont();
    if (font.empty()) return error = "no Unifont font to ship beside the engine (Debian's fonts-unifont)", false;
    const fs::path root = job.work / job.name;
    if (!copyGame(job, root / "game", error)) return false;
    fs::copy_file(engine, root / (job.name + ".exe"), ec);
    if (!ec) fs::copy_file(font, root / "unifont.otf", ec);
    if (ec) return error = "cannot copy the engine and its font: " + ec.message(), false;
    const std::string readme = job.name + ", a game made for Sortie, for 64-bit Windows.\r\n\r\n"
                               "Double-click " + job.name + ".exe to play. The game is in the folder game\\; what the "
                               "game keeps for you\r\n(the weapons chosen, the settings, saved games) is in "
                               "%APPDATA%\\sortie\\games\\.\r\n";
    if (!writeFile(root / "README.txt", readme)) return error = "cannot write README.txt", false;
    fs::remove(fs::absolute(job.out), ec);
    return runCommand("cd " + shellQuoted(job.work) + " && zip -q -X -r " + shellQuoted(fs::absolute(job.out)) + " " +
                          shellQuoted(job.name),
                      error);
}

struct ExportMode {
    const char* option;
    const char* help;
    bool (*write)(const ExportJob&, std::string&);
};
const ExportMode kModes[] = {
    {"--linux", "a .tar.gz of the folder NAME: the game and a launcher NAME/play that runs the\n"
                "                installed sortie on it", writeLinux},
    {"--deb", "a Debian package NAME of the game alone (dpkg-deb): the game, a command NAME\n"
              "                and a desktop entry, depending on the sortie package", writeDeb},
    {"--web", "a static web site, the folder OUT (index.html, the engine, game.pack.gz, by\n"
              "                relative paths), that plays the game in a browser; --zip also writes\n"
              "                OUT.zip beside it, --engine DIR names the web engine (default: the web\n"
              "                build's, " SORTIE_WEB_ENGINE_DIR ")", writeWeb},
    {"--windows", "a .zip of the folder NAME for 64-bit Windows: the game, the Windows engine\n"
                  "                NAME.exe that plays it when double-clicked, its font; --engine DIR\n"
                  "                names the Windows build (default: " SORTIE_WINDOWS_ENGINE_DIR ")", writeWindows},
};

int badUse(const std::string& reason) {
    std::fprintf(stderr, "sortie-export: %s (%s)\n", reason.c_str(), kUsage);
    return kBadUsage;
}

// A name a package, a command and a folder can all take.
bool goodName(const std::string& name) {
    if (name.size() < 2 || name.size() > 64 || !std::isalnum(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!(std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '-'))
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    switch (helpOrVersionAsked(argc, argv)) {
    case CommandAsked::Help:
        std::printf("%s\n\nTurns the game in GAME_DIR into a download, OUT: for players who have Sortie installed\n"
                    "(--linux, --deb), or with the engine inside (--web, --windows).\n"
                    "The game is checked first (as sortie-check does); a game with errors is refused.\n\n",
                    kUsage);
        for (const ExportMode& mode : kModes) std::printf("  %-13s %s\n", mode.option, mode.help);
        std::printf("  --name NAME   the game's name (lower-case letters, digits, hyphens); without it,\n"
                    "                the game folder's name in lower case\n");
        return 0;
    case CommandAsked::Version: std::printf("sortie-export %s\n", SORTIE_VERSION); return 0;
    case CommandAsked::Run: break;
    }
    const ExportMode* mode = nullptr;
    std::string name, error, engineDir;
    bool zip = false;
    std::string operands[2];
    int operandCount = 0;
    ArgumentReader args{argc, argv};
    while (nextArgument(args)) {
        if (!args.isOption) {
            if (operandCount == 2) return badUse("one game folder and one output file, not " + args.word);
            operands[operandCount++] = args.word;
        } else if (args.word == "--zip") {
            if (!takesNoValue(args, error)) return badUse(error);
            zip = true;
        } else if (args.word == "--engine") {
            if (!optionValue(args, engineDir, error)) return badUse(error);
        } else if (args.word == "--name") {
            if (!optionValue(args, name, error)) return badUse(error);
            if (!goodName(name)) return badUse("--name takes lower-case letters, digits and hyphens (2 to 64)");
        } else {
            const ExportMode* asked = nullptr;
            for (const ExportMode& m : kModes)
                if (args.word == m.option) asked = &m;
            if (!asked) return badUse("unknown option " + args.word);
            if (!takesNoValue(args, error)) return badUse(error);
            if (mode && mode != asked) return badUse("one kind of download at a time");
            mode = asked;
        }
    }
    if (!mode) return badUse("which download: --linux, --deb, --web or --windows");
    const bool web = mode->write == writeWeb, windows = mode->write == writeWindows;
    if (!web && zip) return badUse("--zip goes with --web");
    if (!web && !windows && !engineDir.empty()) return badUse("--engine goes with --web and --windows");
    if (engineDir.empty()) engineDir = windows ? SORTIE_WINDOWS_ENGINE_DIR : SORTIE_WEB_ENGINE_DIR;
    if (operandCount != 2 || operands[0].empty() || operands[1].empty())
        return badUse("a game folder and an output file are needed");
    ExportJob job;
    job.gameDir = fs::absolute(operands[0]);
    job.out = operands[1];
    job.zip = zip;
    job.engineDir = engineDir;
    std::error_code same;
    if (fs::weakly_canonical(job.out, same) == fs::weakly_canonical(job.gameDir, same))
        return badUse("the output cannot be the game folder");
    if (name.empty() && !web) {
        std::string folderName = fs::path(operands[0]).lexically_normal().filename().string();
        if (folderName.empty() || folderName == ".") folderName = fs::current_path().filename().string();
        for (char c : folderName) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!goodName(name))
            return badUse("the folder's name " + folderName + " is no game name: give one with --name");
    }
    job.name = name;

    // The checker's report goes to the standard error only when it refuses the game.
    std::FILE* report = std::tmpfile();
    const std::string folder = operands[0];
    const char* checkArgs[] = {"sortie-check", folder.c_str()};
    const int checked = runCheckTool(2, checkArgs, report ? report : stderr, stderr);
    if (checked != 0) {
        if (report) {
            std::rewind(report);
            for (int c; (c = std::fgetc(report)) != EOF;) std::fputc(c, stderr);
        }
        if (report) std::fclose(report);
        if (checked == kBadUsage) return kBadUsage;
        std::fprintf(stderr, "sortie-export: %s has errors (above); nothing was written\n", folder.c_str());
        return kFailed;
    }
    if (report) std::fclose(report);

    job.work = makeTemporaryFolder("sortie-export-");
    if (job.work.empty()) {
        std::fprintf(stderr, "sortie-export: cannot make a temporary folder\n");
        return kFailed;
    }
    const bool ok = mode->write(job, error);
    std::error_code ec;
    fs::remove_all(job.work, ec);
    if (!ok) {
        fs::remove(job.out, ec);
        std::fprintf(stderr, "sortie-export: %s\n", error.c_str());
        return kFailed;
    }
    std::printf("sortie-export: wrote %s\n", job.out.string().c_str());
    return 0;
}
