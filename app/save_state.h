// Saved states: the whole game between two frames in one file, so that a state loaded and
// played with the same input gives exactly the frames, sounds and saves of the run it was
// taken from. The file is a header (magic, format version, the game it belongs to, the
// frame) and the state compressed with zlib. Pictures loaded from the game's files are kept
// as the file's name and rebuilt from it; only the back buffer and the window keep pixels.
// Music goes on from where it was where the back end can seek; an action sound restarts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kSaveStateVersion = 1;
// Magic, version, game, frame, the state's size before and after compression, and a CRC-32
// of the compressed state (whose last bits zlib itself does not check).
constexpr size_t kSaveStateHeaderBytes = 48;
// A state holds about 4 MB before compression; a larger one is refused as damaged.
constexpr uint64_t kSaveStatePayloadLimit = uint64_t{64} << 20;

// The game folder's identity: a hash of the names and contents of every file under data/,
// bmp/ and wav/ of the current folder. Computed once per folder and remembered: the game's
// files do not change while it runs.
uint64_t gameFolderHash();

// The state of the game as it stands between frames, as the bytes of a state file.
std::vector<uint8_t> encodeGameState();
// The same in two steps, for tests that forge states: the state uncompressed, and a file of
// the current game around any such bytes.
std::vector<uint8_t> gameStatePayload();
std::vector<uint8_t> wrapGameStatePayload(const uint8_t* payload, size_t size, int64_t frame);
// Takes the game to the state `bytes` holds. A state of another game, of this game before
// it changed, of another format, cut short or damaged is refused with one line in `error`
// ("saved state of another game ..."), and the game is left exactly as it was.
bool applyGameState(const uint8_t* bytes, size_t size, std::string& error);

// The frame a state file was saved after, read from its header; -1 when it is no state.
int64_t gameStateFrame(const uint8_t* bytes, size_t size);

// encodeGameState into `path`, written whole or not at all (a temporary file, then a
// rename). False with one line in `error`.
bool saveGameState(const char* path, std::string& error);
// Reads `path` and applies it; false with one line in `error`, the game unchanged.
bool loadGameState(const char* path, std::string& error);
// The bytes of the file at `path` (at most a state's size); false with one line in `error`.
bool readGameStateFile(const char* path, std::vector<uint8_t>& bytes, std::string& error);
