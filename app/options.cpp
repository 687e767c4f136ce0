#include "app/options.h"

#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "app/command_line.h"
#include "app/recording.h"
#include "stage/stage_file.h"
#include "platform/utf8_path.h"

const char kGameUsage[] = "usage: sortie [OPTIONS] [GAME_DIR]";

const char kGameHelp[] =
    "Plays the game in GAME_DIR (data/, bmp/ and wav/ side by side). Without GAME_DIR it plays\n"
    "the game in the current folder, or, when there is none, the demo game installed with\n"
    "sortie (share/sortie/game beside the program's bin/).\n"
    "\n"
    "Options:\n"
    "  --fullscreen          start in full screen\n"
    "  --scale N             open a window N times 800 x 600 (1 to 8), lowered to the\n"
    "                        largest that fits the screen; without it, the largest that\n"
    "                        fits (the window can be resized and maximised too)\n"
    "  --script PATH         start with the script PATH (inside GAME_DIR, as scripts name\n"
    "                        it) instead of data/advfile.dat\n"
    "  --stage shoot|battle N  start in stage N, straight after the ready screen; when the\n"
    "                        stage ends, the start script runs from its beginning\n"
    "  --record FILE         write the session as a sortie-replay input file (a new file,\n"
    "                        or an earlier recording, which is replaced)\n"
    "  --data DIR            keep the player's data (saved weapons, settings, states) in DIR\n"
    "  --continue            continue where the last session was closed, without asking\n"
    "  --new                 start a new game even when the last session can be continued\n"
    "  -h, --help            show this help\n"
    "  --version             show the version\n"
    "Options take their value as --name value or --name=value; -- ends the options.\n"
    "\n"
    "Controls:\n"
    "  picture screens       left click, Z, Enter or Space goes on\n"
    "  menus                 left-click a button; or Tab, Shift+Tab or the arrow keys\n"
    "                        move a highlight, Enter, Space or Z press it, and a label's\n"
    "                        underlined letter presses its button (these keys are the\n"
    "                        menu's only while it is up; Z once a button is highlighted)\n"
    "  shooting stage        arrow keys move; Z fires; X jumps from a pad\n"
    "  battle stage          right click steers, left click fires, Z fires again,\n"
    "                        Left and Right turn\n"
    "  Esc or P              pause and resume; Q quits while paused\n"
    "  M                     sound off and on\n"
    "  F11 or Alt+Enter      full screen and back\n"
    "  F12                   save a screenshot (its path is printed)\n"
    "  F5, F9                save the game as it stands; go back to that saved moment\n"
    "  game pad              d-pad or left stick: arrow keys (menus too); A: Z; B: X;\n"
    "                        Start: pause; right stick: pointer; right trigger: left\n"
    "                        click; right shoulder: right click; Back: save (F5);\n"
    "                        Start while Back is held: go back to the save (F9)\n";

bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& out) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end || value < low || value > high) return false;
    out = value;
    return true;
}

bool parseGameOptions(int argc, const char* const* argv, GameOptions& options, std::string& error) {
    const CommandAsked asked = helpOrVersionAsked(argc, argv);
    options.help = asked == CommandAsked::Help;
    options.version = asked == CommandAsked::Version;
    if (asked != CommandAsked::Run) return true;
    ArgumentReader args{argc, argv};
    bool folderSeen = false;
    while (nextArgument(args)) {
        const std::string& arg = args.word;
        auto value = [&](std::string& out) { return optionValue(args, out, error); };
        std::string text;
        if (!args.isOption) {
            if (folderSeen) return error = "only one game folder, not " + arg, false;
            options.gameDir = arg;
            folderSeen = true;
        } else if (arg == "--continue" || arg == "--new") {
            if (!takesNoValue(args, error)) return false;
            (arg == "--new" ? options.newGame : options.continueGame) = true;
            if (options.newGame && options.continueGame) return error = "--continue and --new exclude each other", false;
        } else if (arg == "--fullscreen") {
            if (!takesNoValue(args, error)) return false;
            options.fullscreen = true;
        } else if (arg == "--scale") {
            int64_t n = 0;
            if (!value(text)) return false;
            if (!parseInteger(text, 1, kMaxWindowScale, n))
                return error = "--scale takes a whole number from 1 to " + std::to_string(kMaxWindowScale), false;
            options.scale = static_cast<int>(n);
        } else if (arg == "--script") {
            if (!value(options.scriptPath)) return false;
            if (options.scriptPath.empty()) return error = "--script needs a path", false;
        } else if (arg == "--stage") {
            std::string number;
            if (!value(text) || !nextValue(args, number, error)) return false;
            if (!parseStageValues(text, number, options.stage, options.stageNumber, error)) return false;
        } else if (arg == "--record") {
            if (!value(options.recordPath)) return false;
            if (options.recordPath.empty()) return error = "--record needs a file name", false;
        } else if (arg == "--data") {
            if (!value(options.dataDir)) return false;
            if (options.dataDir.empty()) return error = "--data needs a folder", false;
        } else {
            return error = "unknown option " + arg, false;
        }
    }
    return true;
}

bool recordingHeader(const GameOptions& options, std::string& header, std::string& error) {
    header = std::string(kRecordingMark) + SORTIE_VERSION +
             ", recorded as it was played. To play it again, frame for frame:\n"
             "#   build/tools/sortie-replay --input THIS_FILE GAME_DIR\n";
    if (!options.scriptPath.empty()) {
        for (char c : options.scriptPath)
            if (static_cast<unsigned char>(c) <= ' ' || c == '#')
                return error = "--record cannot keep a --script path with a space or a '#' in it", false;
        header += "0 script " + options.scriptPath + "\n";
    }
    if (options.stage != StartStage::None)
        header += std::string("0 stage ") + (options.stage == StartStage::Shooting ? "shoot " : "battle ") +
                  std::to_string(options.stageNumber) + "\n";
    return true;
}

bool parseStageValues(const std::string& kind, const std::string& number, StartStage& stage, int32_t& stageNumber,
                      std::string& error) {
    if (kind != "shoot" && kind != "battle")
        return error = "--stage takes shoot or battle, then the stage number", false;
    int64_t n = 0;
    if (!parseInteger(number, -128, 127, n)) return error = "the stage number must be from -128 to 127", false;
    stage = kind == "shoot" ? StartStage::Shooting : StartStage::Battle;
    stageNumber = static_cast<int32_t>(n);
    return true;
}

bool isRegularFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool resolveStartPoint(const std::string& scriptPath, StartStage stage, int32_t stageNumber, StartPoint& start,
                       std::string& error) {
    start = StartPoint{};
    if (!scriptPath.empty()) {
        // The scripts name their files inside the game folder, and so does --script.
        const std::filesystem::path inside = utf8Path(scriptPath).lexically_normal();
        if (inside.is_absolute() || *inside.begin() == "..")
            return error = "--script takes a path inside the game folder, like data/shoot.dat, not " + scriptPath,
                   false;
        if (scriptPath.size() >= sizeof start.scriptPath)
            return error = "the --script path is longer than the 159 characters a script path may have", false;
        if (!isRegularFile(scriptPath.c_str()))
            return error = "no script " + scriptPath + " in the game folder (--script takes a path inside it, "
                           "like data/shoot.dat)", false;
        std::snprintf(start.scriptPath, sizeof start.scriptPath, "%s", scriptPath.c_str());
    }
    if (stage != StartStage::None) {
        start.mode = stage == StartStage::Shooting ? kShootingHandOver : kBattleHandOver;
        start.stageNumber = static_cast<int8_t>(stageNumber);
        char name[kTextSize];
        stageFileName(start.stageNumber, name);
        if (!isRegularFile(name))
            return error = "no stage file data/level" + std::to_string(stageNumber) + ".txt in the game folder", false;
    }
    return true;
}
