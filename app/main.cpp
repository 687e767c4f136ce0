// The game: `sortie [OPTIONS] [GAME_DIR]` plays the game folder given (without one, the
// current folder's game or else the demo shipped with the program), as if started inside
// it, with the engine's one loop over the SDL back end, and keeps what it writes in the
// player's folder for that game. The exit code is the quit message's;
// 1 when there is no game to play or no window, 2 for a bad command line.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/main_loop.h"
#include "app/options.h"
#include "app/player_shell.h"
#include "app/save_state.h"
#include "app/recording.h"
#include "app/settings.h"
#include "platform/data_file.h"
#include "platform/player_folder.h"
#include "platform/file_report.h"
#include "platform/page.h"
#include "platform/sdl_platform.h"
#include "platform/utf8_path.h"

namespace {

constexpr int kNoGame = 1;
constexpr int kBadUsage = 2;

// True when `folder` can be entered; otherwise `why` says what is wrong.
bool folderEnters(const char* folder, std::string& why) {
    struct stat info;
    if (stat(folder, &info) != 0) {
        why = errno == ENOENT ? "does not exist" : std::string("cannot be reached: ") + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        why = "is not a folder (a game folder holds data/, bmp/ and wav/)";
        return false;
    }
    if (chdir(folder) != 0) {
        why = errno == EACCES ? std::string("cannot be entered: permission denied")
                              : std::string("cannot be entered: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// True when the game folder's first script can be opened; otherwise `why` says what is wrong.
bool firstScriptOpens(std::string& why) {
    FileState state;
    if (std::FILE* file = openTextFile("./data/advfile.dat", &state)) std::fclose(file);
    why = state == FileState::Missing ? "is missing" : fileStateText(state, kTextFileLimit);
    return state == FileState::Ok || state == FileState::TooLarge;
}

// The game folder to play when the command line names none: the current folder when it
// holds a game, else the demo shipped with the program, found relative to the program so
// that an installed tree plays wherever it is moved: beside it in a build tree (game/), or
// share/sortie/game/ beside an installed bin/. The current folder when neither is there,
// which is then refused as holding no game.
std::string defaultGameFolder() {
    // A first script there in any form (even one the game cannot open) makes it the
    // folder meant, and what is wrong with it is then named.
    std::error_code ec;
    if (std::filesystem::exists("data/advfile.dat", ec)) return ".";
    const std::string program = SdlPlatform::programFolder();
    if (program.empty()) return ".";
    for (const char* shipped : {"game", "../share/sortie/game"}) {
        const std::string folder = utf8Name(utf8Path(program + shipped).lexically_normal());
        if (isRegularFile((folder + "/data/advfile.dat").c_str())) return folder;
    }
    return ".";
}

// Sets the player's folder: `dataDir` when given, else this game's under the user's data
// folder (the game folder is the current one). Without a user's data folder the game plays
// on and keeps nothing, and says so. False, with a line saying why, for a --data folder
// whose path is too long.
bool choosePlayerFolder(const std::string& dataDir, SdlPlatform& sdl) {
    if (!dataDir.empty()) {
        if (setPlayerFolder(dataDir)) return true;
        std::fprintf(stderr, "sortie: the --data folder's path is too long: %s\n", dataDir.c_str());
        return false;
    }
    std::error_code ec;
    const std::string user = sdl.userDataFolder();
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (user.empty() || ec || !setPlayerFolder(playerFolderFor(user, utf8Name(here))))
        std::fprintf(stderr, "sortie: there is no folder for the player's data here (--data DIR names one); weapon "
                             "changes and settings are not kept\n");
    return true;
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
        std::printf("%s\n%s%s%s%s", kGameUsage, kGameHelp,
                    "\nA file of the game folder that the game cannot use (missing, a folder, unreadable, not a\n"
                    "BMP or WAV it can decode) is named on stderr once, with the reason; the game goes on\n"
                    "without it.\n"
                    "\nThe game folder is only read. What the game keeps for the player (the weapons chosen in\n"
                    "the armory, full screen, the scale, sound off) goes to the player's folder for that game,\n",
                    kPlayerFoldersShown, "<folder name>-<hash>/ (or --data DIR); delete it to start\nafresh.\n");
        return 0;
    }
    if (options.version) {
        std::printf("sortie %s\n", SORTIE_VERSION);
        return 0;
    }
    // The recording is named from where the game was started.
    std::error_code ec;
    if (!options.recordPath.empty())
        options.recordPath = utf8Name(std::filesystem::absolute(utf8Path(options.recordPath), ec));
    if (!options.dataDir.empty()) options.dataDir = utf8Name(std::filesystem::absolute(utf8Path(options.dataDir), ec));
    if (options.gameDir.empty()) options.gameDir = defaultGameFolder();
    const char* folder = options.gameDir.c_str();
    std::string why;
    if (!folderEnters(folder, why)) {
        std::fprintf(stderr, "sortie: the game folder %s %s\n", folder, why.c_str());
        return kNoGame;
    }
    if (!firstScriptOpens(why)) {
        std::fprintf(stderr, "sortie: %s holds no game: data/advfile.dat %s (sortie-check %s lists what a game folder needs)\n",
                     folder, why.c_str(), folder);
        return kNoGame;
    }
    if (!options.dataDir.empty() && isCurrentFolder(options.dataDir)) {
        std::fprintf(stderr, "sortie: --data names the game folder itself; the player's data needs a folder of its own\n");
        return kBadUsage;
    }
    setFileReportStream(stderr, "sortie");
    StartPoint start;
    std::string header;
    if (!resolveStartPoint(options.scriptPath, options.stage, options.stageNumber, start, error) ||
        !(options.recordPath.empty() || (recordingHeader(options, header, error) &&
                                         openRecording(options.recordPath.c_str(), header.c_str(), error)))) {
        std::fprintf(stderr, "sortie: %s\n", error.c_str());
        return kBadUsage;
    }

    SdlPlatform sdl;
    if (!choosePlayerFolder(options.dataDir, sdl)) return kBadUsage;
    // The player's settings, under what the command line asks for this time.
    loadSettings();
    // No scale asked for or remembered (0): the largest that fits the screen.
    const int scale = options.scale > 0 ? options.scale : Settings.scale;
    const char* openError = "";
    if (!sdl.open(&openError, WindowOptions{scale, options.fullscreen || Settings.fullScreen})) {
        std::fprintf(stderr, "sortie: cannot open the window: %s\n", openError);
        return kNoGame;
    }
    if (scale > sdl.openedScale())
        std::printf("sortie: a window %d times 800 x 600 does not fit the free %d x %d of this screen; it opens %d times\n",
                    scale, sdl.freeWidth(), sdl.freeHeight(), sdl.openedScale());
    std::fflush(stdout);
    PlayerShell shell(sdl, stdout);
    if (options.scale > 0) rememberScale(options.scale);
    if (options.fullscreen) rememberFullScreen(true);
    if (Settings.muted) shell.setMuted(true);
    // In the browser the page's test hooks sit over the shell; on the desktop nothing does.
    platform = &pagePlatform(shell);
    // Saved states live in the player's folder; the one kept at the last closing is offered
    // over the first frame (taken at once with --continue, ignored with --new). A recording
    // plays from the start, so it is not offered then.
    const std::string playerData = PlayerFolder;
    if (!playerData.empty())
        shell.setStateFiles(playerData + "/quick.sav", playerData + "/suspend.sav", options.recordPath.empty());
    const bool suspended = !playerData.empty() && isRegularFile((playerData + "/suspend.sav").c_str());
    const bool offer = suspended && options.recordPath.empty() && !options.newGame;
    if (offer && !options.continueGame) shell.offerContinue();
    startUp(start);
    gameFolderHash();  // read once now, so that the first F5 is as quick as the others
    if (offer && options.continueGame) shell.continueSuspended();
    while (!quitFetched()) loopPass();
    const int exitCode = shutDown();
    sdl.close();
    platform = nullptr;
    if (!finishRecording()) {
        std::fprintf(stderr, "sortie: the recording %s could not be written completely\n", options.recordPath.c_str());
        return kNoGame;
    }
    return exitCode;
}
