// sortie-export: a starter game turned into a .tar.gz whose launcher runs the installed
// sortie on it, into a .deb of the game alone and into a zip for Windows with the engine
// beside it; a game with errors and wrong command lines are refused and write nothing.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/build_paths.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

// Runs `command` in the shell: its exit status and its output (both streams) in `output`.
int run(const std::string& command, std::string& output) {
    const int status = std::system((command + " >run.txt 2>&1").c_str());
    output = readWhole("run.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kExport = std::string("'") + SORTIE_EXPORT_PROGRAM + "' ";

TEST(Export, TurnsAStarterGameIntoAnArchiveWithALauncherAndIntoAPackageOfTheGameAlone) {
    TempGameFolder folder;
    std::string output;
    ASSERT_EQ(run(std::string("'") + SORTIE_NEW_PROGRAM + "' Starter", output), 0) << output;

    // The archive: one folder named after the game, its files as written, and a launcher
    // that hands the folder to the sortie on the PATH.
    ASSERT_EQ(run(kExport + "--linux Starter starter.tar.gz", output), 0) << output;
    ASSERT_EQ(run("mkdir unpacked && tar -xzf starter.tar.gz -C unpacked", output), 0) << output;
    EXPECT_EQ(readWhole("unpacked/starter/data/advfile.dat"), readWhole("Starter/data/advfile.dat"));
    EXPECT_EQ(readWhole("unpacked/starter/bmp/char.bmp"), readWhole("Starter/bmp/char.bmp"));
    const std::string onPath = "PATH='" + fs::path(SORTIE_GAME_PROGRAM).parent_path().string() + "':$PATH ";
    EXPECT_EQ(run(onPath + "unpacked/starter/play --version", output), 0);
    EXPECT_EQ(output, std::string("sortie ") + SORTIE_VERSION_TEXT + "\n");
    EXPECT_EQ(run("PATH=/nowhere /bin/sh unpacked/starter/play", output), 1);
    EXPECT_NE(output.find("install it first"), std::string::npos) << output;

    // The package: its own name, depending on sortie, with the game, a command and an entry.
    ASSERT_EQ(run(kExport + "--deb --name my-game Starter my-game.deb", output), 0) << output;
    EXPECT_EQ(run("dpkg-deb -f my-game.deb Package Depends Architecture", output), 0);
    EXPECT_EQ(output, std::string("Package: my-game\nDepends: sortie (>= ") + SORTIE_VERSION_TEXT + ")\nArchitecture: all\n");
    ASSERT_EQ(run("dpkg-deb -x my-game.deb root", output), 0) << output;
    EXPECT_EQ(readWhole("root/usr/share/games/my-game/data/advfile.dat"), readWhole("Starter/data/advfile.dat"));
    EXPECT_NE(readWhole("root/usr/games/my-game").find("exec sortie \"$@\" /usr/share/games/my-game"), std::string::npos);
    EXPECT_NE(readWhole("root/usr/share/applications/my-game.desktop").find("Exec=my-game\n"), std::string::npos);
    if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
        EXPECT_EQ(run("desktop-file-validate root/usr/share/applications/my-game.desktop", output), 0) << output;
    }
}

// The Windows zip takes the engine from --engine: a stand-in program is enough to see it
// placed, renamed after the game, beside the game and the font.
TEST(Export, WritesAWindowsZipWithTheEngineBesideTheGameAndSaysHowToBuildAMissingEngine) {
    TempGameFolder folder;
    std::string output;
    ASSERT_EQ(run(std::string("'") + SORTIE_NEW_PROGRAM + "' Starter", output), 0) << output;
    fs::create_directories("engine");
    ASSERT_TRUE(writeText("engine/sortie.exe", "MZ stand-in"));
    EXPECT_EQ(run(kExport + "--windows --engine nowhere Starter out.zip", output), 1);
    EXPECT_NE(output.find("tools/setup.sh windows"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists("out.zip"));

    ASSERT_EQ(run(kExport + "--windows --engine engine Starter starter.zip", output), 0) << output;
    ASSERT_EQ(run("unzip -q starter.zip -d unpacked", output), 0) << output;
    EXPECT_EQ(readWhole("unpacked/starter/starter.exe"), "MZ stand-in");
    EXPECT_EQ(readWhole("unpacked/starter/game/data/advfile.dat"), readWhole("Starter/data/advfile.dat"));
    EXPECT_EQ(readWhole("unpacked/starter/game/bmp/char.bmp"), readWhole("Starter/bmp/char.bmp"));
    EXPECT_GT(fs::file_size("unpacked/starter/unifont.otf"), 1000000u);
    const std::string readme = readWhole("unpacked/starter/README.txt");
    EXPECT_NE(readme.find("Double-click starter.exe to play."), std::string::npos) << readme;
    for (size_t at = readme.find('\n'); at != std::string::npos; at = readme.find('\n', at + 1))
        EXPECT_TRUE(at > 0 && readme[at - 1] == '\r') << "README.txt has a line without Windows' line end";
    // --zip is the web site's; --engine goes with --web and --windows only.
    EXPECT_EQ(run(kExport + "--windows --zip Starter out.zip", output), 2);
    EXPECT_EQ(run(kExport + "--linux --engine engine Starter out.tar.gz", output), 2);
}

TEST(Export, RefusesAGameWithErrorsAndWrongCommandLinesWithoutWritingAnything) {
    TempGameFolder folder;
    std::string output;
    ASSERT_EQ(run(std::string("'") + SORTIE_NEW_PROGRAM + "' broken", output), 0) << output;
    fs::remove("broken/data/advfile.dat");
    EXPECT_EQ(run(kExport + "--linux broken out.tar.gz", output), 1);
    EXPECT_NE(output.find("advfile.dat"), std::string::npos) << output;
    EXPECT_NE(output.find("has errors"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists("out.tar.gz"));

    for (const char* bad : {"broken out.tar.gz", "--linux --deb broken out", "--linux broken", "--linux a b c",
                            "--deb --name Bad_Name broken out.deb", "--linux --zip broken out", "--linux=yes broken out",
                            "--deb Game.d out.deb"}) {
        EXPECT_EQ(run(kExport + bad, output), 2) << bad;
        EXPECT_EQ(linesOf(output).size(), 1u) << bad << ": " << output;
    }
    EXPECT_EQ(run(kExport + "--linux nowhere out.tar.gz", output), 2);
    EXPECT_FALSE(fs::exists("out.tar.gz") || fs::exists("out") || fs::exists("out.deb"));
}

}  // namespace
