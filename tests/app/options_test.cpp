#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"
#include "support/build_paths.h"
#include "support/hostile_files.h"
#include "support/test_files.h"

namespace {

bool parse(std::vector<const char*> args, GameOptions& options, std::string& error) {
    args.insert(args.begin(), "sortie");
    return parseGameOptions(static_cast<int>(args.size()), args.data(), options, error);
}

// Runs the real game with `args` from the current folder; its exit status and stderr.
std::pair<int, std::string> runGame(const std::string& args) {
    const std::string command = std::string(SORTIE_GAME_PROGRAM) + " " + args + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole("err.txt")};
}

}  // namespace

TEST(GameOptions, ReadsEveryOptionAndRefusesWhatItDoesNotKnow) {
    GameOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--fullscreen", "--scale", "3", "--script", "data/x.dat", "--stage", "battle", "12",
                       "--record", "r.txt", "--data", "mine", "games/one"},
                      o, error))
        << error;
    EXPECT_TRUE(o.fullscreen);
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.scriptPath, "data/x.dat");
    EXPECT_EQ(o.stage, StartStage::Battle);
    EXPECT_EQ(o.stageNumber, 12);
    EXPECT_EQ(o.recordPath, "r.txt");
    EXPECT_EQ(o.dataDir, "mine");
    EXPECT_EQ(o.gameDir, "games/one");

    // --name=value reads as --name value; after --, every word is the game folder.
    GameOptions joined;
    ASSERT_TRUE(parse({"--scale=3", "--script=data/x.dat", "--stage=battle", "12", "--record=r.txt", "--", "-one"},
                      joined, error))
        << error;
    EXPECT_EQ(joined.scale, 3);
    EXPECT_EQ(joined.scriptPath, "data/x.dat");
    EXPECT_EQ(joined.stageNumber, 12);
    EXPECT_EQ(joined.recordPath, "r.txt");
    EXPECT_EQ(joined.gameDir, "-one");
    // --help and --version are answered whatever else the line holds.
    GameOptions asked;
    ASSERT_TRUE(parse({"--scale", "0", "-h", "--bogus"}, asked, error));
    EXPECT_TRUE(asked.help);
    ASSERT_TRUE(parse({"a", "b", "--version"}, asked, error));
    EXPECT_TRUE(asked.version);

    GameOptions plain;
    ASSERT_TRUE(parse({}, plain, error));
    EXPECT_EQ(plain.gameDir, "");  // not given: the current folder's game or the demo
    EXPECT_EQ(plain.stage, StartStage::None);
    EXPECT_EQ(plain.scale, 0);  // not given: the remembered scale decides
    EXPECT_EQ(plain.dataDir, "");

    for (const std::vector<const char*>& bad :
         std::vector<std::vector<const char*>>{{"--help-me"},
                                               {"-x"},
                                               {"--scale"},
                                               {"--scale", "0"},
                                               {"--scale", "2x"},
                                               {"--stage", "shoot"},
                                               {"--stage", "walk", "1"},
                                               {"--stage", "shoot", "128"},
                                               {"--data"},
                                               {"--data", ""},
                                               {"--fullscreen=yes"},
                                               {"--scale="},
                                               {"--", "a", "b"},
                                               {"a", "b"}}) {
        GameOptions ignored;
        EXPECT_FALSE(parse(bad, ignored, error)) << bad[0];
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(GameProgram, AnswersHelpAndVersionAndRefusesBadUseBeforeAnyWindow) {
    TempGameFolder folder;
    auto [status, err] = runGame("--help");
    EXPECT_EQ(status, 0);
    EXPECT_NE(readWhole("out.txt").find("usage: sortie [OPTIONS] [GAME_DIR]"), std::string::npos);
    std::tie(status, err) = runGame("--version");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readWhole("out.txt"), std::string("sortie ") + SORTIE_VERSION + "\n");

    std::tie(status, err) = runGame("--bogus");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(linesOf(err).size(), 1u) << err;

    // An empty folder is refused by name, with a pointer to the checker, and no window is
    // opened (there is no display here to open one on).
    std::tie(status, err) = runGame(folder.path());
    EXPECT_EQ(status, 1);
    ASSERT_EQ(linesOf(err).size(), 1u) << err;
    EXPECT_NE(err.find(folder.path()), std::string::npos);
    EXPECT_NE(err.find("data/advfile.dat"), std::string::npos);
    EXPECT_NE(err.find("sortie-check"), std::string::npos);

    // Without a game folder: the current folder when it has a first script, even one the
    // game cannot open; otherwise the demo beside the program, which gets as far as the
    // window (none can open here).
    const std::string noWindow = std::string("DISPLAY= SDL_VIDEODRIVER=x11 ") + SORTIE_GAME_PROGRAM + " 2>err.txt";
    ASSERT_EQ(mkdir("data/advfile.dat", 0755), 0);
    EXPECT_NE(std::system(noWindow.c_str()), 0);
    EXPECT_NE(readWhole("err.txt").find(". holds no game: data/advfile.dat"), std::string::npos) << readWhole("err.txt");
    ASSERT_EQ(rmdir("data/advfile.dat"), 0);
    EXPECT_NE(std::system(noWindow.c_str()), 0);
    EXPECT_NE(readWhole("err.txt").find("cannot open the window"), std::string::npos) << readWhole("err.txt");
}

// A folder that cannot be played says why, each reason in its own words.
TEST(GameProgram, AFolderThatCannotBePlayedSaysWhy) {
    TempGameFolder folder;
    ASSERT_TRUE(writeText("plain.txt", "x"));
    ASSERT_EQ(mkdir("locked", 0700), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"none", "sortie: the game folder none does not exist\n"},
        {"plain.txt", "sortie: the game folder plain.txt is not a folder (a game folder holds data/, bmp/ and wav/)\n"},
    };
    for (const auto& [args, said] : cases) {
        const auto [status, err] = runGame(args);
        EXPECT_EQ(status, 1) << args;
        EXPECT_EQ(err, said);
    }
    const std::string program = SORTIE_GAME_PROGRAM;
    EXPECT_TRUE(asUnprivilegedUser([&] {
        const int status = std::system((program + " locked 2>/tmp/sortie-locked-err.txt").c_str());
        return WIFEXITED(status) && WEXITSTATUS(status) == 1 &&
               readWhole("/tmp/sortie-locked-err.txt") ==
                   "sortie: the game folder locked cannot be entered: permission denied\n";
    }));
    std::remove("/tmp/sortie-locked-err.txt");
}

TEST(GameProgram, RefusesAMissingStartOrAnUnwritableRecordingBeforeAnyWindow) {
    TempGameFolder folder;
    ASSERT_TRUE(writeText("data/advfile.dat", "end\n"));
    ASSERT_TRUE(writeText("data/level1.txt", "54,0,0,0,0,0,600\n"));
    for (const char* args : {"--script data/none.dat .", "--script data .", "--stage battle 2 .",
                             "--stage shoot 1 --record no/such/folder/r.txt ."}) {
        const auto [status, err] = runGame(args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_EQ(linesOf(err).size(), 1u) << args << ": " << err;
    }
    EXPECT_NE(runGame("--stage battle 2 .").second.find("data/level2.txt"), std::string::npos);
    // --script names a file inside the game folder; --record never replaces what is not a
    // recording (here, the game's first script).
    for (const char* args : {"--script /etc/hostname .", "--script ../x/data/advfile.dat .",
                             "--record data/advfile.dat .", "--record=data/level1.txt ."}) {
        const auto [status, err] = runGame(args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_EQ(linesOf(err).size(), 1u) << args << ": " << err;
    }
    EXPECT_EQ(readWhole("data/advfile.dat"), "end\n");
    EXPECT_EQ(readWhole("data/level1.txt"), "54,0,0,0,0,0,600\n");
    EXPECT_NE(runGame("--record no/such/folder/r.txt .").second.find("no/such/folder/r.txt"), std::string::npos);
}
