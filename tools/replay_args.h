// The headless runner's command line and input files, read apart from running them so
// that every way they can be wrong is testable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// One input event: a message queued before the pump that precedes frame `frame` (1 or
// more).
struct ReplayEvent {
    int64_t frame;
    Message message;
};

// A picture of the window to write after frame `frame`; frame 0 is right after start-up.
struct ReplayShot {
    int64_t frame;
    std::string path;
};

struct ReplayOptions {
    int64_t frames = -1;  // -1 when not given: then the last frame of the input, or 0
    int64_t startSeconds = 0;
    std::string inputPath;  // empty: no input
    std::string tracePath;  // empty: no trace
    std::vector<ReplayShot> shots;
    std::string gameDir;
    bool help = false;
};

extern const char kReplayUsage[];

// Reads argv[1..argc-1]. Returns false with a one-line message in `error` for an unknown
// option, a missing or malformed value, or anything but exactly one game folder.
bool parseReplayArgs(int argc, const char* const* argv, ReplayOptions& options, std::string& error);

// Parses the text of an input file: "FRAME EVENT..." a line, blank lines and "#" comments
// allowed. Events come out in frame order, in file order within a frame. Returns false
// with "<name>:<line>: <reason>" in `error` at the first bad line.
bool parseReplayInput(const std::string& text, const std::string& name, std::vector<ReplayEvent>& events,
                      std::string& error);

// Reads and parses the input file at `path`; a file that cannot be read (data_file.h: not a
// regular file) or is over kTextFileLimit is an error too.
bool readReplayInput(const std::string& path, std::vector<ReplayEvent>& events, std::string& error);
