// sortie-new DIR: writes a small complete game into DIR (created when missing; an existing
// folder must be empty), ready to play with `sortie DIR` and to change.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/command_line.h"
#include "tools/new/starter.h"

namespace {

constexpr int kBadUsage = 2;
constexpr char kUsage[] = "usage: sortie-new DIR";

int badUse(const std::string& reason) {
    std::fprintf(stderr, "sortie-new: %s (%s)\n", reason.c_str(), kUsage);
    return kBadUsage;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    switch (helpOrVersionAsked(argc, argv)) {
    case CommandAsked::Help:
        std::printf("%s\n\nWrites a small complete game into DIR: a title with two buttons, a shooting stage,\n"
                    "a battle stage that can be won and lost, a report screen, placeholder pictures and\n"
                    "sounds. DIR is created when it does not exist; an existing DIR must be empty.\n"
                    "Play it with the game: sortie DIR (built as build/sortie).\n",
                    kUsage);
        return 0;
    case CommandAsked::Version: std::printf("sortie-new %s\n", SORTIE_VERSION); return 0;
    case CommandAsked::Run: break;
    }
    std::string folder;
    ArgumentReader args{argc, argv};
    while (nextArgument(args)) {
        if (args.isOption) return badUse("unknown option " + args.word);
        if (!folder.empty()) return badUse("only one folder, not " + args.word);
        if (args.word.empty()) return badUse("the folder name is empty");
        folder = args.word;
    }
    if (folder.empty()) return badUse("no folder given");

    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (fs::exists(status)) {
        if (!fs::is_directory(status)) return badUse(folder + " exists and is not a folder");
        if (!fs::is_empty(folder, ec) || ec) return badUse(folder + " is not empty: give a new or an empty folder");
    } else if (!fs::create_directories(folder, ec) || ec) {
        std::fprintf(stderr, "sortie-new: cannot create %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    std::string error;
    if (!writeStarterGame(folder, error)) {
        std::fprintf(stderr, "sortie-new: %s\n", error.c_str());
        return 1;
    }
    // The game is built beside the tools' folder; name it as this program was named.
    const fs::path game = (fs::path(argv[0]).parent_path().parent_path() / "sortie").lexically_normal();
    const std::string play = fs::exists(game, ec) ? game.string() : "sortie";
    std::printf("A new game is in %s. Play it with: %s %s\n", folder.c_str(), play.c_str(), folder.c_str());
    return 0;
}
