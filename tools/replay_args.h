// The headless runner's command line and input files, read apart from running them so
// that every way they can be wrong is testable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/options.h"
#include "platform/platform.h"

// One input event: a message queued before the pump that precedes frame `frame` (1 or
// more).
struct ReplayEvent {
    int64_t frame;
    Message message;
};

// A picture of the window to write after frame `frame`; frame 0 is right after start-up.
// A name ending in .png gives a PNG file, one ending in .bmp a BMP file.
struct ReplayShot {
    int64_t frame;
    std::string path;
    bool png = false;
};

// A saved state to write after frame `frame`.
struct ReplaySave {
    int64_t frame;
    std::string path;
};

struct ReplayOptions {
    int64_t frames = -1;  // -1 when not given: then the last frame of the input, or 0
    int64_t startSeconds = 0;
    bool timeGiven = false;  // --time was given: it wins over an input file's clock line
    std::string inputPath;  // empty: no input
    std::string tracePath;  // empty: no trace
    std::vector<ReplayShot> shots;
    std::vector<ReplaySave> saves;
    std::string loadPath;  // a saved state to start from; empty: start-up as usual
    std::string gameDir;
    std::string scriptPath;  // empty: the game's own ./data/advfile.dat
    std::string dataDir;     // the player's folder for the game; empty: a temporary one
    StartStage stage = StartStage::None;
    int32_t stageNumber = 0;
    bool verify = false;  // a run that ends unlike its recording fails
    bool help = false;
    bool version = false;
};

// What an input file says besides its events: the options that shaped the recorded run, at
// frame 0, and the summary the recording ends with.
struct ReplayInputStart {
    std::optional<int64_t> clockSeconds;  // "0 clock SECONDS"
    std::string scriptPath;               // "0 script PATH"; empty when not given
    StartStage stage = StartStage::None;  // "0 stage shoot|battle N"
    int32_t stageNumber = 0;
    bool playerListGiven = false;  // "0 charlist" lines: the player's saved list the session started from
    std::string playerList;        // its bytes
    bool summaryGiven = false;  // the file ends with a recorded summary
    std::string summary;        // its lines, without their "# ", as printGameSummary prints them
};

extern const char kReplayUsage[];

// Reads argv[1..argc-1]. Returns false with a one-line message in `error` for an unknown
// option, a missing or malformed value, or anything but exactly one game folder.
bool parseReplayArgs(int argc, const char* const* argv, ReplayOptions& options, std::string& error);

// Parses the text of an input file: "FRAME EVENT..." a line, blank lines and "#" comments
// allowed, and at most one of each frame-0 line ("0 clock SECONDS", the clock the game is
// seeded from; "0 script PATH"; "0 stage shoot|battle N"), which go into `start` when that
// is given, with the summary that follows a recording's kSummaryHeading line. Events come
// out in frame order, in file order within a frame. Returns false with
// "<name>:<line>: <reason>" in `error` at the first bad line.
bool parseReplayInput(const std::string& text, const std::string& name, std::vector<ReplayEvent>& events,
                      std::string& error, ReplayInputStart* start = nullptr);

// An input file's limit: a recording of half a day's play with the mouse moving every frame.
// Its events are held in memory, about 32 bytes each.
constexpr int64_t kReplayInputLimit = int64_t{64} << 20;

// Reads and parses the input file at `path`; a file that cannot be read (data_file.h: not a
// regular file) or is over kReplayInputLimit is an error too.
bool readReplayInput(const std::string& path, std::vector<ReplayEvent>& events, std::string& error,
                     ReplayInputStart* start = nullptr);
