// sortie-new: its command line, the game it writes (which the checker passes, with its
// placeholder art where the character list points), and that game's battle played by
// sortie-replay to the won and to the lost ending.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/bitmap.h"
#include "platform/headless_platform.h"
#include "platform/wave.h"
#include "replay/replay_support.h"
#include "support/build_paths.h"
#include "support/screen_text.h"
#include "support/test_files.h"
#include "tools/check/check.h"
#include "tools/new/starter.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun sortieNew(const std::string& args) {
    const int status = std::system((std::string(SORTIE_NEW_PROGRAM) + " " + args + " >out.txt 2>err.txt").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole("out.txt"), readWhole("err.txt")};
}

// Pixels of the rectangle that are not pure black, the sheet's transparent colour.
int shownPixels(const Surface& s, const SheetRect& r, int frame = 0) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x + frame * r.w; x < r.x + (frame + 1) * r.w; ++x) n += (s.row(y)[x] & 0xFFFFFF) != 0;
    return n;
}

TEST(SortieNew, AnswersHelpAndVersionAndRefusesBadUseWithOneLine) {
    TempGameFolder folder;
    ToolRun run = sortieNew("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("usage: sortie-new DIR\n", 0), 0u) << run.out;
    run = sortieNew("--version");
    EXPECT_EQ(run.out, std::string("sortie-new ") + SORTIE_VERSION + "\n");

    ASSERT_TRUE(writeText("data/keep.txt", "mine\n"));
    ASSERT_TRUE(writeText("file.txt", "x\n"));
    for (const char* bad : {"", "a b", "--bogus a", "data", "file.txt"}) {
        run = sortieNew(bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(run.out, "") << bad;
        EXPECT_EQ(linesOf(run.err).size(), 1u) << bad << ": " << run.err;
    }
    // The folder that is not empty is left as it was.
    EXPECT_EQ(readWhole("data/keep.txt"), "mine\n");
    EXPECT_FALSE(fs::exists("data/data"));
    EXPECT_NE(sortieNew("data").err.find("not empty"), std::string::npos);
}

TEST(SortieNew, WritesAGameThatTheCheckerPassesWithItsArtWhereTheListPoints) {
    TempGameFolder folder;
    fs::create_directory("empty");
    const ToolRun run = sortieNew("empty/ games/first");
    EXPECT_EQ(run.status, 2);  // two folders
    ASSERT_EQ(sortieNew("games/first").status, 0);
    ASSERT_EQ(sortieNew("empty").status, 0);  // an empty folder will do

    char* out = nullptr;
    size_t size = 0;
    std::FILE* report = open_memstream(&out, &size);
    const char* args[] = {"sortie-check", "games/first"};
    const int status = runCheckTool(2, args, report, stderr);
    std::fclose(report);
    const std::string text(out, size);
    std::free(out);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text, "0 errors, 0 warnings\n");

    // Every row of the character list follows a comment.
    const std::vector<std::string> list = linesOf(readWhole("games/first/data/charlist.txt"));
    for (size_t i = 1; i < list.size(); ++i) {
        if (list[i][0] != '/') {
            EXPECT_EQ(list[i - 1][0], '/') << list[i];
        }
    }

    // The sheet: a box in every frame the stages read, each direction frame its own.
    Surface sheet;
    ASSERT_TRUE(readBitmapFile("games/first/bmp/char.bmp", sheet));
    for (const SheetRect* r : {&starter::kPlayer, &starter::kOpponent, &starter::kExplosion, &starter::kTrail}) {
        for (int f = 0; f < r->frames; ++f) {
            EXPECT_EQ(shownPixels(sheet, *r, f), r->w * r->h) << r->name << " frame " << f;
            if (f > 0) {
                EXPECT_FALSE(sameRect(sheet, r->x + f * r->w, r->y, r->w, r->h, sheet, r->x, r->y)) << r->name;
            }
        }
    }
    for (const SheetRect* r : {&starter::kPlayerFiring, &starter::kPlayerShot, &starter::kOpponentShot,
                               &starter::kGround, &starter::kBlock, &sheet::kWonBanner, &sheet::kLostBanner})
        EXPECT_EQ(shownPixels(sheet, *r), r->w * r->h) << r->name;

    for (const char* sound : {"title", "level1", "level2", "se1", "se2", "shot00", "mehit", "win", "lost"}) {
        std::FILE* file = std::fopen(("games/first/wav/" + std::string(sound) + ".wav").c_str(), "rb");
        ASSERT_NE(file, nullptr) << sound;
        WaveInfo wave;
        EXPECT_TRUE(readWaveInfo(file, wave)) << sound;
        std::fclose(file);
        EXPECT_EQ(waveProblem(wave, WaveUse::Music), WaveProblem::None) << sound;
        EXPECT_GT(waveDurationMs(wave), 0) << sound;
    }
}

class StarterGame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sortieNew("game").status, 0);
        fs::current_path("game");
    }

    static std::string route(const char* name) {
        return std::string(" --input ") + SORTIE_SOURCE_DIR + "/tests/tools/starter_" + name;
    }

    TempGameFolder folder;
};

// Its title and its shooting stage are played in the real window (tests/window); here the
// battle is won and lost from its script on.
TEST_F(StarterGame, PlaysFromItsBattleToTheWonEnding) {
    const replay::ReplayRun run = replay::runReplay(600, "--script data/battle.dat" + route("won.txt"), {575, 600});
    ASSERT_EQ(run.status, 0) << run.err;
    auto at = [&](const std::string& line) {
        return std::find(run.trace.begin(), run.trace.end(), line) != run.trace.end();
    };
    EXPECT_TRUE(at("3 mci open ./././wav/level2.wav alias BGM"));
    EXPECT_TRUE(at("265 mci open ././wav/win.wav alias SHOTVOX"));

    // The report shows variable 0 through "@"; the ending was loaded after it.
    const Surface report = replay::shot(575);
    EXPECT_TRUE(showsText(report, 280, 200, "Battle report"));
    EXPECT_TRUE(showsText(report, 368, 260, "1"));
    const Surface ending = replay::shot(600);
    EXPECT_TRUE(showsText(ending, 280, 200, "Victory!"));
    EXPECT_TRUE(showsText(ending, 340, 320, "Title"));
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.value("result"), 1);
    EXPECT_EQ(run.value("script_counter"), 17);  // the ending's buttonstart
}

// Every file the game cannot use is named once on stderr with the reason, and the game plays
// on as it would without the message: the battle is still won. A byte-order mark before the
// first keyword of the battle script, the stage file and the character list is skipped
// (were it not, "kh" would be no keyword and the battle would never start, and the first
// data lines would read as row 0 or command 0).
TEST_F(StarterGame, NamesEachFileItCannotUseOnceAndPlaysOn) {
    fs::remove("bmp/format.bmp");
    fs::create_directory("bmp/format.bmp");
    fs::remove("wav/level2.wav");
    fs::remove("wav/shot00.wav");
    fs::remove("data/won.dat");
    ASSERT_TRUE(writeText("wav/se1.wav", "OggS and the rest of an Ogg stream"));
    // A header that claims 30000 x 30000 pixels of 24 bits.
    std::string huge = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0\x30\x75\0\0\x30\x75\0\0\x01\0\x18\0", 16);
    ASSERT_TRUE(writeText("bmp/report.bmp", huge + std::string(24, '\0')));
    for (const char* text : {"data/battle.dat", "data/level2.txt", "data/charlist.txt"}) {
        std::string lines = readWhole(text);
        while (lines[0] == '/' || lines.starts_with("rem ")) lines.erase(0, lines.find('\n') + 1);
        ASSERT_TRUE(writeText(text, "\xEF\xBB\xBF" + lines));
    }

    const replay::ReplayRun run = replay::runReplay(600, "--script data/battle.dat" + route("won.txt"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.value("result"), 1);
    // Still tried at every shot and every spawn, as without the message, and named once.
    auto tries = [&](const std::string& what) {
        return std::count_if(run.trace.begin(), run.trace.end(),
                             [&](const std::string& line) { return line.ends_with(what); });
    };
    EXPECT_EQ(tries(" mci open ././wav/shot00.wav alias SHOTVOX"), 4);
    EXPECT_EQ(tries(" effect ././wav/se1.wav"), 10);
    std::vector<std::string> said = linesOf(run.err);
    std::sort(said.begin(), said.end());
    EXPECT_EQ(said, (std::vector<std::string>{
                        "sortie-replay: bmp/format.bmp: is a folder",
                        "sortie-replay: bmp/report.bmp: header claims 30000 x 30000 pixels: over the limit (8192 on a "
                        "side, 8388608 in all)",
                        "sortie-replay: data/won.dat: no such file",
                        "sortie-replay: wav/level2.wav: no such file",
                        "sortie-replay: wav/se1.wav: is an Ogg file: sounds must be WAV",
                        "sortie-replay: wav/shot00.wav: no such file",
                    }));
}

TEST_F(StarterGame, PlaysFromItsBattleToTheLostEnding) {
    const replay::ReplayRun run = replay::runReplay(580, "--script data/battle.dat" + route("lost.txt"), {555, 580});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(std::find(run.trace.begin(), run.trace.end(), "245 mci open ././wav/lost.wav alias SHOTVOX"),
              run.trace.end());
    const Surface report = replay::shot(555);
    EXPECT_TRUE(showsText(report, 280, 260, "Result:"));
    EXPECT_TRUE(showsText(report, 368, 260, "0"));
    const Surface ending = replay::shot(580);
    EXPECT_TRUE(showsText(ending, 280, 200, "Defeated"));
    EXPECT_TRUE(showsText(ending, 340, 280, "Try again"));
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.value("result"), 0);
}

}  // namespace
