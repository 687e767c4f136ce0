// The installed program: `cmake --install` into a temporary prefix, the installed sortie
// playing its installed demo from another folder in a real window (Xvfb), writing only to
// the player's folder, and the tree still playing once moved; the desktop's files pass
// their validators and the manual pages render cleanly.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "support/build_paths.h"
#include "support/test_files.h"
#include "support/virtual_display.h"

namespace {

namespace fs = std::filesystem;

// Every file of a tree with its size and time of last change, to tell that nothing in it
// changed.
std::map<std::string, std::string> treeState(const fs::path& root) {
    std::map<std::string, std::string> state;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string what = entry.is_regular_file() ? std::to_string(entry.file_size()) : "folder";
        what += " " + std::to_string(entry.last_write_time().time_since_epoch().count());
        state[fs::relative(entry.path(), root).string()] = what;
    }
    return state;
}

class InstalledTree : public VirtualDisplayTest {
protected:
    void SetUp() override {
        prefix = fs::path(folder.path()) / "prefix";
        const std::string command = std::string("'") + SORTIE_CMAKE_PROGRAM + "' --install '" + SORTIE_BINARY_DIR +
                                    "' --prefix '" + prefix.string() + "' >install.txt 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << readWhole("install.txt");
    }

    // Runs `command` in the shell; its standard output and error, and its exit status.
    int run(const std::string& command, std::string& output) {
        const int status = std::system((command + " >run.txt 2>&1").c_str());
        output = readWhole("run.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempGameFolder folder{"/tmp/sortie-install-XXXXXX"};
    fs::path prefix;
};

TEST_F(InstalledTree, HoldsTheProgramsTheDemoTheFontAndTheDesktopsFilesWithoutTheBuildsPath) {
    for (const char* file : {"bin/sortie", "bin/sortie-replay", "bin/sortie-check", "bin/sortie-new",
                             "bin/sortie-export", "share/sortie/game/data/advfile.dat",
                             "share/sortie/game/bmp/char.bmp", "share/sortie/game/wav/se1.wav",
                             "share/applications/org.sortie.Sortie.desktop",
                             "share/metainfo/org.sortie.Sortie.metainfo.xml",
                             "share/icons/hicolor/16x16/apps/sortie.png", "share/icons/hicolor/256x256/apps/sortie.png",
                             "share/icons/hicolor/512x512/apps/sortie.png", "share/man/man6/sortie.6",
                             "share/man/man1/sortie-export.1"})
        EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;
    EXPECT_FALSE(fs::exists(prefix / "share/sortie/game/.assets-stamp"));
    // The font texts are drawn in, shipped where the programs look first.
    if (fs::exists("/usr/share/fonts/opentype/unifont/unifont.otf")) {
        EXPECT_TRUE(fs::is_regular_file(prefix / "share/sortie/unifont.otf"));
    }
    // Found relative to the program, never by where it was built.
    for (const auto& entry : fs::recursive_directory_iterator(prefix / "share")) {
        if (entry.is_regular_file() && entry.path().extension() != ".wav" && entry.path().extension() != ".bmp") {
            EXPECT_EQ(readWhole(entry.path()).find(SORTIE_BINARY_DIR), std::string::npos) << entry.path();
        }
    }

    // Each program tells the version the project declares.
    std::string output;
    for (const char* program : {"sortie", "sortie-replay", "sortie-check", "sortie-new", "sortie-export"}) {
        EXPECT_EQ(run((prefix / "bin" / program).string() + " --version", output), 0);
        EXPECT_EQ(output, std::string(program) + " " + SORTIE_VERSION_TEXT + "\n");
    }
    for (const char* file : {"share/metainfo/org.sortie.Sortie.metainfo.xml", "share/man/man1/sortie-check.1"})
        EXPECT_NE(readWhole(prefix / file).find(SORTIE_VERSION_TEXT), std::string::npos) << file;
}

TEST_F(InstalledTree, DesktopEntryMetadataAndManualPagesPassTheirValidators) {
    std::string output;
    if (!onPath("desktop-file-validate") || !onPath("appstreamcli") || !onPath("man"))
        GTEST_SKIP() << "desktop-file-validate, appstreamcli and man are needed (Debian packages desktop-file-utils, "
                        "appstream, man-db); ./test.sh installs them";
    EXPECT_EQ(run("desktop-file-validate " + (prefix / "share/applications/org.sortie.Sortie.desktop").string(), output), 0)
        << output;
    EXPECT_EQ(output, "");
    EXPECT_EQ(run("appstreamcli validate --no-net --pedantic " +
                      (prefix / "share/metainfo/org.sortie.Sortie.metainfo.xml").string(),
                  output),
              0)
        << output;
    for (const auto& entry : fs::recursive_directory_iterator(prefix / "share/man")) {
        if (!entry.is_regular_file()) continue;
        EXPECT_EQ(run("{ MANWIDTH=80 man --warnings -l " + entry.path().string() + " >/dev/null; }", output), 0);
        EXPECT_EQ(output, "") << entry.path();
    }
}

TEST_F(InstalledTree, PlaysTheInstalledDemoFromAnotherFolderWritesOnlyThePlayersFolderAndRunsWhenMoved) {
    if (!onPath("Xvfb") || !onPath("xdotool"))
        GTEST_SKIP() << "Xvfb and xdotool are needed (Debian packages xvfb, xdotool); ./test.sh installs them";
    const auto installed = treeState(prefix);
    // Started with no game folder from a folder that holds no game: the installed demo.
    fs::create_directory("elsewhere");
    gameProgram = (prefix / "bin/sortie").string();
    openGameWindow("elsewhere", {}, "1024x768x24");
    if (HasFatalFailure()) return;
    // Title, then the hangar's Armory, then the pulse repeater, which saves the weapons.
    const fs::path games = fs::absolute("elsewhere/user-data/sortie/games");
    for (const auto& [x, y] : {std::pair{400, 300}, std::pair{320, 374}, std::pair{320, 278}}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        xdotool(clickAt(x, y));
    }
    fs::path saved;
    for (int wait = 0; wait < 200 && saved.empty(); ++wait) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(games, ec))
            if (fs::exists(entry.path() / "data/charlist.txt")) saved = entry.path() / "data/charlist.txt";
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(saved.empty()) << "the armory's choice never reached the player's folder";
    EXPECT_EQ(saved.parent_path().parent_path().filename().string().rfind("game-", 0), 0u) << saved;
    closeGameWindow();
    EXPECT_EQ(treeState(prefix), installed) << "playing changed the installed tree";

    // The whole tree moved elsewhere still finds its demo.
    TearDown();
    const fs::path moved = fs::path(folder.path()) / "moved";
    fs::rename(prefix, moved);
    fs::remove_all("fb");
    gameProgram = (moved / "bin/sortie").string();
    openGameWindow("elsewhere", {}, "1024x768x24");
    if (HasFatalFailure()) return;
    closeGameWindow();
}

}  // namespace
