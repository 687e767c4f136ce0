#include "app/save_state.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "app/main_loop.h"
#include "battle/battle_draw.h"
#include "battle/battle_update.h"
#include "platform/bitmap.h"
#include "platform/data_file.h"
#include "platform/media.h"
#include "platform/player_folder.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "platform/utf8_path.h"
#include "script/buttons.h"
#include "script/interpreter.h"
#include "script/presentation.h"
#include "script/script.h"
#include "shooting/shooting_draw.h"
#include "stage/spawn.h"
#include "stage/world.h"

namespace {

// The header, little-endian as every target is: magic, version, game, frame, the state's
// size before and after compression, the compressed part's CRC-32.
constexpr char kMagic[8] = {'S', 'O', 'R', 'T', 'I', 'E', 'S', 'V'};
constexpr size_t kHeaderBytes = kSaveStateHeaderBytes;
static_assert(kHeaderBytes == sizeof kMagic + 4 + 8 + 8 + 8 + 8 + 4);
// A picture larger than this many pixels is no picture of a game.
constexpr int64_t kMaxPixels = int64_t{16384} * 16384;
// A game file larger than this (no game has one) counts by its name only.
constexpr int64_t kHashedFileLimit = int64_t{256} << 20;

// The records' sizes, the first bytes of a state: a build whose records differ is another
// format even under the same version number.
struct Layout {
    uint32_t entity = sizeof(Entity);
    uint32_t button = sizeof(Button);
    uint32_t screenText = sizeof(ScreenText);
    uint32_t scriptRows = kScriptRows;
    uint32_t scriptRowSize = kScriptRowSize;
    uint32_t sound = sizeof(SoundState);
    bool operator==(const Layout&) const = default;
};

struct Writer {
    std::vector<uint8_t> bytes;
    void put(const void* p, size_t n) {
        const size_t at = bytes.size();
        bytes.resize(at + n);
        if (n > 0) std::memcpy(bytes.data() + at, p, n);
    }
    template <class T> void value(const T& v) { put(&v, sizeof v); }
};

struct Reader {
    const uint8_t* p;
    size_t left;
    bool ok = true;
    void get(void* out, size_t n) {
        if (n == 0) return;  // an empty picture has no pixels to point at
        if (!ok || n > left) {
            ok = false;
            std::memset(out, 0, n);
            return;
        }
        std::memcpy(out, p, n);
        p += n;
        left -= n;
    }
    template <class T> void value(T& v) { get(&v, sizeof v); }
};

bool terminated(const char* text, size_t size) { return std::memchr(text, '\0', size) != nullptr; }

// A picture's size and, for the back buffer and the window, its pixels.
struct SavedPicture {
    int32_t width;
    int32_t height;
    SurfaceSource source;
};

// Everything a state holds, read and checked apart from the game so that a refusal leaves
// the game untouched. About 4 MB: made on the heap, at a load only.
struct Staged {
    Layout layout;
    int64_t frameCount;
    int32_t pumpCount;
    Message lastMessage;
    InputValues input;
    uint32_t random;
    uint8_t aliasOpen[2];
    char mciReply[kTextSize];
    char bgmFileName[kTextSize];
    SoundState sound;
    char scriptTable[kScriptRows][kScriptRowSize];
    int32_t scriptCounter;
    int32_t scriptVars[kScriptVarCount];
    uint8_t scriptPhase;
    Button buttons[kButtonRecords];
    int8_t buttonCount;
    uint8_t shownButtonCount;
    uint8_t blinkToggle;
    char pictureName[kTextSize];
    ScreenText textSlots[kTextSlotCount];
    char lastWav2Name[kTextSize];
    uint8_t pictureDue;
    CharTemplate charTable[kTemplateCount];
    int32_t liveEnd;
    Entity entities[kEntityCount];
    StageParamsRecord stageParams;
    int32_t opponents, countdown;
    uint8_t result;
    int32_t weapon;
    uint8_t stageNumber;
    int8_t mode;
    int32_t picks[kSpawnPickHistory];
    int32_t scrolls[8];  // the shooting stage's three, the battle stage's four, the trail tick
    SavedPicture pictures[kSurfaceCount];
    Surface rebuilt[kSurfaceCount];
    Surface backBuffer;
    Surface window;
};

int32_t* const kScrollGlobals[8] = {&shootMidScroll,     &shootNearScroll, &shootGroundScroll,
                                    &battleMidScroll,    &battleNearScroll, &battleGroundScroll,
                                    &battleBlink,        &trailTick};

void putPixels(Writer& w, const Surface& s) {
    w.value(static_cast<int32_t>(s.width));
    w.value(static_cast<int32_t>(s.height));
    w.put(s.pixels.data(), s.pixels.size() * sizeof(uint32_t));
}

bool getPixels(Reader& r, Surface& s) {
    int32_t width, height;
    r.value(width);
    r.value(height);
    if (!r.ok || width < 0 || height < 0 || int64_t{width} * height > kMaxPixels) return false;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(uint32_t);
    if (bytes > r.left) return false;
    resizeSurface(s, width, height, kBlack);
    r.get(s.pixels.data(), bytes);
    return r.ok;
}

std::vector<uint8_t> encodePayload() {
    Writer w;
    w.bytes.reserve(size_t{5} << 20);
    w.value(Layout{});
    w.value(frameCount);
    w.value(pumpCount);
    w.value(lastMessage);
    w.value(InputState);
    w.value(randomState());
    for (int c = 0; c < 2; ++c) w.value(static_cast<uint8_t>(mediaAliasOpen(c)));
    w.value(MciReply);
    w.value(BgmFileName);
    // Records with padding are zeroed whole first, so that the same state gives the same bytes.
    SoundState sound;
    std::memset(&sound, 0, sizeof sound);
    platform->captureSound(sound);
    w.value(sound);
    w.value(ScriptTable);
    w.value(ScriptCounter);
    w.value(ScriptVars);
    w.value(ScriptPhase);
    w.value(ButtonTable);
    w.value(ButtonCount);
    w.value(ShownButtonCount);
    w.value(BlinkToggle);
    w.value(PictureName);
    w.value(TextSlots);
    w.value(LastWav2Name);
    w.value(static_cast<uint8_t>(pictureScreenDue()));
    w.value(CharTable);
    // Slots from liveSlotEnd up are zero bytes: cleared and never filled since.
    w.value(liveSlotEnd);
    w.put(EntityTable, sizeof(Entity) * static_cast<size_t>(liveSlotEnd));
    w.value(StageParams);
    w.value(opponentsLeft);
    w.value(stageCountdown);
    w.value(stageResult);
    w.value(weaponSel);
    w.value(StageNumber);
    w.value(GameMode);
    int32_t picks[kSpawnPickHistory];
    spawnPicks(picks);
    w.value(picks);
    for (int32_t* scroll : kScrollGlobals) w.value(*scroll);
    for (int slot = 0; slot < kSurfaceCount; ++slot) {
        SavedPicture picture;
        std::memset(&picture, 0, sizeof picture);
        picture.width = SurfaceTable[slot].width;
        picture.height = SurfaceTable[slot].height;
        picture.source = SurfaceSources[slot];
        w.value(picture);
    }
    // Only the back buffer is drawn on; the window is usually its copy.
    putPixels(w, SurfaceTable[kBackBuffer]);
    const bool windowIsBack = windowDC.width == SurfaceTable[kBackBuffer].width &&
                              windowDC.height == SurfaceTable[kBackBuffer].height &&
                              windowDC.pixels == SurfaceTable[kBackBuffer].pixels;
    w.value(static_cast<uint8_t>(windowIsBack));
    if (!windowIsBack) putPixels(w, windowDC);
    return std::move(w.bytes);
}

// Reads and checks every value a frame could trip over: lengths, indices, counts, the end
// of every text.
bool decodePayload(Reader& r, Staged& s, std::string& error) {
    auto damaged = [&](const char* what) {
        error = std::string("the saved state is damaged (") + what + ")";
        return false;
    };
    r.value(s.layout);
    if (r.ok && !(s.layout == Layout{})) {
        error = "the saved state was made by another build of the game";
        return false;
    }
    r.value(s.frameCount);
    r.value(s.pumpCount);
    r.value(s.lastMessage);
    r.value(s.input);
    r.value(s.random);
    r.value(s.aliasOpen);
    r.value(s.mciReply);
    r.value(s.bgmFileName);
    r.value(s.sound);
    r.value(s.scriptTable);
    r.value(s.scriptCounter);
    r.value(s.scriptVars);
    r.value(s.scriptPhase);
    r.value(s.buttons);
    r.value(s.buttonCount);
    r.value(s.shownButtonCount);
    r.value(s.blinkToggle);
    r.value(s.pictureName);
    r.value(s.textSlots);
    r.value(s.lastWav2Name);
    r.value(s.pictureDue);
    r.value(s.charTable);
    r.value(s.liveEnd);
    if (!r.ok) return damaged("cut short");
    if (s.frameCount < 0 || s.pumpCount < 0 || s.pumpCount > kPumpCap) return damaged("frame");
    if (s.liveEnd < 0 || s.liveEnd > kEntityCount) return damaged("entity count");
    std::memset(s.entities, 0, sizeof s.entities);
    r.get(s.entities, sizeof(Entity) * static_cast<size_t>(s.liveEnd));
    r.value(s.stageParams);
    r.value(s.opponents);
    r.value(s.countdown);
    r.value(s.result);
    r.value(s.weapon);
    r.value(s.stageNumber);
    r.value(s.mode);
    r.value(s.picks);
    r.value(s.scrolls);
    r.value(s.pictures);
    if (!r.ok) return damaged("cut short");
    for (int c = 0; c < 2; ++c) {
        const SoundChannelState& channel = s.sound.channels[c];
        if (s.aliasOpen[c] > 1 || channel.open > 1 || channel.playing > 1 || channel.playedMs < 0 ||
            channel.durationMs < 0 || !terminated(channel.path, sizeof channel.path))
            return damaged("sound");
    }
    if (!terminated(s.mciReply, kTextSize) || !terminated(s.bgmFileName, kTextSize) ||
        !terminated(s.pictureName, kTextSize) || !terminated(s.lastWav2Name, kTextSize))
        return damaged("text");
    for (const auto& row : s.scriptTable)
        if (!terminated(row, kScriptRowSize)) return damaged("script");
    if (s.scriptPhase > static_cast<uint8_t>(Phase::Release) || s.pictureDue > 1) return damaged("script");
    if (s.buttonCount < 0 || s.buttonCount > kButtonCountCap || s.shownButtonCount > kButtonRecords ||
        s.blinkToggle > kBlinkHide)
        return damaged("buttons");
    for (const Button& b : s.buttons)
        if (!terminated(b.label, kTextSize) || !terminated(b.target, kTextSize)) return damaged("buttons");
    for (const ScreenText& t : s.textSlots)
        if (!terminated(t.text, kTextSize)) return damaged("text");
    for (int slot = 0; slot < s.liveEnd; ++slot)
        if (s.entities[slot].inUse > 1) return damaged("entities");
    for (const SavedPicture& p : s.pictures) {
        if (p.width < 0 || p.height < 0 || int64_t{p.width} * p.height > kMaxPixels ||
            !terminated(p.source.path, sizeof p.source.path) || p.source.masks > 2)
            return damaged("pictures");
    }
    if (!getPixels(r, s.backBuffer)) return damaged("back buffer");
    uint8_t windowIsBack = 0;
    r.value(windowIsBack);
    if (!r.ok || windowIsBack > 1) return damaged("window");
    if (windowIsBack) {
        s.window = s.backBuffer;
    } else if (!getPixels(r, s.window)) {
        return damaged("window");
    }
    if (!(s.window.width == 0 && s.window.height == 0) &&
        !(s.window.width == kScreenWidth && s.window.height == kScreenHeight))
        return damaged("window");
    if (s.backBuffer.width != s.pictures[kBackBuffer].width || s.backBuffer.height != s.pictures[kBackBuffer].height)
        return damaged("back buffer");
    if (r.left != 0) return damaged("bytes after its end");
    return true;
}

// Each picture again from the file it came from; a file that no longer gives a picture of
// the saved size means the game changed.
bool rebuildPictures(Staged& s, std::string& error) {
    for (int slot = 0; slot < kSurfaceCount; ++slot) {
        if (slot == kBackBuffer) continue;
        const SavedPicture& p = s.pictures[slot];
        Surface& out = s.rebuilt[slot];
        if (p.width == 0 && p.height == 0) continue;
        int same = 0;  // a slot loaded from the same file as an earlier one is copied
        for (; same < slot; ++same)
            if (same != kBackBuffer && s.pictures[same].width == p.width && s.pictures[same].height == p.height &&
                std::strcmp(s.pictures[same].source.path, p.source.path) == 0 && s.pictures[same].source.masks == 0)
                break;
        const SurfaceSource& now = SurfaceSources[slot];
        const bool held = std::strcmp(now.path, p.source.path) == 0 && now.masks == p.source.masks &&
                          SurfaceTable[slot].width == p.width && SurfaceTable[slot].height == p.height;
        if (held) {  // the slot holds that very picture already: only the back buffer is drawn on
            out = SurfaceTable[slot];
            continue;
        }
        if (same < slot) {
            out = s.rebuilt[same];
        } else if (p.source.path[0] == '\0') {
            resizeSurface(out, p.width, p.height, kBlack);
        } else if (!readBitmapFile(p.source.path, out)) {
            error = std::string("the saved state needs ") + p.source.path + ", which the game no longer has";
            return false;
        }
        if (out.width != p.width || out.height != p.height) {
            error = std::string("the saved state's ") + p.source.path + " is not the game's";
            return false;
        }
        for (int m = 0; m < p.source.masks; ++m)
            for (uint32_t& pixel : out.pixels) pixel = (pixel & 0xFFFFFF) == kBlack ? kWhite : kBlack;
    }
    return true;
}

void commit(Staged& s) {
    frameCount = s.frameCount;
    pumpCount = s.pumpCount;
    lastMessage = s.lastMessage;
    InputState = s.input;
    seedRandom(s.random);
    std::memcpy(MciReply, s.mciReply, sizeof MciReply);
    std::memcpy(BgmFileName, s.bgmFileName, sizeof BgmFileName);
    // The sounds of the run that was going stop without a command, and the saved ones start.
    platform->restoreSound(s.sound);
    for (int c = 0; c < 2; ++c) setMediaAliasOpen(c, s.aliasOpen[c] != 0);
    std::memcpy(ScriptTable, s.scriptTable, sizeof ScriptTable);
    ScriptCounter = s.scriptCounter;
    std::memcpy(ScriptVars, s.scriptVars, sizeof ScriptVars);
    ScriptPhase = static_cast<Phase>(s.scriptPhase);
    std::memcpy(ButtonTable, s.buttons, sizeof ButtonTable);
    ButtonCount = s.buttonCount;
    ShownButtonCount = s.shownButtonCount;
    BlinkToggle = s.blinkToggle;
    std::memcpy(PictureName, s.pictureName, sizeof PictureName);
    std::memcpy(TextSlots, s.textSlots, sizeof TextSlots);
    std::memcpy(LastWav2Name, s.lastWav2Name, sizeof LastWav2Name);
    setPictureScreenDue(s.pictureDue != 0);
    std::memcpy(CharTable, s.charTable, sizeof CharTable);
    std::memcpy(EntityTable, s.entities, sizeof EntityTable);
    liveSlotEnd = s.liveEnd;
    StageParams = s.stageParams;
    opponentsLeft = s.opponents;
    stageCountdown = s.countdown;
    stageResult = s.result;
    weaponSel = s.weapon;
    StageNumber = s.stageNumber;
    GameMode = s.mode;
    setSpawnPicks(s.picks);
    for (int i = 0; i < 8; ++i) *kScrollGlobals[i] = s.scrolls[i];
    for (int slot = 0; slot < kSurfaceCount; ++slot) {
        SurfaceTable[slot] = slot == kBackBuffer ? std::move(s.backBuffer) : std::move(s.rebuilt[slot]);
        SurfaceSources[slot] = s.pictures[slot].source;
    }
    windowDC = std::move(s.window);
    if (windowDC.width > 0) platform->presentWindow(windowDC);
}

template <class T> void putHeader(std::vector<uint8_t>& out, const T& v) {
    const size_t at = out.size();
    out.resize(at + sizeof v);
    std::memcpy(out.data() + at, &v, sizeof v);
}

struct Header {
    char magic[8];
    uint32_t version;
    uint64_t game;
    int64_t frame;
    uint64_t payloadSize;
    uint64_t compressedSize;
    uint32_t check;
};

bool readHeader(const uint8_t* bytes, size_t size, Header& h) {
    if (size < kHeaderBytes) return false;
    Reader r{bytes, size};
    r.value(h.magic);
    r.value(h.version);
    r.value(h.game);
    r.value(h.frame);
    r.value(h.payloadSize);
    r.value(h.compressedSize);
    r.value(h.check);
    return r.ok;
}

void hashFolder(const std::filesystem::path& folder, uint64_t& hash) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    std::vector<uint8_t> bytes;
    for (const std::filesystem::path& file : files) {
        const std::string name = utf8Name(file, true);
        hash = hashBytes(name.data(), name.size() + 1, hash);
        bytes.clear();
        const FileState state = readDataFile(name.c_str(), kHashedFileLimit, bytes);
        const uint64_t crc = crc32(0, bytes.data(), static_cast<uInt>(bytes.size()));
        const uint64_t summary[3] = {static_cast<uint64_t>(state), bytes.size(), crc};
        hash = hashBytes(summary, sizeof summary, hash);
    }
}

}  // namespace

uint64_t gameFolderHash() {
    static uint64_t hash = 0;
    static std::filesystem::path hashedFolder;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (hashedFolder.empty() || here != hashedFolder) {
        hash = kHashStart;
        for (const char* folder : {"data", "bmp", "wav"}) hashFolder(folder, hash);
        hashedFolder = here;
    }
    return hash;
}

std::vector<uint8_t> encodeGameState() {
    const std::vector<uint8_t> payload = encodePayload();
    return wrapGameStatePayload(payload.data(), payload.size(), frameCount);
}

std::vector<uint8_t> gameStatePayload() { return encodePayload(); }

std::vector<uint8_t> wrapGameStatePayload(const uint8_t* payload, size_t size, int64_t frame) {
    uLongf compressedSize = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + compressedSize);
    putHeader(out, kMagic);
    putHeader(out, kSaveStateVersion);
    putHeader(out, gameFolderHash());
    putHeader(out, frame);
    putHeader(out, static_cast<uint64_t>(size));
    const size_t sizeAt = out.size();
    putHeader(out, uint64_t{0});
    putHeader(out, uint32_t{0});
    out.resize(kHeaderBytes + compressedSize);
    // The fastest level: a state is mostly runs of the same bytes, and it must be quick.
    compress2(out.data() + kHeaderBytes, &compressedSize, payload, static_cast<uLong>(size), Z_BEST_SPEED);
    out.resize(kHeaderBytes + compressedSize);
    const uint64_t stored = compressedSize;
    std::memcpy(out.data() + sizeAt, &stored, sizeof stored);
    const uint32_t check = static_cast<uint32_t>(crc32(0, out.data() + kHeaderBytes, static_cast<uInt>(compressedSize)));
    std::memcpy(out.data() + sizeAt + sizeof stored, &check, sizeof check);
    return out;
}

int64_t gameStateFrame(const uint8_t* bytes, size_t size) {
    Header h;
    if (!readHeader(bytes, size, h) || std::memcmp(h.magic, kMagic, sizeof kMagic) != 0) return -1;
    return h.frame;
}

bool applyGameState(const uint8_t* bytes, size_t size, std::string& error) {
    Header h;
    if (!readHeader(bytes, size, h) || std::memcmp(h.magic, kMagic, sizeof kMagic) != 0) {
        error = size < kHeaderBytes && size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) == 0
                    ? "the saved state is cut short"
                    : "not a saved state of this game";
        return false;
    }
    if (h.version != kSaveStateVersion) {
        error = "a saved state of format " + std::to_string(h.version) + "; this game reads format " +
                std::to_string(kSaveStateVersion);
        return false;
    }
    if (h.game != gameFolderHash()) {
        error = "a saved state of another game, or of this game before its files changed";
        return false;
    }
    if (h.compressedSize != size - kHeaderBytes) {
        error = h.compressedSize > size - kHeaderBytes ? "the saved state is cut short"
                                                        : "the saved state is damaged (bytes after its end)";
        return false;
    }
    if (crc32(0, bytes + kHeaderBytes, static_cast<uInt>(h.compressedSize)) != h.check) {
        error = "the saved state is damaged (its check sum differs)";
        return false;
    }
    if (h.frame < 0 || h.payloadSize > kSaveStatePayloadLimit) {
        error = "the saved state is damaged (header)";
        return false;
    }
    try {
        std::vector<uint8_t> payload(static_cast<size_t>(h.payloadSize));
        uLongf got = static_cast<uLongf>(payload.size());
        if (uncompress(payload.data(), &got, bytes + kHeaderBytes, static_cast<uLong>(h.compressedSize)) != Z_OK ||
            got != payload.size()) {
            error = "the saved state is damaged (its compressed part does not unpack)";
            return false;
        }
        auto staged = std::make_unique<Staged>();
        Reader r{payload.data(), payload.size()};
        if (!decodePayload(r, *staged, error)) return false;
        if (staged->frameCount != h.frame) {
            error = "the saved state is damaged (frame)";
            return false;
        }
        if (!rebuildPictures(*staged, error)) return false;
        commit(*staged);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to load the saved state";
        return false;
    }
    return true;
}

bool readGameStateFile(const char* path, std::vector<uint8_t>& bytes, std::string& error) {
    constexpr int64_t kFileLimit = int64_t{64} << 20;
    FileState state;
    try {
        state = readDataFile(path, kFileLimit, bytes);
    } catch (const std::bad_alloc&) {
        state = FileState::TooLarge;
    }
    if (state != FileState::Ok) {
        error = std::string(path) + ": " + fileProblemText(path, state, kFileLimit);
        return false;
    }
    return true;
}

bool saveGameState(const char* path, std::string& error) {
    std::vector<uint8_t> bytes;
    try {
        bytes = encodeGameState();
    } catch (const std::bad_alloc&) {
        error = "not enough memory to save the state";
        return false;
    }
    // The player's folder is made when something is first kept in it.
    const std::string folder = utf8Name(utf8Path(path).parent_path());
    if (!folder.empty() && !makeFolders(folder.c_str())) {
        error = "cannot make the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    WriteFailure failure;
    const bool written = replaceDataFile(
        path,
        [](std::FILE* file, const void* context) {
            const auto* b = static_cast<const std::vector<uint8_t>*>(context);
            return std::fwrite(b->data(), 1, b->size(), file) == b->size();
        },
        &bytes, &failure);
    if (!written) error = std::string(failure.step) + " " + failure.file + ": " + std::strerror(failure.error);
    return written;
}

bool loadGameState(const char* path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readGameStateFile(path, bytes, error)) return false;
    return applyGameState(bytes.data(), bytes.size(), error);
}
