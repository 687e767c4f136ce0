// sortie-export --web GAME_DIR OUT_DIR [--zip] [--engine DIR]: a game folder as a static web
// site (web_export.h), after the checker has found no error in it. Status 0 when written, 1
// when the game has errors or the site cannot be written, 2 for a bad command line.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/command_line.h"
#include "tools/check/check.h"
#include "tools/export/web_export.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
constexpr char kUsage[] = "usage: sortie-export --web GAME_DIR OUT_DIR [--zip] [--engine DIR]";

int badUsage(const std::string& why) {
    std::fprintf(stderr, "sortie-export: %s (%s)\n", why.c_str(), kUsage);
    return kBadUsage;
}

// Unifont beside the program first, as the game looks for it, then the system's.
std::string findFont() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && fs::is_regular_file(program.parent_path() / "unifont.otf", ec))
        return (program.parent_path() / "unifont.otf").string();
    return "/usr/share/fonts/opentype/unifont/unifont.otf";
}

// OUT_DIR.zip, beside the folder however OUT_DIR is written ("site/" too).
std::string zipBeside(const std::string& outDir) {
    fs::path folder = fs::absolute(outDir).lexically_normal();
    if (folder.filename().empty()) folder = folder.parent_path();
    return folder.string() + ".zip";
}

}  // namespace

int main(int argc, char** argv) {
    switch (helpOrVersionAsked(argc, argv)) {
    case CommandAsked::Help:
        std::printf("%s\n%s", kUsage,
                    "Writes OUT_DIR as a static web site that plays the game folder GAME_DIR in a browser:\n"
                    "index.html, the engine (sortie.js, sortie.wasm) and game.pack.gz, reached by relative\n"
                    "paths, so that the folder works from any address of any static host. The checker runs\n"
                    "first: a game with errors is refused and they are listed.\n"
                    "  --zip         also writes OUT_DIR.zip beside the folder, ready to upload\n"
                    "  --engine DIR  the web engine to use (default: the web build's, " SORTIE_WEB_ENGINE_DIR ")\n");
        return 0;
    case CommandAsked::Version: std::printf("sortie-export %s\n", SORTIE_VERSION); return 0;
    case CommandAsked::Run: break;
    }
    bool web = false, zip = false;
    std::string engineDir = SORTIE_WEB_ENGINE_DIR, error;
    std::vector<std::string> operands;
    ArgumentReader args{argc, argv};
    while (nextArgument(args)) {
        if (!args.isOption) {
            operands.push_back(args.word);
        } else if (args.word == "--web") {
            if (!takesNoValue(args, error)) return badUsage(error);
            web = true;
        } else if (args.word == "--zip") {
            if (!takesNoValue(args, error)) return badUsage(error);
            zip = true;
        } else if (args.word == "--engine") {
            if (!optionValue(args, engineDir, error)) return badUsage(error);
        } else {
            return badUsage("unknown option " + args.word);
        }
    }
    if (!web) return badUsage("say what to export: --web");
    if (operands.size() != 2) return badUsage("a game folder and an output folder");
    const std::string gameDir = operands[0], outDir = operands[1];
    std::error_code ec;
    if (!fs::is_directory(gameDir, ec)) return badUsage(gameDir + " is not a folder");
    if (fs::weakly_canonical(outDir, ec) == fs::weakly_canonical(gameDir, ec))
        return badUsage("the output folder cannot be the game folder");

    // The checker reads the game as the game does, from inside its folder.
    const fs::path home = fs::current_path(ec);
    fs::current_path(gameDir, ec);
    if (ec) {
        std::fprintf(stderr, "sortie-export: cannot enter %s\n", gameDir.c_str());
        return kFailed;
    }
    const CheckResult check = checkGameFolder();
    fs::current_path(home, ec);
    if (check.errors > 0 || check.warnings > 0) printReport(check, gameDir, stderr);
    if (check.errors > 0) {
        std::fprintf(stderr, "sortie-export: %s has errors (above); nothing was written\n", gameDir.c_str());
        return kFailed;
    }
    if (!writeWebSite(gameDir, outDir, WebExportSources{engineDir, findFont()}, error) ||
        (zip && !writeZip(outDir, zipBeside(outDir), error))) {
        std::fprintf(stderr, "sortie-export: %s\n", error.c_str());
        return kFailed;
    }
    std::printf("sortie-export: wrote %s%s\n", outDir.c_str(), zip ? " and its .zip" : "");
    return 0;
}
