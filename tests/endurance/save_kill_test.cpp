// The player's copy of the character list survives a kill at any moment of a save:
// sortie-replay is killed again and again while it plays an armory route that changes the
// main gun back and forth, and the copy is always one whole table, the old or the new. A
// save that cannot be written (a read-only folder, a full disk) leaves the old copy whole
// and the game playing on.
#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "endurance/replay_process.h"
#include "support/demo_folder.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char kGameList[] = "game/data/charlist.txt";
const char kData[] = "player/data";
const char kList[] = "player/data/charlist.txt";
const char kTemp[] = "player/data/charlist.txt.tmp";  // where a save writes before its rename

// Armory buttons, at the height of their labels.
constexpr int kPulseY = 278;
constexpr int kPlasmaY = 230;
// From the title to the armory, then one choice every 30 frames, each saved within a few
// frames of its click and followed by a click on its debrief 15 frames later.
constexpr int kFirstChoice = 80;
constexpr int kChoiceFrames = 30;
constexpr int kChoices = 200;  // far more than a run lives before its kill

// The route: the pulse repeater and the plasma bolt in turn.
std::string armoryLoop() {
    std::string route = "20 mouse down left\n21 mouse up left\n50 mouse move 320 374\n50 mouse down left\n"
                        "51 mouse up left\n";
    for (int i = 0; i < kChoices; ++i) {
        const int f = kFirstChoice + i * kChoiceFrames;
        const int y = i % 2 == 0 ? kPulseY : kPlasmaY;
        const int debrief = f + kChoiceFrames / 2;
        route += std::to_string(f) + " mouse move 320 " + std::to_string(y) + "\n" + std::to_string(f) +
                 " mouse down left\n" + std::to_string(f + 1) + " mouse up left\n" + std::to_string(debrief) +
                 " mouse down left\n" + std::to_string(debrief + 1) + " mouse up left\n";
    }
    return route;
}

// Plays the route for `frames` frames to the end; the exit status.
int playTo(int frames) {
    const pid_t pid =
        startReplay({"--frames", std::to_string(frames), "--input", "loop.txt", "--data", "player", "game"}, "summary.txt");
    return pid < 0 ? -1 : waitReplay(pid);
}

class CharListSave : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(copyDemoGame("game"), "");
        ASSERT_TRUE(writeText("loop.txt", armoryLoop()));
        original = readWhole(kGameList);
    }

    TempGameFolder folder;
    std::string original;
};

TEST_F(CharListSave, AKillAtAnyMomentLeavesTheOldTableOrTheNew) {
    // The two tables the route saves: after the first choice, and after the second.
    ASSERT_EQ(playTo(kFirstChoice + 10), 0);
    const std::string pulse = readWhole(kList);
    ASSERT_TRUE(writeText(kList, original));
    ASSERT_EQ(playTo(kFirstChoice + kChoiceFrames + 10), 0);
    const std::string plasma = readWhole(kList);
    ASSERT_NE(pulse, original);
    ASSERT_NE(plasma, pulse);

    // Every other kill comes at a random moment of the run; the others wait for a save to
    // begin (its temporary file appears) and strike within the next 2 ms, while it writes,
    // flushes or renames.
    std::mt19937 random(14);
    std::uniform_int_distribution<int> runMs(150, 900);
    std::uniform_int_distribution<int> saveUs(0, 2000);
    constexpr int kKills = 24;
    int duringSave = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t pid = startReplay({"--input", "loop.txt", "--data", "player", "game"}, "summary.txt");
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(runMs(random)));
        if (kill % 2 == 1) {
            const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(2);
            while (!fs::exists(kTemp) && Clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(std::chrono::microseconds(saveUs(random)));
        }
        ::kill(pid, SIGKILL);
        waitReplay(pid);
        // A save cut short leaves its temporary file, which the next save overwrites.
        if (fs::exists(kTemp)) {
            ++duringSave;
            fs::remove(kTemp);
        }
        const std::string now = readWhole(kList);
        ASSERT_TRUE(now == original || now == pulse || now == plasma) << "kill " << kill << " left:\n" << now;
    }
    std::printf("%d kills, %d of them during a save\n", kKills, duringSave);
    // The game still reads the list it was left with and saves over it.
    EXPECT_EQ(playTo(kFirstChoice + 10), 0);
    EXPECT_TRUE(readWhole(kList) == pulse) << "the list after a save is not the table saved";
    EXPECT_TRUE(readWhole(kGameList) == original) << "the game's own list was written";
}

// A tmpfs mounted over the player's data folder in place of the folder, with the same
// files; unmounted when it goes out of scope.
class DataOnTmpfs {
public:
    // Mounts one of `sizeKb` KB; false (and nothing mounted) when the machine does not let us.
    bool mount(int sizeKb) {
        fs::rename(kData, "data-files");
        fs::create_directory(kData);
        const std::string options = "size=" + std::to_string(sizeKb) + "k";
        if (::mount("tmpfs", kData, "tmpfs", 0, options.c_str()) != 0) {
            fs::remove(kData);
            fs::rename("data-files", kData);
            return false;
        }
        mounted_ = true;
        fs::copy("data-files", kData, fs::copy_options::recursive);
        return true;
    }
    bool makeReadOnly() { return ::mount(nullptr, kData, nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
    ~DataOnTmpfs() {
        if (mounted_) umount(kData);
    }

private:
    bool mounted_ = false;
};

// Gives the player a copy of the demo's own table, saved as the game saves it: one run
// through the first choice makes the copy, which then gets the original table back.
void makePlayersCopy(const std::string& original) {
    ASSERT_EQ(playTo(kFirstChoice + 10), 0);
    ASSERT_TRUE(writeText(kList, original));
}

// Plays the route through its first choice (the second would save the demo's own table
// again); the game must end normally with the copy as it was and no temporary file left.
void expectSaveRefused(const std::string& original) {
    ASSERT_EQ(playTo(kFirstChoice + 10), 0);
    EXPECT_EQ(readWhole("summary.txt").rfind("frames 90\nmode 1\n", 0), 0u) << readWhole("summary.txt");
    EXPECT_TRUE(readWhole(kList) == original) << "the refused save changed the copy";
    EXPECT_FALSE(fs::exists(kTemp));
}

TEST_F(CharListSave, AReadOnlyFolderKeepsTheOldTable) {
    makePlayersCopy(original);
    if (geteuid() != 0) {
        // Permissions bind everyone but the superuser.
        const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        fs::permissions(kData, write, fs::perm_options::remove);
        expectSaveRefused(original);
        fs::permissions(kData, fs::perms::owner_write, fs::perm_options::add);
        return;
    }
    DataOnTmpfs tmpfs;
    if (!tmpfs.mount(1024) || !tmpfs.makeReadOnly()) GTEST_SKIP() << "cannot mount a read-only tmpfs here";
    expectSaveRefused(original);
}

TEST_F(CharListSave, AFullDiskKeepsTheOldTable) {
    makePlayersCopy(original);
    DataOnTmpfs tmpfs;
    if (!tmpfs.mount(256)) GTEST_SKIP() << "cannot mount a small tmpfs here (it takes the superuser)";
    // Fill it to the last byte.
    std::FILE* filler = std::fopen("player/data/filler", "wb");
    ASSERT_NE(filler, nullptr);
    const std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
    }
    std::fclose(filler);
    std::FILE* probe = std::fopen("player/data/probe", "wb");
    ASSERT_NE(probe, nullptr);
    EXPECT_TRUE(std::fputc('x', probe) == EOF || std::fflush(probe) != 0) << "the tmpfs is not full";
    std::fclose(probe);
    fs::remove("player/data/probe");
    expectSaveRefused(original);
}

}  // namespace
