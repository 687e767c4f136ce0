// The demo played from its title by sortie-replay: the routes in this folder (the story won,
// the story with a lost coast and a lost battle, both practices, the armory over two runs)
// run on a copy of the assembled game folder, and each test checks where the game ends up
// (the summary), the sounds of key frames (the trace) and the window at key frames (shots).
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "stage/scenery.h"
#include "support/build_paths.h"
#include "support/demo_folder.h"
#include "support/screen_text.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

// Trace lines, as they follow the frame number.
const std::string kPlayerSpawn = "effect ././wav/se1.wav";  // the player appears: a stage is handed over
const std::string kWon = "mci open ././wav/win.wav alias SHOTVOX";
const std::string kLost = "mci open ././wav/lost.wav alias SHOTVOX";
const std::string kStoryMusic = "mci open ./wav/level0.wav alias BGM";
const std::string kPlayerShot = "mci open ././wav/shot00.wav alias SHOTVOX";

const std::string kNoVars = "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0";

// What one run of sortie-replay left: its exit status, its summary by name ("mode" -> "1")
// and its sound trace.
struct ReplayRun {
    int status = -1;
    std::map<std::string, std::string> summary;
    std::vector<std::string> trace;
    std::string errors;  // what it said on stderr

    // The frames of the trace lines that read `text` after their frame number.
    std::vector<int> framesOf(const std::string& text) const {
        std::vector<int> frames;
        for (const std::string& line : trace) {
            const size_t space = line.find(' ');
            if (space != std::string::npos && line.compare(space + 1, std::string::npos, text) == 0)
                frames.push_back(std::stoi(line.substr(0, space)));
        }
        return frames;
    }
};

// At least `share` of the screen shows `picture` unchanged (texts and buttons cover the rest).
::testing::AssertionResult showsPicture(const Surface& shown, const Surface& picture, double share) {
    if (picture.width < kScreenWidth || picture.height < kScreenHeight || shown.width != kScreenWidth ||
        shown.height != kScreenHeight)
        return ::testing::AssertionFailure() << "a picture is smaller than the screen";
    int same = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) same += (shown.row(y)[x] & 0xFFFFFF) == (picture.row(y)[x] & 0xFFFFFF);
    const double got = static_cast<double>(same) / (kScreenWidth * kScreenHeight);
    if (got >= share) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "only " << got << " of the screen shows the picture";
}

class Playthrough : public ::testing::Test {
protected:
    void SetUp() override {
        // Every run plays a copy, so that the build's own game folder never changes.
        const std::string problem = copyDemoGame("game");
        ASSERT_EQ(problem, "");
        ASSERT_TRUE(readBitmapFile("game/bmp/char.bmp", sheet));
    }

    // Plays tests/playthrough/<route>.txt for `frames` frames, with a shot after each of
    // `shots`, keeping the player's data in the folder `data`.
    ReplayRun play(const std::string& route, int frames, const std::vector<int>& shots = {},
                   const std::string& data = "player") {
        std::string command = std::string("'") + SORTIE_REPLAY_PROGRAM + "' --frames " + std::to_string(frames) +
                              " --input '" + SORTIE_SOURCE_DIR + "/tests/playthrough/" + route +
                              ".txt' --trace trace.txt --data " + data;
        for (int f : shots) command += " --shot " + std::to_string(f) + "=" + shotName(f);
        command += " game >summary.txt 2>errors.txt";
        ReplayRun run;
        const int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.errors = readWhole("errors.txt");
        for (const std::string& line : linesOf(readWhole("summary.txt"))) {
            const size_t space = line.find(' ');
            if (space != std::string::npos) run.summary[line.substr(0, space)] = line.substr(space + 1);
        }
        run.trace = linesOf(readWhole("trace.txt"));
        return run;
    }

    static std::string shotName(int frame) { return "shot-" + std::to_string(frame) + ".bmp"; }

    // The window after `frame`, from a shot asked for in play().
    Surface shot(int frame) {
        Surface s;
        EXPECT_TRUE(readBitmapFile(shotName(frame).c_str(), s)) << "no shot of frame " << frame;
        return s;
    }

    // A picture of the game folder, e.g. "bmp/title.bmp".
    Surface picture(const std::string& path) {
        Surface s;
        EXPECT_TRUE(readBitmapFile(("game/" + path).c_str(), s)) << path;
        return s;
    }

    ::testing::AssertionResult showsBanner(const Surface& shown, int sheetTop) {
        return sameRect(shown, kBannerX, kBannerY, kBannerWidth, kBannerHeight, sheet, 0, sheetTop);
    }

    TempGameFolder folder;
    Surface sheet;
};

using Frames = std::vector<int>;

TEST_F(Playthrough, TheWholeStoryIsWonFromTheTitleToTheVictoryScreen) {
    const ReplayRun run = play("story_won", 4433, {10, 40, 113, 526, 1937, 2894, 3220, 4014, 4330, 4400});
    EXPECT_EQ(run.errors, "");  // every file the demo names is there and readable
    ASSERT_EQ(run.status, 0);

    // Four stages: the coast and the canyon (shooting), the grassland and the depot (battle),
    // each handed over and won at its frame, each with its own music.
    const Frames handOvers = run.framesOf(kPlayerSpawn);
    ASSERT_EQ(handOvers, (Frames{113, 863, 2279, 3276}));
    EXPECT_EQ(run.framesOf(kWon), (Frames{525, 1936, 2893, 4013}));
    EXPECT_EQ(run.framesOf(kLost), Frames{});
    for (int stage = 1; stage <= 4; ++stage) {
        const Frames music = run.framesOf("mci open ./././wav/level" + std::to_string(stage) + ".wav alias BGM");
        ASSERT_FALSE(music.empty()) << stage;
        EXPECT_EQ(music.front(), handOvers[stage - 1]) << stage;
    }
    // The story's music: the title, the story, then after each stage once its banner has
    // shown for 300 frames (the script then runs a comment, and after a shooting stage the
    // call of the next script, before its music), and for the depot's briefing.
    EXPECT_EQ(run.framesOf(kStoryMusic), (Frames{3, 53, 525 + 302, 1936 + 302, 2893 + 301, 3238, 4013 + 301}));

    const Surface title = shot(10);
    EXPECT_TRUE(showsPicture(title, picture("bmp/title.bmp"), 0.95));
    EXPECT_TRUE(showsText(title, 84, 530, "Click to start"));
    const Surface menu = shot(40);
    EXPECT_TRUE(showsPicture(menu, picture("bmp/menu.bmp"), 0.9));
    EXPECT_TRUE(showsText(menu, 300, 220, "&Story"));
    EXPECT_TRUE(showsText(menu, 300, 364, "&Armory"));
    EXPECT_TRUE(showsPicture(shot(113), picture("bmp/zyunbi.bmp"), 1.0));
    for (int frame : {526, 1937, 2894, 4014}) EXPECT_TRUE(showsBanner(shot(frame), kWonBannerTop)) << frame;
    // The battle reports show variable 0, which the won battles set to 1.
    const Surface grassland = shot(3220);
    EXPECT_TRUE(showsText(grassland, 44, 440, "BATTLE REPORT - THE GRASSLAND"));
    EXPECT_TRUE(showsText(grassland, 168, 466, "1"));
    const Surface depot = shot(4330);
    EXPECT_TRUE(showsText(depot, 44, 440, "BATTLE REPORT - THE DEPOT"));
    EXPECT_TRUE(showsText(depot, 160, 466, "1"));
    const Surface victory = shot(4400);
    EXPECT_TRUE(showsPicture(victory, picture("bmp/victory.bmp"), 0.8));
    EXPECT_TRUE(showsText(victory, 44, 466, "Well flown. THE END."));

    // Back at the menu, whose script load cleared the variables.
    EXPECT_EQ(run.summary.at("frames"), "4433");
    EXPECT_EQ(run.summary.at("mode"), "1");
    EXPECT_EQ(run.summary.at("stage"), "4");
    EXPECT_EQ(run.summary.at("vars"), kNoVars);
    EXPECT_EQ(run.summary.at("countdown"), "0");
    EXPECT_EQ(run.summary.at("result"), "1");
}

TEST_F(Playthrough, ALostCoastIsPlayedAgainAndALostBattleLeadsToTheRetryScreen) {
    const ReplayRun run = play("story_setbacks", 3531, {155, 3079, 3408, 3448, 3501});
    EXPECT_EQ(run.errors, "");  // every file the demo names is there and readable
    ASSERT_EQ(run.status, 0);

    EXPECT_EQ(run.framesOf(kLost), (Frames{154, 3078}));
    EXPECT_EQ(run.framesOf(kWon), (Frames{865, 2276}));
    // The lost coast starts over by itself after its banner (frame 453), without the script;
    // the lost grassland battle returns to the script, which offers it again (frame 3501).
    EXPECT_EQ(run.framesOf(kPlayerSpawn), (Frames{113, 154 + 299, 1203, 2619, 3501}));
    EXPECT_EQ(run.framesOf(kStoryMusic), (Frames{3, 53, 865 + 302, 2276 + 302, 3078 + 301, 3461}));

    EXPECT_TRUE(showsBanner(shot(155), kLostBannerTop));
    EXPECT_TRUE(showsBanner(shot(3079), kLostBannerTop));
    const Surface report = shot(3408);
    EXPECT_TRUE(showsText(report, 44, 440, "BATTLE REPORT - THE GRASSLAND"));
    EXPECT_TRUE(showsText(report, 168, 466, "0"));
    const Surface retry = shot(3448);
    EXPECT_TRUE(showsPicture(retry, picture("bmp/defeat.bmp"), 0.8));
    EXPECT_TRUE(showsText(retry, 44, 440, "The mech was pulled out of the grassland for repairs."));
    EXPECT_TRUE(showsText(retry, 44, 518, "&Try again"));
    EXPECT_TRUE(showsText(retry, 300, 518, "Back to the &hangar"));
    EXPECT_TRUE(showsPicture(shot(3501), picture("bmp/zyunbi.bmp"), 1.0));

    // In the grassland battle again, undecided.
    EXPECT_EQ(run.summary.at("mode"), "5");
    EXPECT_EQ(run.summary.at("stage"), "3");
    EXPECT_EQ(run.summary.at("countdown"), "-1");
    EXPECT_EQ(run.summary.at("result"), "0");
    EXPECT_EQ(run.summary.at("vars"), kNoVars);
}

TEST_F(Playthrough, ShootingPracticeIsWonAndLeadsBackToTheMenu) {
    // Halfway through the banner the stage still runs and counts down.
    const ReplayRun half = play("practice_shooting", 299);
    ASSERT_EQ(half.status, 0);
    EXPECT_EQ(half.summary.at("mode"), "3");
    EXPECT_EQ(half.summary.at("stage"), "5");
    EXPECT_EQ(half.summary.at("countdown"), "199");
    EXPECT_EQ(half.summary.at("result"), "1");

    const ReplayRun run = play("practice_shooting", 579, {200, 540, 579});
    EXPECT_EQ(run.errors, "");  // every file the demo names is there and readable
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.framesOf(kPlayerSpawn), Frames{83});
    EXPECT_EQ(run.framesOf(kWon), Frames{199});
    EXPECT_EQ(run.framesOf(kStoryMusic), (Frames{3, 199 + 300}));
    EXPECT_TRUE(showsBanner(shot(200), kWonBannerTop));
    EXPECT_TRUE(showsText(shot(540), 44, 440, "PRACTICE COMPLETE"));
    EXPECT_TRUE(showsText(shot(579), 300, 364, "&Armory"));  // the pointer still hovers over the practice
    EXPECT_EQ(run.summary.at("mode"), "1");
    EXPECT_EQ(run.summary.at("stage"), "5");
    EXPECT_EQ(run.summary.at("countdown"), "0");
    EXPECT_EQ(run.summary.at("result"), "1");
}

TEST_F(Playthrough, BattlePracticeIsWonAndItsReportShowsTheResult) {
    const ReplayRun run = play("practice_battle", 860, {521, 860});
    EXPECT_EQ(run.errors, "");  // every file the demo names is there and readable
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.framesOf(kPlayerSpawn), Frames{83});
    EXPECT_EQ(run.framesOf(kWon), Frames{520});
    EXPECT_TRUE(showsBanner(shot(521), kWonBannerTop));
    const Surface report = shot(860);
    EXPECT_TRUE(showsText(report, 44, 440, "PRACTICE REPORT"));
    EXPECT_TRUE(showsText(report, 184, 466, "1"));
    EXPECT_EQ(run.summary.at("mode"), "1");
    EXPECT_EQ(run.summary.at("stage"), "6");
    EXPECT_EQ(run.summary.at("vars"), "1" + kNoVars.substr(1));
    EXPECT_EQ(run.summary.at("countdown"), "0");
    EXPECT_EQ(run.summary.at("result"), "1");
}

// The player's weapon lines (row 0) of a character list: WEP, BLA and LEN of each.
std::vector<std::string> playerWeapons(const std::string& charlist) {
    std::vector<std::string> weapons;
    for (const std::string& line : linesOf(charlist)) {
        if (line.rfind("000,", 0) != 0) continue;
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
        if (fields.size() == 18) weapons.push_back(fields[9] + " " + fields[10] + " " + fields[17]);
    }
    return weapons;
}

std::vector<std::string> otherRows(const std::string& charlist) {
    std::vector<std::string> rows;
    for (const std::string& line : linesOf(charlist))
        if (line.rfind("000,", 0) != 0) rows.push_back(line);
    return rows;
}

// A recording carries the player's saved list its session started from ("0 charlist"
// lines), and a replay in a fresh player's folder starts from it: the same run as one in the
// player's own folder.
TEST_F(Playthrough, AReplayStartsFromThePlayersListItsRecordingCarries) {
    ASSERT_EQ(play("armory_first", 170).status, 0);
    std::string carried;
    for (const std::string& line : linesOf(readWhole("player/data/charlist.txt"))) carried += "0 charlist " + line + "\n";
    ASSERT_TRUE(writeText("carried.txt", carried + readWhole(std::string(SORTIE_SOURCE_DIR) +
                                                             "/tests/playthrough/armory_second.txt")));
    const std::string replay = std::string("'") + SORTIE_REPLAY_PROGRAM +
                               "' --frames 266 --input carried.txt --trace carried-trace.txt game >carried-summary.txt";
    ASSERT_EQ(std::system(replay.c_str()), 0);

    const ReplayRun own = play("armory_second", 266);
    ASSERT_EQ(own.status, 0);
    EXPECT_EQ(readWhole("carried-summary.txt"), readWhole("summary.txt"));
    EXPECT_EQ(linesOf(readWhole("carried-trace.txt")), own.trace);
    EXPECT_EQ(own.summary.at("mode"), "3");  // in shooting practice with the saved weapons
}

TEST_F(Playthrough, AnArmoryChoiceIsSavedForThePlayerAndLastsIntoTheNextRunWhileTheAuthorsListStaysAsWritten) {
    const fs::path builtList = fs::path(SORTIE_BINARY_DIR) / "game" / "data" / "charlist.txt";
    const std::string built = readWhole(builtList);
    const std::string original = readWhole("game/data/charlist.txt");
    ASSERT_EQ(playerWeapons(original), (std::vector<std::string>{"001 008 320", "020 030 220", "021 060 300"}));
    // The author's comments and blank lines, which a save of the table would not keep.
    const std::string authors = "/ The mech's guns, as the armory first offers them.\n\n" + original +
                                "\n/ Shots, remains and scenery follow.\n";
    ASSERT_TRUE(writeText("game/data/charlist.txt", authors));
    const std::string kCopy = "player/data/charlist.txt";

    // First run: the pulse repeater replaces the main gun, in the player's copy.
    const ReplayRun first = play("armory_first", 170);
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.summary.at("mode"), "1");
    EXPECT_EQ(first.errors, "");
    const std::string afterFirst = readWhole(kCopy);
    EXPECT_EQ(playerWeapons(afterFirst), (std::vector<std::string>{"015 004 260", "020 030 220", "021 060 300"}));
    EXPECT_EQ(otherRows(afterFirst), otherRows(original));

    // Second run, a new start: it reads the copy and keeps the pulse repeater when the mortar
    // replaces the rockets...
    const ReplayRun second = play("armory_second", 266);
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(second.errors, "");
    const std::string afterSecond = readWhole(kCopy);
    EXPECT_EQ(playerWeapons(afterSecond), (std::vector<std::string>{"015 004 260", "020 030 220", "022 080 280"}));
    EXPECT_EQ(otherRows(afterSecond), otherRows(original));
    // ... and fires it in shooting practice: with Z held a shot leaves every 5 frames (the
    // plasma bolt it replaced fires every 9), and about every other one is heard.
    EXPECT_EQ(second.summary.at("mode"), "3");
    EXPECT_EQ(second.summary.at("stage"), "5");
    const Frames heard = second.framesOf(kPlayerShot);
    ASSERT_GE(heard.size(), 4u);
    EXPECT_EQ(heard.front(), 206);  // Z goes down on frame 206
    bool notPlasma = false;
    for (size_t i = 1; i < heard.size(); ++i) {
        EXPECT_EQ((heard[i] - heard[i - 1]) % 5, 0) << heard[i];
        notPlasma = notPlasma || (heard[i] - heard[i - 1]) % 9 != 0;
    }
    EXPECT_TRUE(notPlasma);
    // The author's file is as written, byte for byte.
    EXPECT_EQ(readWhole("game/data/charlist.txt"), authors);

    // The author changes the list (the player's mech is tougher): the player's copy is set
    // aside whole, with one line saying so, and the game's new list is played; the next
    // save starts from it.
    std::string changed = authors;
    for (size_t at = 0; (at = changed.find("000,000,000,032,032,040", at)) != std::string::npos;)
        changed.replace(at, 23, "000,000,000,032,032,050");
    ASSERT_NE(changed, authors);
    ASSERT_TRUE(writeText("game/data/charlist.txt", changed));
    const ReplayRun third = play("armory_first", 170);
    ASSERT_EQ(third.status, 0);
    EXPECT_EQ(linesOf(third.errors).size(), 1u) << third.errors;
    EXPECT_NE(third.errors.find("set aside as " + fs::absolute("player/data/charlist-set-aside-1.txt").string()),
              std::string::npos)
        << third.errors;
    EXPECT_EQ(readWhole("player/data/charlist-set-aside-1.txt"), afterSecond);
    const std::string afterThird = readWhole(kCopy);
    EXPECT_EQ(playerWeapons(afterThird), (std::vector<std::string>{"015 004 260", "020 030 220", "021 060 300"}));
    EXPECT_NE(afterThird.find("000,000,000,032,032,050"), std::string::npos);
    EXPECT_EQ(readWhole("game/data/charlist.txt"), changed);

    // A save that cannot be written (the player's folder cannot be made: a file has its
    // name) says what failed and where, and the game plays on to the end of the route.
    ASSERT_TRUE(writeText("blocked", ""));
    const ReplayRun refused = play("armory_second", 266, {}, "blocked/player");
    ASSERT_EQ(refused.status, 0);
    EXPECT_EQ(refused.summary.at("mode"), "3");
    const std::vector<std::string> said = linesOf(refused.errors);
    EXPECT_EQ(said.size(), 3u) << refused.errors;  // one line per weapon command
    for (const std::string& line : said)
        EXPECT_EQ(line, "sortie: the character list was not saved: cannot make the folder " +
                            fs::absolute("blocked/player/data").string() +
                            " (Not a directory); the game goes on, and the change lasts until it ends");
    EXPECT_EQ(readWhole("game/data/charlist.txt"), changed);

    // The build's own game folder was never played.
    EXPECT_EQ(readWhole(builtList), built);
}

}  // namespace
