// sortie-replay: the game's own engine over the headless platform, for a fixed number of
// frames with scripted input; writes window shots and a sound trace and closes with a
// summary of the game state. What the game saves goes to --data's folder, or to a temporary
// one that is removed at the end.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/options.h"
#include "app/recording.h"
#include "app/save_state.h"
#include "platform/bitmap.h"
#include "platform/file_report.h"
#include "platform/headless_platform.h"
#include "platform/player_folder.h"
#include "platform/utf8_path.h"
#include "stage/charlist.h"
#include "tools/replay_args.h"

namespace {

constexpr int kBadUsage = 2;

int fail(const std::string& message) {
    std::fprintf(stderr, "sortie-replay: %s\n", message.c_str());
    return kBadUsage;
}

// Writes every shot asked for after `frame`; false if one could not be written.
bool writeShots(const std::vector<ReplayShot>& shots, int64_t frame, const Surface& shown) {
    bool ok = true;
    for (const ReplayShot& shot : shots) {
        if (shot.frame != frame) continue;
        const char* path = shot.path.c_str();
        const bool written = shot.png ? writePngFile(path, shown) : writeBitmapFile(path, shown);
        if (!written) {
            std::fprintf(stderr, "sortie-replay: cannot write %s\n", shot.path.c_str());
            ok = false;
        }
    }
    return ok;
}

// Writes every state asked for after `frame`; false if one could not be written.
bool writeSaves(const std::vector<ReplaySave>& saves, int64_t frame) {
    bool ok = true;
    for (const ReplaySave& save : saves) {
        std::string error;
        if (save.frame != frame || saveGameState(save.path.c_str(), error)) continue;
        std::fprintf(stderr, "sortie-replay: cannot save the state: %s\n", error.c_str());
        ok = false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    ReplayOptions options;
    std::string error;
    if (!parseReplayArgs(argc, argv, options, error)) return fail(error + " (--help shows the usage)");
    if (options.help) {
        std::printf("%s\n%s", kReplayUsage,
                    "A file of the game folder that the game cannot use (missing, a folder, unreadable, not a\n"
                    "BMP or WAV it can decode) is named on stderr once, with the reason; the run goes on.\n");
        return 0;
    }
    if (options.version) {
        std::printf("sortie-replay %s\n", SORTIE_VERSION);
        return 0;
    }
    std::vector<ReplayEvent> events;
    ReplayInputStart recorded;
    if (!options.inputPath.empty() && !readReplayInput(options.inputPath, events, error, &recorded)) return fail(error);
    // A recorded session carries the clock it was seeded from and where it started; the
    // command line says otherwise when it names them.
    if (recorded.clockSeconds && !options.timeGiven) options.startSeconds = *recorded.clockSeconds;
    if (options.scriptPath.empty()) options.scriptPath = recorded.scriptPath;
    if (options.stage == StartStage::None) {
        options.stage = recorded.stage;
        options.stageNumber = recorded.stageNumber;
    }
    // A saved state to start from is read now, before anything runs, and applied after
    // start-up; its frame is the first the run has.
    std::vector<uint8_t> loaded;
    int64_t firstFrame = 0;
    if (!options.loadPath.empty()) {
        if (!readGameStateFile(options.loadPath.c_str(), loaded, error)) return fail(error);
        firstFrame = gameStateFrame(loaded.data(), loaded.size());
        if (firstFrame < 0) return fail(options.loadPath + ": not a saved state of this game");
    }
    int64_t frames = options.frames;
    if (frames < 0) frames = std::max(firstFrame, events.empty() ? int64_t{0} : events.back().frame);
    // Shots and saves fall on the frames the run plays: from the first (0, or a loaded
    // state's) to the last.
    auto outsideRun = [&](const char* option, int64_t frame) {
        const std::string where = frame > frames ? "comes after the last frame, " + std::to_string(frames)
                                                 : "comes before the loaded state's frame, " + std::to_string(firstFrame);
        return fail(std::string(option) + " " + std::to_string(frame) + "=... " + where + " (--help shows the usage)");
    };
    for (const ReplayShot& shot : options.shots)
        if (shot.frame > frames || shot.frame < firstFrame) return outsideRun("--shot", shot.frame);
    for (const ReplaySave& save : options.saves)
        if (save.frame > frames || save.frame < firstFrame) return outsideRun("--save", save.frame);

    // Everything named on the command line is relative to where we were started.
    std::error_code ec;
    for (ReplayShot& shot : options.shots) shot.path = utf8Name(std::filesystem::absolute(utf8Path(shot.path), ec));
    for (ReplaySave& save : options.saves) save.path = utf8Name(std::filesystem::absolute(utf8Path(save.path), ec));
    if (!options.dataDir.empty()) options.dataDir = utf8Name(std::filesystem::absolute(utf8Path(options.dataDir), ec));
    std::FILE* trace = nullptr;
    if (!options.tracePath.empty() && !(trace = std::fopen(options.tracePath.c_str(), "w")))
        return fail("cannot write trace file " + options.tracePath);
    if (chdir(options.gameDir.c_str()) != 0) {
        if (trace) std::fclose(trace);
        return fail("cannot enter game folder " + options.gameDir + ": " + std::strerror(errno));
    }
    if (!options.dataDir.empty() && isCurrentFolder(options.dataDir)) {
        if (trace) std::fclose(trace);
        return fail("--data names the game folder itself; the player's data needs a folder of its own");
    }
    StartPoint start;
    if (!resolveStartPoint(options.scriptPath, options.stage, options.stageNumber, start, error)) {
        if (trace) std::fclose(trace);
        return fail(error);
    }

    // The player's folder: --data's, kept, or a fresh one that goes with the run.
    std::string playerFolder = options.dataDir;
    if (playerFolder.empty()) {
        playerFolder = makeTemporaryFolder("sortie-replay-");
        if (playerFolder.empty()) {
            if (trace) std::fclose(trace);
            return fail("cannot make a temporary player's folder in " + temporaryRoot());
        }
    }
    if (!setPlayerFolder(playerFolder)) {
        if (trace) std::fclose(trace);
        return fail("the --data folder's path is too long: " + playerFolder);
    }
    // A session that started from the player's saved weapons is replayed from them; --data
    // names a player's folder of its own, whose list is played instead.
    if (recorded.playerListGiven && options.dataDir.empty() && !givePlayerCopy(recorded.playerList)) {
        if (trace) std::fclose(trace);
        std::filesystem::remove_all(playerFolder, ec);
        return fail("cannot give the temporary player's folder the recording's character list");
    }

    // Files of the game that cannot be used are named on stderr, once each: the author
    // play-testing a game hears why a picture is missing.
    setFileReportStream(stderr, "sortie-replay");
    HeadlessPlatform hp;
    hp.startSeconds = options.startSeconds;
    // Written as it happens; nothing is kept, however long the run. A run from a saved state
    // traces the frames after it only.
    hp.traceFile = loaded.empty() ? trace : nullptr;
    platform = &hp;
    startUp(start);
    size_t nextEvent = 0;
    if (!loaded.empty()) {
        if (!applyGameState(loaded.data(), loaded.size(), error)) {
            shutDown();
            platform = nullptr;
            if (options.dataDir.empty()) std::filesystem::remove_all(playerFolder, ec);
            if (trace) std::fclose(trace);
            return fail(options.loadPath + ": " + error);
        }
        hp.traceFrame = frameCount;
        hp.traceFile = trace;
        while (nextEvent < events.size() && events[nextEvent].frame <= frameCount) ++nextEvent;
    }
    bool shotsOk = writeShots(options.shots, frameCount, hp.shown);
    shotsOk = writeSaves(options.saves, frameCount) && shotsOk;

    while (frameCount < frames && !quitFetched()) {
        const int64_t frame = frameCount + 1;
        for (; nextEvent < events.size() && events[nextEvent].frame <= frame; ++nextEvent)
            hp.queue.push_back(events[nextEvent].message);
        while (!loopPass() && !quitFetched()) {
        }
        if (frameCount != frame) continue;
        shotsOk = writeShots(options.shots, frame, hp.shown) && shotsOk;
        shotsOk = writeSaves(options.saves, frame) && shotsOk;
    }
    // Close the window as its close box would, and let the loop see the quit.
    if (!quitFetched()) hp.post(WM_CLOSE);
    while (!quitFetched()) loopPass();
    shutDown();

    const std::string summary = gameSummary();
    std::fputs(summary.c_str(), stdout);
    if (options.dataDir.empty()) std::filesystem::remove_all(playerFolder, ec);
    if (trace && std::fclose(trace) != 0) shotsOk = false;
    platform = nullptr;
    bool agrees = true;
    if (recorded.summaryGiven) {
        agrees = summary == recorded.summary;
        std::fprintf(stderr, "sortie-replay: %s\n",
                     agrees ? "the run ends as the recording did"
                            : "the run ends unlike the recording, which ended with:");
        if (!agrees) std::fputs(recorded.summary.c_str(), stderr);
    }
    return shotsOk && (agrees || !options.verify) ? 0 : 1;
}
