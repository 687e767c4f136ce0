#include "app/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "app/options.h"
#include "platform/data_file.h"
#include "platform/player_folder.h"

PlayerSettings Settings;

namespace {

constexpr char kSettingsFile[] = "settings.txt";
// Far more than the three lines; a bigger file is not the game's.
constexpr int64_t kSettingsLimit = 4096;

// What the file holds now, so that an unchanged setting writes nothing.
PlayerSettings saved;

std::string settingsPath() { return std::string(PlayerFolder) + "/" + kSettingsFile; }

}  // namespace

std::string settingsText(const PlayerSettings& settings) {
    std::string text = std::string("fullscreen ") + (settings.fullScreen ? "1" : "0") + "\n";
    if (settings.scale > 0) text += "scale " + std::to_string(settings.scale) + "\n";
    return text + "mute " + (settings.muted ? "1" : "0") + "\n";
}

PlayerSettings parseSettings(const std::string& text) {
    PlayerSettings settings;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, value, extra;
        if (!(words >> name >> value) || (words >> extra)) continue;
        int64_t n = 0;
        if (name == "fullscreen" && parseInteger(value, 0, 1, n)) settings.fullScreen = n == 1;
        if (name == "scale" && parseInteger(value, 1, kMaxWindowScale, n)) settings.scale = static_cast<int>(n);
        if (name == "mute" && parseInteger(value, 0, 1, n)) settings.muted = n == 1;
    }
    return settings;
}

void loadSettings() {
    Settings = saved = PlayerSettings{};
    if (PlayerFolder[0] == '\0') return;
    std::vector<uint8_t> bytes;
    if (readDataFile(settingsPath().c_str(), kSettingsLimit, bytes) != FileState::Ok) return;
    Settings = saved = parseSettings(std::string(bytes.begin(), bytes.end()));
}

void saveSettings() {
    if (PlayerFolder[0] == '\0') return;
    if (Settings == saved) return;
    const std::string text = settingsText(Settings);
    WriteFailure failure;
    if (!makeFolders(PlayerFolder)) {
        failure.step = "cannot make the folder";
        std::snprintf(failure.file, sizeof failure.file, "%s", PlayerFolder);
        failure.error = errno;
    } else if (replaceDataFile(settingsPath().c_str(), writeTextContext, &text, &failure)) {
        saved = Settings;
        return;
    }
    std::fprintf(stderr, "sortie: the settings were not saved: %s %s (%s)\n", failure.step, failure.file,
                 std::strerror(failure.error));
}

void rememberFullScreen(bool on) {
    Settings.fullScreen = on;
    saveSettings();
}

void rememberScale(int scale) {
    Settings.scale = scale;
    saveSettings();
}

void rememberMuted(bool on) {
    Settings.muted = on;
    saveSettings();
}
