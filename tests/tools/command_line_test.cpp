// Every program reads its command line by the same rules: -h is --help, --name=value is
// --name value, -- ends the options, and --help or --version is answered first, however
// wrong the rest of the line is. Checked on the real programs.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/build_paths.h"
#include "support/test_files.h"

namespace {

struct Program {
    const char* name;
    const char* path;
};

const Program kPrograms[] = {{"sortie", SORTIE_GAME_PROGRAM},
                             {"sortie-replay", SORTIE_REPLAY_PROGRAM},
                             {"sortie-check", SORTIE_CHECK_PROGRAM},
                             {"sortie-new", SORTIE_NEW_PROGRAM},
                             {"sortie-export", SORTIE_EXPORT_PROGRAM},
                             {"sortie-assets", SORTIE_ASSETS_PROGRAM}};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(const Program& program, const std::string& args) {
    const std::string command = std::string(program.path) + " " + args + " >out.txt 2>err.txt </dev/null";
    const int status = std::system(command.c_str());
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole("out.txt"), readWhole("err.txt")};
}

TEST(CommandLine, EveryProgramFollowsTheSameRules) {
    TempGameFolder folder;
    // "-x" and "--help" are plain files: no program can use them as its folder, and none
    // may take them for options after "--".
    ASSERT_TRUE(writeText("-x", "not a folder\n"));
    ASSERT_TRUE(writeText("--help", "not a folder\n"));
    for (const Program& p : kPrograms) {
        const std::string name = p.name;
        const std::string usage = "usage: " + name;
        for (const char* args : {"-h", "--help", "--bogus -h", "--scale=0 --help extra words"}) {
            const Outcome r = run(p, args);
            EXPECT_EQ(r.status, 0) << name << " " << args;
            EXPECT_EQ(r.out.rfind(usage, 0), 0u) << name << " " << args << ": " << r.out;
            EXPECT_EQ(r.err, "") << name << " " << args;
        }
        for (const char* args : {"--version", "--bogus --version", "a b c --version"}) {
            const Outcome r = run(p, args);
            EXPECT_EQ(r.status, 0) << name << " " << args;
            EXPECT_EQ(r.out, name + " " + SORTIE_VERSION + "\n") << name << " " << args;
        }
        for (const char* args : {"--bogus", "--bogus=1", "-q"}) {
            const Outcome r = run(p, args);
            EXPECT_EQ(r.status, 2) << name << " " << args;
            EXPECT_EQ(r.out, "") << name << " " << args;
            EXPECT_EQ(linesOf(r.err).size(), 1u) << name << " " << args << ": " << r.err;
            EXPECT_EQ(r.err.rfind(name + ": ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find("unknown option"), std::string::npos) << r.err;
        }
        // After "--" a word is an operand, even one that looks like an option.
        for (const char* args : {"-- -x", "-- --help"}) {
            const Outcome r = run(p, args);
            EXPECT_NE(r.status, 0) << name << " " << args;
            EXPECT_EQ(r.out.find("usage:"), std::string::npos) << name << " " << args;
            EXPECT_EQ(r.err.find("unknown option"), std::string::npos) << name << " " << args << ": " << r.err;
        }
    }
}

// play.sh with its build and its game stood in for: the build's output is kept in a log
// (shown only when the build fails), and the demo is played unless a folder is named.
TEST(PlayScript, PlaysTheNamedFolderOrTheDemoAndKeepsTheBuildQuiet) {
    TempGameFolder folder;
    namespace fs = std::filesystem;
    fs::create_directories("tree/tools");
    fs::create_directories("tree/build/play");
    fs::copy_file(std::string(SORTIE_SOURCE_DIR) + "/play.sh", "tree/play.sh");
    ASSERT_TRUE(writeText("tree/tools/setup.sh", "echo compiling; exit ${BUILD_FAILS:-0}\n"));
    ASSERT_TRUE(writeText("tree/build/play/sortie", "#!/bin/sh\necho \"game $*\"\n"));
    fs::permissions("tree/build/play/sortie", fs::perms::owner_all);
    const std::string demo = folder.path() + "/tree/build/play/game";
    auto play = [](const std::string& args) {
        const std::string command = "sh tree/play.sh " + args + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"", "game " + demo},
        {"--help", "game --help " + demo},
        {"mine", "game mine"},
        {"--scale 2 --stage shoot 1", "game --scale 2 --stage shoot 1 " + demo},
        {"--scale=2 --record r.txt mine", "game --scale=2 --record r.txt mine"},
        {"-- -mine", "game -- -mine"},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(play(args), 0) << args;
        EXPECT_EQ(readWhole("out.txt"), expected + "\n") << args;
        EXPECT_EQ(readWhole("err.txt"), "") << args;
    }
    EXPECT_EQ(readWhole("tree/build/play.log"), "compiling\n");
    // --web takes a port and nothing else, refused before anything is built.
    for (const char* args : {"--web --port 0", "--web --port 8o", "--web --port", "--web mine"}) {
        EXPECT_EQ(play(args), 2) << args;
        EXPECT_EQ(linesOf(readWhole("err.txt")).size(), 1u) << args << ": " << readWhole("err.txt");
    }
    EXPECT_FALSE(fs::exists("tree/build/web.log"));
    setenv("BUILD_FAILS", "1", 1);
    EXPECT_EQ(play("--help"), 1);
    unsetenv("BUILD_FAILS");
    EXPECT_EQ(readWhole("out.txt"), "");
    EXPECT_NE(readWhole("err.txt").find("compiling"), std::string::npos);
}

}  // namespace
