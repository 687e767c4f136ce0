#include "app/options.h"

#include <charconv>

const char kGameUsage[] = "usage: sortie [OPTIONS] [GAME_DIR]";

const char kGameHelp[] =
    "Plays the game in GAME_DIR (data/, bmp/ and wav/ side by side; the current folder when\n"
    "none is given).\n"
    "\n"
    "Options:\n"
    "  --fullscreen          start in full screen\n"
    "  --scale N             open a window N times 800 x 600 (1 to 8)\n"
    "  --script PATH         start with the script PATH instead of data/advfile.dat\n"
    "  --stage shoot|battle N  start in stage N, straight after the ready screen\n"
    "  --record FILE         write the session as a sortie-replay input file\n"
    "  --help                show this help\n"
    "  --version             show the version\n"
    "\n"
    "Controls:\n"
    "  picture screens       left click or Z goes on; on a menu, left-click a button\n"
    "  shooting stage        arrow keys move; Z fires; X jumps from a pad\n"
    "  battle stage          right click steers, left click fires, Z fires again,\n"
    "                        Left and Right turn\n"
    "  Esc or P              pause and resume; Q quits while paused\n"
    "  M                     sound off and on\n"
    "  F11 or Alt+Enter      full screen and back\n"
    "  F12                   save a screenshot (its path is printed)\n"
    "  game pad              d-pad or left stick: arrow keys; A: Z; B: X; Start: pause;\n"
    "                        right stick: pointer; right trigger: left click;\n"
    "                        right shoulder: right click\n";

namespace {

// A whole decimal integer within [low, high]; nothing else on the text.
bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& out) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end || value < low || value > high) return false;
    out = value;
    return true;
}

}  // namespace

bool parseGameOptions(int argc, const char* const* argv, GameOptions& options, std::string& error) {
    bool folderSeen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return error = arg + " needs a value", false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--fullscreen") {
            options.fullscreen = true;
        } else if (arg == "--scale") {
            int64_t n = 0;
            if (!value(text)) return false;
            if (!parseInteger(text, 1, 8, n)) return error = "--scale takes a whole number from 1 to 8", false;
            options.scale = static_cast<int>(n);
        } else if (arg == "--script") {
            if (!value(options.scriptPath)) return false;
            if (options.scriptPath.empty()) return error = "--script needs a path", false;
        } else if (arg == "--stage") {
            if (!value(text)) return false;
            if (text == "shoot") {
                options.stage = StartStage::Shooting;
            } else if (text == "battle") {
                options.stage = StartStage::Battle;
            } else {
                return error = "--stage takes shoot or battle, then the stage number", false;
            }
            int64_t n = 0;
            if (!value(text)) return false;
            if (!parseInteger(text, -128, 127, n)) return error = "the stage number must be from -128 to 127", false;
            options.stageNumber = static_cast<int32_t>(n);
        } else if (arg == "--record") {
            if (!value(options.recordPath)) return false;
            if (options.recordPath.empty()) return error = "--record needs a file name", false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error = "unknown option " + arg, false;
        } else {
            if (folderSeen) return error = "only one game folder, not " + arg, false;
            options.gameDir = arg;
            folderSeen = true;
        }
    }
    return true;
}
