// Every program reads its command line by the same rules: -h is --help, --name=value is
// --name value, -- ends the options, and --help or --version is answered first, however
// wrong the rest of the line is. Checked on the real programs.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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
                             {"sortie-assets", SORTIE_ASSETS_PROGRAM}};

struct Run {
    int status;
    std::string out;
    std::string err;
};

Run run(const Program& program, const std::string& args) {
    const std::string command = std::string(program.path) + " " + args + " >out.txt 2>err.txt </dev/null";
    const int status = std::system(command.c_str());
    return Run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole("out.txt"), readWhole("err.txt")};
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
            const Run r = run(p, args);
            EXPECT_EQ(r.status, 0) << name << " " << args;
            EXPECT_EQ(r.out.rfind(usage, 0), 0u) << name << " " << args << ": " << r.out;
            EXPECT_EQ(r.err, "") << name << " " << args;
        }
        for (const char* args : {"--version", "--bogus --version", "a b c --version"}) {
            const Run r = run(p, args);
            EXPECT_EQ(r.status, 0) << name << " " << args;
            EXPECT_EQ(r.out, name + " " + SORTIE_VERSION + "\n") << name << " " << args;
        }
        for (const char* args : {"--bogus", "--bogus=1", "-q"}) {
            const Run r = run(p, args);
            EXPECT_EQ(r.status, 2) << name << " " << args;
            EXPECT_EQ(r.out, "") << name << " " << args;
            EXPECT_EQ(linesOf(r.err).size(), 1u) << name << " " << args << ": " << r.err;
            EXPECT_EQ(r.err.rfind(name + ": ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find("unknown option"), std::string::npos) << r.err;
        }
        // After "--" a word is an operand, even one that looks like an option.
        for (const char* args : {"-- -x", "-- --help"}) {
            const Run r = run(p, args);
            EXPECT_NE(r.status, 0) << name << " " << args;
            EXPECT_EQ(r.out.find("usage:"), std::string::npos) << name << " " << args;
            EXPECT_EQ(r.err.find("unknown option"), std::string::npos) << name << " " << args << ": " << r.err;
        }
    }
}

}  // namespace
