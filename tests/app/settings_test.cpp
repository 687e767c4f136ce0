#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/player_folder.h"
#include "support/test_files.h"

namespace {

// The player's folder `player` in a fresh folder for one test; none again after it.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { setPlayerFolder("player"); }
    void TearDown() override {
        setPlayerFolder("");
        loadSettings();
    }
    TempGameFolder folder;
};

TEST(Settings, TheFileReadsBackAndWhatItDoesNotKnowIsIgnored) {
    const PlayerSettings chosen{true, 3, true};
    const PlayerSettings read = parseSettings(settingsText(chosen));
    EXPECT_TRUE(read.fullScreen);
    EXPECT_EQ(read.scale, 3);
    EXPECT_TRUE(read.muted);
    EXPECT_EQ(settingsText(PlayerSettings{}), "fullscreen 0\nmute 0\n");  // no scale chosen yet

    // Bad values and unknown lines keep the defaults; the last good line of a name wins.
    const PlayerSettings odd =
        parseSettings("# mine\nfullscreen yes\nscale 9\nscale 0\nmute 1 1\nvolume 3\n\nscale 2\r\nmute 1");
    EXPECT_FALSE(odd.fullScreen);
    EXPECT_EQ(odd.scale, 2);
    EXPECT_TRUE(odd.muted);
}

TEST_F(SettingsFile, ChangesAreSavedInThePlayersFolderAndLoadedAtTheNextStart) {
    loadSettings();  // no file yet: the defaults, and nothing written
    EXPECT_EQ(settingsText(Settings), settingsText(PlayerSettings{}));
    saveSettings();
    EXPECT_FALSE(std::filesystem::exists("player/settings.txt"));

    rememberScale(2);
    rememberFullScreen(true);
    rememberMuted(true);
    EXPECT_EQ(readWhole("player/settings.txt"), "fullscreen 1\nscale 2\nmute 1\n");
    Settings = PlayerSettings{};
    loadSettings();
    EXPECT_EQ(settingsText(Settings), "fullscreen 1\nscale 2\nmute 1\n");

    // A file written by hand stays as it is until a setting changes.
    ASSERT_TRUE(writeText("player/settings.txt", "# by hand\nmute 1\n"));
    loadSettings();
    rememberMuted(true);
    EXPECT_EQ(readWhole("player/settings.txt"), "# by hand\nmute 1\n");
    rememberMuted(false);
    EXPECT_EQ(readWhole("player/settings.txt"), "fullscreen 0\nmute 0\n");
}

TEST_F(SettingsFile, ASaveThatCannotBeWrittenSaysWhereAndChangesNothing) {
    ASSERT_TRUE(writeText("player", "a file where the folder should be"));
    loadSettings();
    ::testing::internal::CaptureStderr();
    rememberMuted(true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "sortie: the settings were not saved: cannot make the folder player (Not a directory)\n");
    EXPECT_TRUE(Settings.muted);  // the game goes on with it
    EXPECT_EQ(readWhole("player"), "a file where the folder should be");
}

}  // namespace
