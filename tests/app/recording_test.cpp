// Recording a session: the words of each input event, and a session recorded through the
// main loop (keys the game ignores, a flood past the pump's cap, Alt+F4) that sortie-replay
// plays back to the same end.
#include "app/recording.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/input_file.h"
#include "app/main_loop.h"
#include "app/options.h"
#include "platform/headless_platform.h"
#include "support/build_paths.h"
#include "support/demo_folder.h"
#include "support/test_files.h"

namespace {

std::string words(uint32_t code, uint64_t wParam = 0, int64_t lParam = 0) {
    char text[64] = "";
    return describeInputEvent(Message{code, wParam, lParam}, text, sizeof text) ? text : "(none)";
}

TEST(InputFile, DescribesWhatTheGameReactsToAndNothingElse) {
    EXPECT_EQ(words(WM_KEYDOWN, VK_LEFT), "key down LEFT");
    EXPECT_EQ(words(WM_KEYUP, VK_KEY_Z), "key up Z");
    EXPECT_EQ(words(WM_KEYDOWN, VK_RETURN), "key down ENTER");
    EXPECT_EQ(words(WM_MOUSEMOVE, 0, (599 << 16) | 799), "mouse move 799 599");
    EXPECT_EQ(words(WM_MOUSEMOVE, 0, 0xFFFFFFFFll), "mouse move 65535 65535");
    EXPECT_EQ(words(WM_LBUTTONDOWN, 0, 1234), "mouse down left");
    EXPECT_EQ(words(WM_RBUTTONUP), "mouse up right");
    EXPECT_EQ(words(WM_CLOSE), "close");
    EXPECT_EQ(words(WM_SYSKEYDOWN, VK_F4, kAltContextBit), "close");  // Alt+F4
    EXPECT_EQ(words(WM_KEYDOWN, VK_F4), "(none)");
    EXPECT_EQ(words(WM_SYSKEYDOWN, VK_KEY_Z, kAltContextBit), "(none)");  // Alt+Z is no Z
    EXPECT_EQ(words(WM_KEYDOWN, VK_ESCAPE), "(none)");
    EXPECT_EQ(words(WM_KEYDOWN, 'Q'), "(none)");
    EXPECT_EQ(words(WM_PAINT), "(none)");
}

TEST(Recording, ASessionPlaysBackToTheSameEnd) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, 0xFFFFFF));
    ASSERT_TRUE(writePlainBmp("bmp/char.bmp", 64, 64, 0x808080));
    // A click would pass the picture and set variable 1; the dropped one must not.
    ASSERT_TRUE(writeText("data/advfile.dat", "bmp bmp/format.bmp\nvarset 1 1\nend\n"));
    std::string error;
    EXPECT_FALSE(openRecording("no/such/folder/r.txt", "", error));
    EXPECT_NE(error.find("no/such/folder/r.txt"), std::string::npos);
    ASSERT_TRUE(openRecording("session.txt", "# a test\n", error)) << error;

    HeadlessPlatform hp;
    hp.startSeconds = 42;
    platform = &hp;
    startUp();
    // Frame 1: keys the game ignores (Escape, Alt+Z) around a Z and a move.
    hp.post(WM_KEYDOWN, VK_ESCAPE);
    hp.post(WM_KEYDOWN, VK_KEY_Z);
    hp.post(WM_SYSKEYDOWN, VK_KEY_Z, kAltContextBit);
    hp.post(WM_MOUSEMOVE, 0, (20 << 16) | 10);
    while (!loopPass()) {
    }
    // Frame 2: 127 moves and F1 fill the pump; the click after them is dropped.
    for (int x = 0; x < 127; ++x) hp.post(WM_MOUSEMOVE, 0, x);
    hp.post(WM_KEYDOWN, VK_F1);
    hp.post(WM_LBUTTONDOWN);
    while (!loopPass()) {
    }
    // Before frame 3: Alt+F4.
    hp.post(WM_SYSKEYDOWN, VK_F4, kAltContextBit);
    while (!quitFetched()) loopPass();
    shutDown();
    ASSERT_TRUE(finishRecording());
    platform = nullptr;
    EXPECT_EQ(frameCount, 2);

    std::vector<std::string> expected = {"# a test", "0 clock 42", "1 key down Z", "1 mouse move 10 20"};
    for (int x = 0; x < 127; ++x) expected.push_back("2 mouse move " + std::to_string(x) + " 0");
    expected.push_back("# 2 mouse down left: fetched at the cap of the pump and dropped");
    expected.push_back("3 close");
    expected.push_back("# the session ended with:");
    const std::vector<std::string> summary = {
        "frames 2", "mode 1", "stage 0", "script_counter 1",
        "vars 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "countdown 0", "result 0",
        "entities 0"};
    for (const std::string& line : summary) expected.push_back("# " + line);
    EXPECT_EQ(linesOf(readWhole("session.txt")), expected);

    // Played back: the same frames and the same state, from the same seed.
    const std::string command = std::string(SORTIE_REPLAY_PROGRAM) + " --input session.txt . >out.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(linesOf(readWhole("out.txt")), summary);
}

// A session started as `sortie --stage shoot 1 --script data/practice1.dat --record` would
// start it, played on the demo: its recording carries the start, so the replay needs only
// the input file, and the replay says that it ends as the session did.
TEST(Recording, ARecordingCarriesItsStartAndItsReplaySaysWhetherItEndsTheSame) {
    TempGameFolder folder;
    ASSERT_EQ(copyDemoGame("game"), "");
    const std::string firstScript = readWhole("game/data/advfile.dat");
    GameOptions options;
    options.scriptPath = "data/practice1.dat";
    options.stage = StartStage::Shooting;
    options.stageNumber = 1;
    std::string header, error;
    ASSERT_TRUE(recordingHeader(options, header, error)) << error;
    std::filesystem::current_path("game");
    StartPoint start;
    ASSERT_TRUE(resolveStartPoint(options.scriptPath, options.stage, options.stageNumber, start, error)) << error;
    // Only an earlier recording is replaced; a game's file stays as it is.
    EXPECT_FALSE(openRecording("data/advfile.dat", header.c_str(), error));
    EXPECT_NE(error.find("not an earlier recording"), std::string::npos) << error;
    EXPECT_FALSE(openRecording("data", header.c_str(), error));
    ASSERT_TRUE(openRecording("../session.txt", "# A session of sortie (an older one)\n", error)) << error;
    ASSERT_TRUE(finishRecording());
    ASSERT_TRUE(openRecording("../session.txt", header.c_str(), error)) << error;

    HeadlessPlatform hp;
    hp.startSeconds = 1234;
    platform = &hp;
    startUp(start);
    for (int frame = 1; frame <= 150; ++frame) {
        if (frame == 2) hp.post(WM_KEYDOWN, VK_KEY_Z);
        if (frame == 10) hp.post(WM_KEYDOWN, VK_RIGHT);
        if (frame == 70) hp.post(WM_KEYUP, VK_RIGHT);
        while (!loopPass()) {
        }
    }
    hp.post(WM_CLOSE);
    while (!quitFetched()) loopPass();
    shutDown();
    ASSERT_TRUE(finishRecording());
    platform = nullptr;
    const std::string summary = gameSummary();
    EXPECT_NE(summary.find("mode 3\n"), std::string::npos) << summary;  // still in the shooting stage
    std::filesystem::current_path("..");
    EXPECT_EQ(readWhole("game/data/advfile.dat"), firstScript);
    EXPECT_EQ(readWhole("session.txt").rfind(header, 0), 0u);

    auto replay = [](const std::string& args) {
        const std::string command = std::string(SORTIE_REPLAY_PROGRAM) + " " + args + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(replay("--verify --input session.txt game"), 0) << readWhole("err.txt");
    EXPECT_EQ(readWhole("out.txt"), summary);
    EXPECT_EQ(readWhole("err.txt"), "sortie-replay: the run ends as the recording did\n");
    // Cut short, the run ends otherwise: said, and a failure with --verify only.
    EXPECT_EQ(replay("--frames 20 --input session.txt game"), 0);
    EXPECT_NE(readWhole("err.txt").find("ends unlike the recording"), std::string::npos);
    EXPECT_EQ(replay("--verify --frames 20 --input session.txt game"), 1);
    // The command line's start wins over the recording's.
    EXPECT_EQ(replay("--stage battle 3 --input session.txt game"), 0);
    EXPECT_NE(readWhole("out.txt").find("mode 5\n"), std::string::npos) << readWhole("out.txt");
}

TEST(Recording, AnEndWithoutACloseGetsOne) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, 0xFFFFFF));
    std::string error;
    ASSERT_TRUE(openRecording("session.txt", "", error)) << error;
    HeadlessPlatform hp;
    platform = &hp;
    startUp();
    for (int frame = 0; frame < 5; ++frame) loopPass();
    ASSERT_TRUE(finishRecording());
    platform = nullptr;
    const std::vector<std::string> lines = linesOf(readWhole("session.txt"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0 clock 0");
    EXPECT_EQ(lines[1], "6 close");  // the replay stops where the session stopped
    EXPECT_EQ(lines[3], "# frames 5");
}

}  // namespace
