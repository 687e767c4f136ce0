#include "platform/media.h"

#include <cstdio>
#include <cstring>

#include "platform/file_report.h"
#include "platform/platform.h"
#include "platform/wave.h"

char MciReply[kTextSize];
char BgmFileName[kTextSize];

namespace {

constexpr int kMediaWaitMs = 10;
constexpr int kMciError = 1;

// Which aliases are open; the platform holds the sounds themselves.
bool aliasOpen[2];

bool channelOfAlias(const char* alias, SoundChannel& channel) {
    if (std::strcmp(alias, "BGM") == 0) {
        channel = kMusicChannel;
        return true;
    }
    if (std::strcmp(alias, "SHOTVOX") == 0) {
        channel = kShotChannel;
        return true;
    }
    return false;
}

void setReply(char* reply, int replySize, const char* text) {
    if (reply && replySize > 0) std::snprintf(reply, static_cast<size_t>(replySize), "%s", text);
}

}  // namespace

void resetMedia() {
    aliasOpen[0] = aliasOpen[1] = false;
    MciReply[0] = '\0';
    BgmFileName[0] = '\0';
}

bool mediaAliasOpen(int channel) { return channel >= 0 && channel < 2 && aliasOpen[channel]; }

void setMediaAliasOpen(int channel, bool open) {
    if (channel >= 0 && channel < 2) aliasOpen[channel] = open;
}

int mciSendString(const char* command, char* reply, int replySize) {
    setReply(reply, replySize, "");
    char verb[kTextSize];
    char alias[kTextSize];
    SoundChannel channel;
    if (std::strncmp(command, "open ", 5) == 0) {
        const char* path = command + 5;
        const char* aliasWord = std::strstr(path, " alias ");
        if (!aliasWord) return kMciError;
        for (const char* next; (next = std::strstr(aliasWord + 1, " alias ")) != nullptr;) aliasWord = next;
        std::snprintf(alias, sizeof alias, "%s", aliasWord + 7);
        if (!channelOfAlias(alias, channel) || aliasOpen[channel]) return kMciError;
        char file[kTextSize];
        std::snprintf(file, sizeof file, "%.*s", static_cast<int>(aliasWord - path), path);
        if (!platform->soundOpen(channel, file)) {
            // No sound device fails every open too; then the file is fine and nothing is said.
            const WaveUse use = channel == kMusicChannel ? WaveUse::Music : WaveUse::Sound;
            if (*shownFilePath(file) && firstTroubleWith(file))
                reportFileTrouble(file, soundFileProblemText(file, use));
            return kMciError;
        }
        aliasOpen[channel] = true;
        return 0;
    }
    char extra[kTextSize] = "";
    char tail[2] = "";
    int fields = std::sscanf(command, "%159s %159s %159s %1s", verb, alias, extra, tail);
    if (fields < 2 || !channelOfAlias(alias, channel) || !aliasOpen[channel]) return kMciError;
    if (std::strcmp(verb, "play") == 0 && fields == 2) {
        platform->soundPlay(channel);
        return 0;
    }
    if (std::strcmp(verb, "close") == 0 && fields == 2) {
        platform->soundClose(channel);
        aliasOpen[channel] = false;
        return 0;
    }
    if (std::strcmp(verb, "status") == 0 && fields == 3 && std::strcmp(extra, "mode") == 0) {
        setReply(reply, replySize, platform->soundIsPlaying(channel) ? "playing" : "stopped");
        return 0;
    }
    return kMciError;
}

void sendMediaCommand(const char* part1, const char* part2, const char* part3, const char* part4,
                      const char* part5, char* reply) {
    char command[kTextSize];
    const int length = std::snprintf(command, sizeof command, "%s%s%s%s%s", part1, part2, part3, part4, part5);
    if (length < 0 || length >= kTextSize) {  // would not fit the command buffer: not sent
        if (reply) reply[0] = '\0';
        return;
    }
    platform->noteMediaCommand(command);
    mciSendString(command, reply, kTextSize);
    if (std::strncmp(command, "status ", 7) != 0) platform->sleepMs(kMediaWaitMs);
}

void restartMusic() {
    sendMediaCommand("close BGM", "", "", "", "", MciReply);
    sendMediaCommand("open ", "./", BgmFileName, " alias BGM", "", MciReply);
    sendMediaCommand("play BGM", "", "", "", "", MciReply);
}

void startShotSound(const char* path) {
    sendMediaCommand("close SHOTVOX", "", "", "", "", MciReply);
    sendMediaCommand("open ", "./", path, " alias SHOTVOX", "", MciReply);
    sendMediaCommand("play SHOTVOX", "", "", "", "", MciReply);
}

void playEffect(const char* path) {
    // Each sound is looked into the first time it plays; the back end plays it or not.
    if (firstTroubleWith(path)) reportFileTrouble(path, soundFileProblemText(path, WaveUse::Sound));
    platform->playEffect(path);
}
