#include "platform/file_report.h"

#include <cstdint>
#include <cstring>

#include "platform/player_folder.h"

namespace {

std::FILE* reportStream = nullptr;
const char* reportProgram = "sortie";

// The paths already asked about, by hash: a run meets a few dozen files at most. A full
// table stops the reports rather than repeating them.
constexpr int kRememberedPaths = 1024;
uint64_t rememberedPaths[kRememberedPaths];
int rememberedCount = 0;

uint64_t pathHash(const char* path) { return hashBytes(path, std::strlen(path)); }

}  // namespace

void setFileReportStream(std::FILE* stream, const char* programName) {
    reportStream = stream;
    reportProgram = programName;
}

const char* shownFilePath(const char* path) {
    while (path[0] == '.' && path[1] == '/') {
        path += 2;
        while (*path == '/') ++path;
    }
    return path;
}

bool firstTroubleWith(const char* path) {
    if (!reportStream || rememberedCount == kRememberedPaths) return false;
    const uint64_t hash = pathHash(shownFilePath(path));
    for (int i = 0; i < rememberedCount; ++i)
        if (rememberedPaths[i] == hash) return false;
    rememberedPaths[rememberedCount++] = hash;
    return true;
}

void reportFileTrouble(const char* path, const std::string& why) {
    if (!reportStream || why.empty()) return;
    const char* shown = shownFilePath(path);
    std::fprintf(reportStream, "%s: %s: %s\n", reportProgram, *shown ? shown : *path ? path : "(a file without a name)",
                 why.c_str());
    std::fflush(reportStream);
}

void reportTrouble(const std::string& message) {
    if (!reportStream) return;
    std::fprintf(reportStream, "%s: %s\n", reportProgram, message.c_str());
    std::fflush(reportStream);
}

void reportTextFileTrouble(const char* path, FileState state) {
    if (state == FileState::Ok || !firstTroubleWith(path)) return;
    std::string why = fileProblemText(path, state, kTextFileLimit);
    if (state == FileState::TooLarge) why += ": only that much of it is read";
    reportFileTrouble(path, why);
}

void forgetFileReports() { rememberedCount = 0; }
