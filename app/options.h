// The game's command line: `sortie [OPTIONS] [GAME_DIR]`. Read apart from acting on it, so
// that every way it can be wrong is testable and nothing runs on a bad one.
#pragma once
#include <cstdint>
#include <string>

#include "app/main_loop.h"

// Which stage `--stage` starts in, straight after the ready screen.
enum class StartStage { None, Shooting, Battle };

// The largest window scale a player can ask for.
constexpr int kMaxWindowScale = 8;

struct GameOptions {
    std::string gameDir;            // the game folder, the game runs as if started inside it;
                                    // empty: the current folder's game, or else the demo
    bool help = false;
    bool version = false;
    bool fullscreen = false;        // start in full screen (desktop resolution)
    int scale = 0;                  // window size in multiples of 800 x 600; 0: the largest that fits
    std::string scriptPath;         // empty: the game's own ./data/advfile.dat
    StartStage stage = StartStage::None;
    int32_t stageNumber = 0;        // with `stage`: the stage file's number
    std::string recordPath;         // empty: no recording
    std::string dataDir;            // the player's folder for the game; empty: the usual one
    bool continueGame = false;      // take the state left at the last close without asking
    bool newGame = false;           // start anew, ignoring that state
};

extern const char kGameUsage[];
// What --help prints after the usage line: the options and the controls.
extern const char kGameHelp[];

// A whole decimal integer within [low, high], nothing else on the text; false otherwise.
bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& out);

// Reads argv[1..argc-1]. Returns false with a one-line reason in `error` for an unknown
// option, a missing or malformed value, or more than one game folder.
bool parseGameOptions(int argc, const char* const* argv, GameOptions& options, std::string& error);

// The lines that open a recording made with these options: comments saying what made it
// and how to play it again, then the start options that shaped the run as input-file lines
// ("0 script PATH", "0 stage shoot|battle N"), which sortie-replay applies. False with a
// one-line reason for a --script path that such a line cannot hold (a space or a '#').
bool recordingHeader(const GameOptions& options, std::string& header, std::string& error);

// The two values of `--stage shoot|battle N`, shared by every program that takes it. False
// with a one-line reason.
bool parseStageValues(const std::string& kind, const std::string& number, StartStage& stage, int32_t& stageNumber,
                      std::string& error);

// True when `path` names a regular file.
bool isRegularFile(const char* path);

// The start point that --script and --stage ask for, checked against the game folder that
// is the current directory: the script (its path as the scripts write paths) and the stage
// file must be files there. False with a one-line reason.
bool resolveStartPoint(const std::string& scriptPath, StartStage stage, int32_t stageNumber, StartPoint& start,
                       std::string& error);
