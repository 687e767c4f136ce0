// The game's command line: `sortie [OPTIONS] [GAME_DIR]`. Read apart from acting on it, so
// that every way it can be wrong is testable and nothing runs on a bad one.
#pragma once
#include <cstdint>
#include <string>

// Which stage `--stage` starts in, straight after the ready screen.
enum class StartStage { None, Shooting, Battle };

struct GameOptions {
    std::string gameDir = ".";      // the game folder; the game runs as if started inside it
    bool help = false;
    bool version = false;
    bool fullscreen = false;        // start in full screen (desktop resolution)
    int scale = 1;                  // window size in multiples of 800 x 600
    std::string scriptPath;         // empty: the game's own ./data/advfile.dat
    StartStage stage = StartStage::None;
    int32_t stageNumber = 0;        // with `stage`: the stage file's number
    std::string recordPath;         // empty: no recording
};

extern const char kGameUsage[];
// What --help prints after the usage line: the options and the controls.
extern const char kGameHelp[];

// Reads argv[1..argc-1]. Returns false with a one-line reason in `error` for an unknown
// option, a missing or malformed value, or more than one game folder.
bool parseGameOptions(int argc, const char* const* argv, GameOptions& options, std::string& error);
