// The player's folder for one game: where everything a game writes is kept (the character
// list the armory saves, the player's settings), so that the game folder stays its author's
// and is only ever read. `sortie` finds it under the user's data folder as
// games/<game folder's name>-<hash of its absolute path>/; --data names it outright, and
// sortie-replay makes a temporary one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kPlayerFolderSize = 4096;
// The player's folder of the game being played, without a trailing separator; set once
// before start-up and kept for the whole run. Empty: there is none, so the game's own files
// are read and nothing the game would keep is written (the engine's unit tests and fuzz
// harnesses run so).
extern char PlayerFolder[kPlayerFolderSize];

// Where the players' folders are, as the help shows it.
#ifdef _WIN32
constexpr const char* kPlayerFoldersShown = "%APPDATA%\\sortie\\games\\";
#else
constexpr const char* kPlayerFoldersShown = "~/.local/share/sortie/games/";
#endif

// Sets PlayerFolder, with any trailing separators dropped; false, leaving it as it was, when
// the path does not fit.
bool setPlayerFolder(const std::string& path);

// 64-bit FNV-1a over `size` bytes, going on from `hash`.
constexpr uint64_t kHashStart = 14695981039346656037ull;
uint64_t hashBytes(const void* bytes, size_t size, uint64_t hash = kHashStart);

// The player's folder of the game folder at `absolutePath` (the game's own path, links
// resolved) under `userDataFolder` (which ends in a separator): games/<the folder's name,
// at most 64 bytes of it>-<8 hex digits of the path's hash>.
std::string playerFolderFor(const std::string& userDataFolder, const std::string& absolutePath);

// True when `path` names the current folder (the game folder) itself, which can never be
// the player's.
bool isCurrentFolder(const std::string& path);

// Makes the folder `path` and every missing folder above it. False, with errno saying why,
// when one cannot be made or something else stands in the way.
bool makeFolders(const char* path);

// The folder temporary files go in: $TMPDIR, else /tmp; on Windows the user's temporary
// folder. An absolute path without a trailing separator.
std::string temporaryRoot();

// Makes a new, empty folder under temporaryRoot() named `prefix` and six characters no other
// folder there has; its path, or empty when none could be made.
std::string makeTemporaryFolder(const std::string& prefix);
