// The media-command interpreter over the headless platform, in a game folder with a few
// sounds. The first byte of an input sets the reply buffer's size (0 to 160; the buffer is
// exactly that big, so a reply written past it is caught); every following line is one
// command, sent as it is, or, when it holds tabs, as the parts of sendMediaCommand. A
// reply is "", "playing" or "stopped" (cut to the buffer), and empty after a failure.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/media.h"
#include "support/test_files.h"

namespace {

// A reply in a buffer of `size` bytes: "" (always after a failure), or "playing" or
// "stopped" cut to fit.
void checkReply(int result, const char* reply, size_t size) {
    const size_t length = std::strlen(reply);
    if (length == 0) return;
    const size_t fits = std::min<size_t>(7, size - 1);
    const bool known = std::strncmp(reply, "playing", fits) == 0 || std::strncmp(reply, "stopped", fits) == 0;
    if (result != 0 || length != fits || !known) std::abort();
}

// Up to five tab-separated parts, the rest joined into the last one.
void sendParts(const std::string& line) {
    std::string parts[5];
    int part = 0;
    for (char c : line) {
        if (c == '\t' && part < 4) {
            ++part;
            continue;
        }
        parts[part] += c;
    }
    sendMediaCommand(parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), parts[3].c_str(), parts[4].c_str(),
                     MciReply);
    if (std::memchr(MciReply, '\0', kTextSize) == nullptr) std::abort();
    checkReply(0, MciReply, kTextSize);
}

// The folder the commands' paths are relative to; each input runs inside it, and the
// fuzzer's own folder (its corpus and crash files) is entered again after it.
std::string soundFolder;
int startFolder = -1;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    startFolder = open(".", O_RDONLY | O_DIRECTORY);
    // Lives as long as the process: the folder is removed when the fuzzer exits.
    static TempGameFolder folder;
    soundFolder = folder.path();
    writeWav("wav/song.wav", 300);
    writeWav("wav/silent.wav", 0);
    writeText("wav/text.wav", "RIFF....WAVEdata");
    return fchdir(startFolder);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || chdir(soundFolder.c_str()) != 0) return 0;
    HeadlessPlatform headless;
    platform = &headless;
    std::vector<char> reply(data[0] % (kTextSize + 1));
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.find('\t') != std::string::npos) {
            sendParts(line);
            continue;
        }
        const int result = mciSendString(line.c_str(), reply.empty() ? nullptr : reply.data(),
                                         static_cast<int>(reply.size()));
        if (!reply.empty()) {
            if (std::memchr(reply.data(), '\0', reply.size()) == nullptr) std::abort();
            checkReply(result, reply.data(), reply.size());
        }
    }
    // Every input starts with both aliases closed.
    mciSendString("close BGM", nullptr, 0);
    mciSendString("close SHOTVOX", nullptr, 0);
    platform = nullptr;
    if (fchdir(startFolder) != 0) std::abort();
    return 0;
}
