#include "tools/replay_args.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <strings.h>

#include "app/command_line.h"
#include "app/input_file.h"
#include "app/recording.h"
#include "platform/data_file.h"

const char kReplayUsage[] =
    "usage: sortie-replay [--frames N] [--time T] [--input FILE] [--shot F=FILE.bmp|F=FILE.png]... [--trace FILE]\n"
    "                     [--script PATH] [--stage shoot|battle N] [--data DIR] [--verify]\n"
    "                     [--save F=FILE]... [--load FILE] GAME_DIR\n"
    "\n"
    "Runs the game in GAME_DIR headless for N frames (without --frames: to the last frame of the\n"
    "input) and prints a summary of the game state. An input file recorded by sortie --record\n"
    "carries the clock, the script and the stage the session started with; --time, --script\n"
    "and --stage on the command line win over them. At the end the summary is compared with\n"
    "the one the recording ends with; --verify makes a difference exit with status 1.\n"
    "--save F=FILE writes the game's saved state after frame F; --load FILE starts from one:\n"
    "the frames count on from its frame, input events up to that frame are skipped, and shots\n"
    "and the trace cover the frames after it.\n"
    "Options take their value as --name value or --name=value; -- ends the options.";

namespace {

// The shot's file format from its name's ending, in any case; false for any other ending.
bool shotFormat(const std::string& path, bool& png) {
    auto endsWith = [&](const char* suffix) {
        const size_t n = std::char_traits<char>::length(suffix);
        return path.size() > n && strcasecmp(path.c_str() + path.size() - n, suffix) == 0;
    };
    png = endsWith(".png");
    return png || endsWith(".bmp");
}

// Reads the words after the frame number into one message; false with a reason.
bool parseEvent(const std::vector<std::string>& w, Message& m, std::string& reason) {
    const size_t n = w.size();
    if (w[0] == "close") {
        if (n != 1) return reason = "close takes nothing after it", false;
        m = Message{WM_CLOSE, 0, 0};
        return true;
    }
    if (w[0] == "key") {
        if (n != 3) return reason = "expected: key down|up LEFT|RIGHT|UP|DOWN|Z|X|SPACE|ENTER", false;
        if (w[1] != "down" && w[1] != "up") return reason = "key must be followed by down or up, not '" + w[1] + "'", false;
        for (const InputKeyName& k : kInputKeyNames) {
            if (w[2] == k.name) {
                m = Message{w[1] == "down" ? WM_KEYDOWN : WM_KEYUP, k.key, 0};
                return true;
            }
        }
        return reason = "unknown key '" + w[2] + "'", false;
    }
    if (w[0] == "mouse") {
        if (n >= 2 && w[1] == "move") {
            int64_t x, y;
            if (n != 4) return reason = "expected: mouse move X Y", false;
            if (!parseInteger(w[2], -32768, 65535, x) || !parseInteger(w[3], -32768, 65535, y))
                return reason = "mouse position must be two integers from -32768 to 65535", false;
            m = Message{WM_MOUSEMOVE, 0, (x & 0xFFFF) | ((y & 0xFFFF) << 16)};
            return true;
        }
        if (n == 3 && (w[1] == "down" || w[1] == "up") && (w[2] == "left" || w[2] == "right")) {
            const bool down = w[1] == "down";
            const bool left = w[2] == "left";
            m.code = left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
            m.wParam = 0;
            m.lParam = 0;
            return true;
        }
        return reason = "expected: mouse move X Y, or mouse down|up left|right", false;
    }
    return reason = "unknown event '" + w[0] + "'", false;
}

}  // namespace

bool parseReplayArgs(int argc, const char* const* argv, ReplayOptions& options, std::string& error) {
    options = ReplayOptions{};
    const CommandAsked asked = helpOrVersionAsked(argc, argv);
    options.help = asked == CommandAsked::Help;
    options.version = asked == CommandAsked::Version;
    if (asked != CommandAsked::Run) return true;
    ArgumentReader args{argc, argv};
    int positional = 0;
    while (nextArgument(args)) {
        const std::string& arg = args.word;
        if (!args.isOption) {
            if (++positional > 1) return error = "more than one game folder: " + arg, false;
            options.gameDir = arg;
            continue;
        }
        if (arg == "--verify") {
            if (!takesNoValue(args, error)) return false;
            options.verify = true;
            continue;
        }
        if (arg == "--stage") {
            std::string kind, number;
            if (!optionValue(args, kind, error) || !nextValue(args, number, error))
                return error = "--stage needs shoot or battle, then the stage number", false;
            if (!parseStageValues(kind, number, options.stage, options.stageNumber, error)) return false;
            continue;
        }
        if (arg != "--frames" && arg != "--time" && arg != "--input" && arg != "--shot" && arg != "--trace" &&
            arg != "--script" && arg != "--data" && arg != "--save" && arg != "--load")
            return error = "unknown option " + arg, false;
        std::string value;
        if (!optionValue(args, value, error)) return false;
        if (arg == "--load") {
            if (value.empty()) return error = "--load needs a saved state's file name", false;
            options.loadPath = value;
        } else if (arg == "--save") {
            const size_t eq = value.find('=');
            ReplaySave save;
            if (eq == std::string::npos || !parseInteger(value.substr(0, eq), 0, INT32_MAX, save.frame) ||
                eq + 1 == value.size())
                return error = "--save needs F=FILE with a frame number F of 0 or more, not '" + value + "'", false;
            save.path = value.substr(eq + 1);
            options.saves.push_back(save);
        } else if (arg == "--data") {
            if (value.empty()) return error = "--data needs a folder", false;
            options.dataDir = value;
        } else if (arg == "--script") {
            if (value.empty()) return error = "--script needs a path", false;
            options.scriptPath = value;
        } else if (arg == "--frames") {
            if (!parseInteger(value, 0, INT32_MAX, options.frames))
                return error = "--frames needs a whole number of frames, 0 or more, not '" + value + "'", false;
        } else if (arg == "--time") {
            int64_t seconds = 0;
            if (!parseInteger(value, INT64_MIN, INT64_MAX, seconds))
                return error = "--time needs a whole number of seconds, not '" + value + "'", false;
            options.startSeconds = seconds;
            options.timeGiven = true;
        } else if (arg == "--input" || arg == "--trace") {
            if (value.empty()) return error = arg + " needs a file name", false;
            (arg == "--input" ? options.inputPath : options.tracePath) = value;
        } else {
            const size_t eq = value.find('=');
            ReplayShot shot;
            if (eq == std::string::npos || !parseInteger(value.substr(0, eq), 0, INT32_MAX, shot.frame) ||
                eq + 1 == value.size())
                return error = "--shot needs F=FILE.bmp with a frame number F of 0 or more, not '" + value + "'",
                       false;
            shot.path = value.substr(eq + 1);
            if (!shotFormat(shot.path, shot.png))
                return error = "--shot writes FILE.bmp or FILE.png, not '" + shot.path + "'", false;
            options.shots.push_back(shot);
        }
    }
    if (positional == 0) return error = "no game folder given", false;
    return true;
}

bool parseReplayInput(const std::string& text, const std::string& name, std::vector<ReplayEvent>& events,
                      std::string& error, ReplayInputStart* start) {
    events.clear();
    ReplayInputStart read;
    bool scriptSeen = false;
    bool inSummary = false;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line == kSummaryHeading) {
            read.summaryGiven = inSummary = true;
            read.summary.clear();
            continue;
        }
        if (inSummary && line.compare(0, 2, "# ") == 0) {
            read.summary += line.substr(2) + "\n";
            continue;
        }
        inSummary = false;
        const bool tail = line.starts_with(std::string(kPlayerListTailWord) + " ");
        if (tail || line == kPlayerListWord || line.starts_with(std::string(kPlayerListWord) + " ")) {
            const size_t text = std::strlen(tail ? kPlayerListTailWord : kPlayerListWord) + 1;
            if (text <= line.size()) read.playerList += line.substr(text);
            if (!tail) read.playerList += "\n";
            read.playerListGiven = true;
            continue;
        }
        line = line.substr(0, line.find('#'));
        std::istringstream wordStream(line);
        std::vector<std::string> words;
        for (std::string word; wordStream >> word;) words.push_back(word);
        if (words.empty()) continue;
        const std::string where = name + ":" + std::to_string(number) + ": ";
        ReplayEvent event{};
        if (words[0] == "0" && words.size() > 1 && words[1] == "clock") {
            int64_t seconds = 0;
            if (words.size() != 3 || !parseInteger(words[2], INT64_MIN, INT64_MAX, seconds))
                return error = where + "expected: 0 clock SECONDS, a whole number", false;
            if (read.clockSeconds) return error = where + "a second clock line", false;
            read.clockSeconds = seconds;
            continue;
        }
        if (words[0] == "0" && words.size() > 1 && words[1] == "script") {
            if (words.size() != 3) return error = where + "expected: 0 script PATH, one word", false;
            if (scriptSeen) return error = where + "a second script line", false;
            read.scriptPath = words[2];
            scriptSeen = true;
            continue;
        }
        if (words[0] == "0" && words.size() > 1 && words[1] == "stage") {
            std::string reason;
            if (words.size() != 4) return error = where + "expected: 0 stage shoot|battle N", false;
            if (read.stage != StartStage::None) return error = where + "a second stage line", false;
            if (!parseStageValues(words[2], words[3], read.stage, read.stageNumber, reason))
                return error = where + reason, false;
            continue;
        }
        if (!parseInteger(words[0], 1, INT32_MAX, event.frame))
            return error = where + "a line starts with its frame number, 1 or more (0 only for '0 clock SECONDS', " +
                           "'0 script PATH' and '0 stage shoot|battle N'), not '" + words[0] + "'", false;
        words.erase(words.begin());
        if (words.empty()) return error = where + "no event after the frame number", false;
        std::string reason;
        if (!parseEvent(words, event.message, reason)) return error = where + reason, false;
        events.push_back(event);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    if (start) *start = read;
    return true;
}

bool readReplayInput(const std::string& path, std::vector<ReplayEvent>& events, std::string& error,
                     ReplayInputStart* start) {
    std::vector<uint8_t> bytes;
    const FileState state = readDataFile(path.c_str(), kReplayInputLimit, bytes);
    if (state != FileState::Ok)
        return error = "cannot read input file " + path + ": it " + fileStateText(state, kReplayInputLimit), false;
    return parseReplayInput(std::string(bytes.begin(), bytes.end()), path, events, error, start);
}
