// The game: `sortie [OPTIONS] [GAME_DIR]` plays the game folder given, as if started inside
// it, with the engine's one loop over the SDL back end. The exit code is the quit message's;
// 1 when there is no game to play or no window, 2 for a bad command line.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/main_loop.h"
#include "app/options.h"
#include "app/player_shell.h"
#include "app/recording.h"
#include "platform/data_file.h"
#include "platform/sdl_platform.h"

namespace {

constexpr int kNoGame = 1;
constexpr int kBadUsage = 2;

// True when the game folder's first script can be opened; otherwise `why` says what is wrong.
bool firstScriptOpens(std::string& why) {
    FileState state;
    if (std::FILE* file = openTextFile("./data/advfile.dat", &state)) std::fclose(file);
    why = state == FileState::Missing ? "is missing" : fileStateText(state, kTextFileLimit);
    return state == FileState::Ok || state == FileState::TooLarge;
}

}  // namespace

int main(int argc, char** argv) {
    GameOptions options;
    std::string error;
    if (!parseGameOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "sortie: %s (%s; --help shows more)\n", error.c_str(), kGameUsage);
        return kBadUsage;
    }
    if (options.help) {
        std::printf("%s\n%s", kGameUsage, kGameHelp);
        return 0;
    }
    if (options.version) {
        std::printf("sortie %s\n", SORTIE_VERSION);
        return 0;
    }
    // The recording is named from where the game was started.
    std::error_code ec;
    if (!options.recordPath.empty()) options.recordPath = std::filesystem::absolute(options.recordPath, ec).string();
    const char* folder = options.gameDir.c_str();
    if (chdir(folder) != 0) {
        std::fprintf(stderr, "sortie: cannot enter the game folder %s\n", folder);
        return kNoGame;
    }
    std::string why;
    if (!firstScriptOpens(why)) {
        std::fprintf(stderr, "sortie: %s holds no game: data/advfile.dat %s (sortie-check %s lists what a game folder needs)\n",
                     folder, why.c_str(), folder);
        return kNoGame;
    }
    StartPoint start;
    std::string header;
    if (!resolveStartPoint(options.scriptPath, options.stage, options.stageNumber, start, error) ||
        !(options.recordPath.empty() || (recordingHeader(options, header, error) &&
                                         openRecording(options.recordPath.c_str(), header.c_str(), error)))) {
        std::fprintf(stderr, "sortie: %s\n", error.c_str());
        return kBadUsage;
    }

    SdlPlatform sdl;
    const char* openError = "";
    if (!sdl.open(&openError, WindowOptions{options.scale, options.fullscreen})) {
        std::fprintf(stderr, "sortie: cannot open the window: %s\n", openError);
        return kNoGame;
    }
    PlayerShell shell(sdl, stdout);
    platform = &shell;
    const int exitCode = runGame(start);
    sdl.close();
    platform = nullptr;
    if (!finishRecording()) {
        std::fprintf(stderr, "sortie: the recording %s could not be written completely\n", options.recordPath.c_str());
        return kNoGame;
    }
    return exitCode;
}
