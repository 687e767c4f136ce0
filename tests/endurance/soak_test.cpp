// A long game of random play: sortie-replay plays a copy of the demo for 20,000 frames with
// seeded random keys and clicks (on the menus' buttons, anywhere on the screen, in both
// stages; never closing) and must not crash, leak or grow: the peak of its resident memory
// after the last frame is that after frame 10,000. tools/soak.sh runs the same test for a
// million frames in Release through SORTIE_SOAK_FRAMES and SORTIE_SOAK_PROGRAM.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "endurance/replay_process.h"
#include "support/build_paths.h"
#include "support/demo_folder.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int64_t kFrames = 20000;
constexpr int64_t kMeasureFrame = 10000;  // by then every stage and screen has been seen
// What the peak of resident memory may gain after kMeasureFrame. Measured: nothing, when no
// frame keeps anything; 744 KB when every frame keeps its media-command text.
constexpr long kGrowthKb = 256;

// Menu and armory buttons are 48 pixels apart from y 220; their labels start at x 300.
constexpr int kButtonTop = 230;
constexpr int kButtonStep = 48;
constexpr int kButtonRows = 7;
constexpr int kShootingPracticeRow = 1;
constexpr int kBattlePracticeRow = 2;
// Menu clicks choose battle practice until kBattleUntil (a battle ends, won or lost), then
// shooting practice until kShootingUntil (a shooting stage goes on until it is won), then
// any button: both kinds of stage are played before the measure at kMeasureFrame.
constexpr int64_t kBattleUntil = 3000;
constexpr int64_t kShootingUntil = 6000;

const char* const kKeys[] = {"LEFT", "RIGHT", "UP", "DOWN", "Z", "X"};

// The random input: an event every 1 to 8 frames. mt19937's output is the same everywhere;
// only its raw numbers are used.
std::string soakInput(int64_t frames, uint32_t seed) {
    std::mt19937 random(seed);
    auto below = [&](uint32_t n) { return static_cast<int>(random() % n); };
    std::string text = "# random play, seed " + std::to_string(seed) + "\n";
    auto event = [&](int64_t frame, const std::string& what) { text += std::to_string(frame) + " " + what + "\n"; };
    for (int64_t f = 1 + below(8); f < frames; f += 1 + below(8)) {
        const int kind = below(100);
        if (kind < 30) {
            const int row = f < kBattleUntil     ? kBattlePracticeRow
                            : f < kShootingUntil ? kShootingPracticeRow
                                                 : below(kButtonRows);
            event(f, "mouse move " + std::to_string(310 + below(40)) + " " + std::to_string(kButtonTop + row * kButtonStep));
            event(f, "mouse down left");
            event(f + 1, "mouse up left");
        } else if (kind < 45) {
            event(f, "mouse move " + std::to_string(below(800)) + " " + std::to_string(below(600)));
            event(f, std::string("mouse ") + (below(2) ? "down" : "up") + (below(2) ? " left" : " right"));
        } else if (kind < 55) {
            event(f, "mouse move " + std::to_string(below(800)) + " " + std::to_string(below(600)));
        } else {
            event(f, std::string("key ") + (below(3) ? "down " : "up ") + kKeys[below(6)]);
        }
    }
    return text;
}

// A number from /proc/<pid>/status ("VmRSS", "VmHWM") in KB; -1 once the process has ended.
long statusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

// Resident memory now and at its peak, in KB (-1 once the process has ended), and when.
struct Sample {
    long rssKb = -1;
    long peakKb = -1;
    double seconds = 0;
};

Sample sample(pid_t pid, Clock::time_point start) {
    return Sample{statusKb(pid, "VmRSS"), statusKb(pid, "VmHWM"),
                  std::chrono::duration<double>(Clock::now() - start).count()};
}

int64_t envNumber(const char* name, int64_t fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoll(value) : fallback;
}

TEST(Soak, RandomPlayNeitherCrashesNorLeaksNorGrows) {
    TempGameFolder folder;
    ASSERT_EQ(copyDemoGame("game"), "");
    const int64_t frames = envNumber("SORTIE_SOAK_FRAMES", kFrames);
    ASSERT_GE(frames, kMeasureFrame);
    ASSERT_TRUE(writeText("soak.txt", soakInput(frames, 7)));
    const char* program = std::getenv("SORTIE_SOAK_PROGRAM");

    // AddressSanitizer holds freed memory back (256 MB of it by default) to catch late uses;
    // every picture the game reloads would then count as growth. With 1 MB it still catches
    // a use soon after the free.
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":quarantine_size_mb=1").c_str(), 1);
    // Shots after frame kMeasureFrame and after the last frame (before the shutdown frees
    // everything) mark the moments to measure.
    const Clock::time_point start = Clock::now();
    const std::vector<std::string> args{"--frames", std::to_string(frames), "--input", "soak.txt",
                                        "--shot", std::to_string(kMeasureFrame) + "=mark.bmp",
                                        "--shot", std::to_string(frames) + "=end.bmp", "--trace", "trace.txt", "game"};
    const pid_t pid = startReplay(args, "summary.txt", program ? program : SORTIE_REPLAY_PROGRAM);
    ASSERT_GT(pid, 0);
    Sample atMark, atEnd;
    // Sampled every 20 ms until the process has ended (and has no resident memory to show).
    for (Sample now; (now = sample(pid, start)).rssKb >= 0;) {
        if (atMark.rssKb < 0 && fs::exists("mark.bmp")) atMark = now;
        if (atEnd.rssKb < 0 && fs::exists("end.bmp")) atEnd = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    double cpuSeconds = 0;
    long lifePeakKb = -1;
    const int status = waitReplay(pid, &cpuSeconds, &lifePeakKb);
    // An optimised build can write its last shot and end between two samples; its shutdown
    // only frees, so the peak of its whole life is the peak after the last frame.
    if (atEnd.peakKb < 0) atEnd = Sample{-1, lifePeakKb, std::chrono::duration<double>(Clock::now() - start).count()};
    std::printf("%lld frames in %.1f s (%.1f s of processor time); resident memory at frame %lld (%.1f s): %ld KB, "
                "peak %ld KB; after the last frame (%.1f s): %ld KB, peak %ld KB\n",
                static_cast<long long>(frames), std::chrono::duration<double>(Clock::now() - start).count(),
                cpuSeconds, static_cast<long long>(kMeasureFrame), atMark.seconds, atMark.rssKb, atMark.peakKb,
                atEnd.seconds, atEnd.rssKb, atEnd.peakKb);

    // Exit status 0: no crash, no sanitizer report, no leak (LeakSanitizer runs at exit).
    ASSERT_EQ(status, 0) << readWhole("summary.txt");
    EXPECT_EQ(readWhole("summary.txt").rfind("frames " + std::to_string(frames) + "\n", 0), 0u);
    ASSERT_GE(atMark.peakKb, 0) << "no shot after frame " << kMeasureFrame;
    ASSERT_GE(atEnd.peakKb, 0) << "no shot after the last frame";
    EXPECT_LE(atEnd.peakKb - atMark.peakKb, kGrowthKb) << "the run grew after frame " << kMeasureFrame;

    // Both kinds of stage were played: each hand-over opens its stage's music, levels 1 and 2
    // in shooting stages, 3 and 4 in battles.
    int played[5] = {};
    int64_t first[5] = {};
    for (const std::string& line : linesOf(readWhole("trace.txt"))) {
        const size_t at = line.find(" mci open ./././wav/level");
        if (at == std::string::npos || line.size() <= at + 25) continue;
        const int level = line[at + 25] - '0';
        if (level < 1 || level > 4) continue;
        if (played[level]++ == 0) first[level] = std::atoll(line.c_str());
    }
    for (int level = 1; level <= 4; ++level)
        std::printf("stage music %d: opened %d times, first at frame %lld\n", level, played[level],
                    static_cast<long long>(first[level]));
    EXPECT_GT(played[1] + played[2], 0) << "no shooting stage was played";
    EXPECT_GT(played[3] + played[4], 0) << "no battle was played";
}

}  // namespace
