// The player's settings: full screen, the window's scale and sound off, kept in settings.txt
// in the player's folder (platform/player_folder.h) so that the game opens the next time as
// the player left it. The command line wins over them for its run. The file holds one
// setting a line, "fullscreen 0|1", "scale 1..8", "mute 0|1"; anything else in it is
// ignored, and a setting it does not give keeps its default.
#pragma once
#include <string>

struct PlayerSettings {
    bool fullScreen = false;
    int scale = 0;  // 0: none chosen yet
    bool muted = false;

    bool operator==(const PlayerSettings&) const = default;
};

// The settings as loaded, and as changed since.
extern PlayerSettings Settings;

// The file's text for `settings`.
std::string settingsText(const PlayerSettings& settings);
// The settings `text` gives, over the defaults.
PlayerSettings parseSettings(const std::string& text);

// Loads Settings from the player's folder; the defaults when there is no folder or file.
void loadSettings();
// Writes Settings to the player's folder when they differ from what it holds (the defaults
// when it holds none); a failure is one line on stderr, and the game goes on.
void saveSettings();
// Changes one setting and saves them.
void rememberFullScreen(bool on);
void rememberScale(int scale);
void rememberMuted(bool on);
