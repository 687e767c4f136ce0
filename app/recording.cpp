#include "app/recording.h"

#include <cerrno>
#include <cstring>

#include "app/input_file.h"
#include "script/script.h"
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
    noteWrite(std::fputs("# the session ended with:\n", recordFile));
    printGameSummary(recordFile, "# ");
    if (std::ferror(recordFile)) writeFailed = true;
    if (std::fclose(recordFile) != 0) writeFailed = true;
    recordFile = nullptr;
    return !writeFailed;
}

void printGameSummary(std::FILE* out, const char* prefix) {
    int liveEntities = 0;
    for (const Entity& e : EntityTable)
        if (e.inUse != 0) ++liveEntities;
    std::fprintf(out, "%sframes %lld\n", prefix, static_cast<long long>(frameCount));
    std::fprintf(out, "%smode %d\n", prefix, static_cast<int>(GameMode));
    std::fprintf(out, "%sstage %d\n", prefix, static_cast<int>(static_cast<int8_t>(StageNumber)));
    std::fprintf(out, "%sscript_counter %d\n", prefix, static_cast<int>(ScriptCounter));
    std::fprintf(out, "%svars", prefix);
    for (int32_t v : ScriptVars) std::fprintf(out, " %d", static_cast<int>(v));
    std::fprintf(out, "\n");
    std::fprintf(out, "%scountdown %d\n", prefix, static_cast<int>(stageCountdown));
    std::fprintf(out, "%sresult %d\n", prefix, static_cast<int>(stageResult));
    std::fprintf(out, "%sentities %d\n", prefix, liveEntities);
}
