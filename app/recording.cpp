#include "app/recording.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/input_file.h"
#include "platform/data_file.h"
#include "script/script.h"
#include "stage/charlist.h"
#include "stage/world.h"

namespace {

std::FILE* recordFile;
bool writeFailed;
// The frame of the last close written, so that the end adds one only where it is missing.
int64_t closeFrame = -1;

void noteWrite(int result) {
    if (result < 0) writeFailed = true;
}

}  // namespace

bool openRecording(const char* path, const char* header, std::string& error) {
    // Only a recording may be replaced: a mistyped name must not cost a game its script.
    struct stat info;
    if (stat(path, &info) == 0) {
        char start[sizeof kRecordingMark] = {};
        std::FILE* old = S_ISREG(info.st_mode) ? std::fopen(path, "rb") : nullptr;
        if (old) {
            const size_t got = std::fread(start, 1, sizeof start - 1, old);
            std::fclose(old);
            start[got] = '\0';
        }
        if (std::strcmp(start, kRecordingMark) != 0) {
            error = std::string(path) + " exists and is not an earlier recording; it is left as it is (--record "
                    "writes a new file or replaces a recording)";
            return false;
        }
    }
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        error = std::string("cannot write the recording ") + path + ": " + std::strerror(errno);
        return false;
    }
    recordFile = file;
    writeFailed = false;
    closeFrame = -1;
    noteWrite(std::fputs(header, recordFile));
    flushRecording();
    return true;
}

void recordClock(int64_t seconds) {
    if (!recordFile) return;
    noteWrite(std::fprintf(recordFile, "0 clock %lld\n", static_cast<long long>(seconds)));
    flushRecording();
}

void recordPlayerList() {
    const char* copy = loadedPlayerCopy();
    if (!recordFile || !copy) return;
    std::vector<uint8_t> bytes;
    if (readDataFile(copy, kTextFileLimit, bytes) != FileState::Ok) return;
    // Line by line as it stands, so that the replay reads the very bytes the game read.
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n') continue;
        noteWrite(std::fprintf(recordFile, "%s %.*s\n", kPlayerListWord, static_cast<int>(i - start), &bytes[start]));
        start = i + 1;
    }
    if (start < bytes.size())
        noteWrite(std::fprintf(recordFile, "%s %.*s\n", kPlayerListTailWord, static_cast<int>(bytes.size() - start),
                               &bytes[start]));
    flushRecording();
}

void recordPumped(int64_t frame, const Message& message, bool dispatched) {
    if (!recordFile || message.code == WM_QUIT) return;
    char words[64];
    if (!describeInputEvent(message, words, sizeof words)) return;
    if (!dispatched) {
        noteWrite(std::fprintf(recordFile, "# %lld %s: fetched at the cap of the pump and dropped\n",
                               static_cast<long long>(frame), words));
        return;
    }
    noteWrite(std::fprintf(recordFile, "%lld %s\n", static_cast<long long>(frame), words));
    if (std::strcmp(words, "close") == 0) closeFrame = frame;
}

void flushRecording() {
    if (recordFile && std::fflush(recordFile) != 0) writeFailed = true;
}

bool finishRecording() {
    if (!recordFile) return true;
    // A session that ended without a close the pump saw (the quit came another way) still
    // ends its replay before the frame that never ran.
    if (closeFrame != frameCount + 1)
        noteWrite(std::fprintf(recordFile, "%lld close\n", static_cast<long long>(frameCount + 1)));
    noteWrite(std::fprintf(recordFile, "%s\n", kSummaryHeading));
    printGameSummary(recordFile, "# ");
    if (std::ferror(recordFile)) writeFailed = true;
    if (std::fclose(recordFile) != 0) writeFailed = true;
    recordFile = nullptr;
    return !writeFailed;
}

std::string gameSummary() {
    int liveEntities = 0;
    for (const Entity& e : EntityTable)
        if (e.inUse != 0) ++liveEntities;
    std::string vars;
    for (int32_t v : ScriptVars) vars += " " + std::to_string(v);
    return "frames " + std::to_string(frameCount) + "\nmode " + std::to_string(GameMode) + "\nstage " +
           std::to_string(static_cast<int8_t>(StageNumber)) + "\nscript_counter " + std::to_string(ScriptCounter) +
           "\nvars" + vars + "\ncountdown " + std::to_string(stageCountdown) + "\nresult " +
           std::to_string(stageResult) + "\nentities " + std::to_string(liveEntities) + "\n";
}

void printGameSummary(std::FILE* out, const char* prefix) {
    const std::string summary = gameSummary();
    for (size_t at = 0, end; (end = summary.find('\n', at)) != std::string::npos; at = end + 1)
        std::fprintf(out, "%s%.*s\n", prefix, static_cast<int>(end - at), summary.c_str() + at);
}
