#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/data_file.h"
#include "platform/surface.h"
#include "support/build_paths.h"
#include "support/test_files.h"
#include "tools/replay_args.h"

namespace {

bool parse(std::vector<const char*> args, ReplayOptions& options, std::string& error) {
    args.insert(args.begin(), "sortie-replay");
    return parseReplayArgs(static_cast<int>(args.size()), args.data(), options, error);
}

std::string parseError(std::vector<const char*> args) {
    ReplayOptions options;
    std::string error;
    EXPECT_FALSE(parse(args, options, error));
    return error;
}

std::string inputError(const std::string& text) {
    std::vector<ReplayEvent> events;
    std::string error;
    EXPECT_FALSE(parseReplayInput(text, "in.txt", events, error)) << text;
    return error;
}

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

// Runs sortie-replay with `args` from the current folder.
RunResult runReplay(const std::string& args) {
    const std::string command = std::string(SORTIE_REPLAY_PROGRAM) + " " + args + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole("out.txt"), readWhole("err.txt")};
}

TEST(ReplayArgs, ReadsEveryOption) {
    ReplayOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--frames", "30", "--time", "-5", "--input", "in.txt", "--shot", "0=a.bmp", "--shot",
                       "12=b=c.bmp", "--trace", "t.txt", "game"},
                      o, error))
        << error;
    EXPECT_EQ(o.frames, 30);
    EXPECT_EQ(o.startSeconds, -5);
    EXPECT_EQ(o.inputPath, "in.txt");
    EXPECT_EQ(o.tracePath, "t.txt");
    ASSERT_EQ(o.shots.size(), 2u);
    EXPECT_EQ(o.shots[0].frame, 0);
    EXPECT_EQ(o.shots[0].path, "a.bmp");
    EXPECT_EQ(o.shots[1].frame, 12);
    EXPECT_EQ(o.shots[1].path, "b=c.bmp");
    EXPECT_EQ(o.gameDir, "game");

    ASSERT_TRUE(parse({"game"}, o, error));
    EXPECT_EQ(o.frames, -1);
    EXPECT_EQ(o.startSeconds, 0);
    EXPECT_TRUE(o.shots.empty());
    EXPECT_EQ(o.stage, StartStage::None);

    // Shots by their file's ending; the start options as the game reads them.
    ASSERT_TRUE(parse({"--shot", "1=a.png", "--shot", "2=B.BMP", "--script", "data/b.dat", "--stage", "battle", "-3",
                       "--data", "mine", "game"},
                      o, error))
        << error;
    EXPECT_TRUE(o.shots[0].png);
    EXPECT_FALSE(o.shots[1].png);
    EXPECT_EQ(o.scriptPath, "data/b.dat");
    EXPECT_EQ(o.stage, StartStage::Battle);
    EXPECT_EQ(o.stageNumber, -3);
    EXPECT_EQ(o.dataDir, "mine");
    ASSERT_TRUE(parse({"--version"}, o, error));
    EXPECT_TRUE(o.version);

    // --name=value reads as --name value, and -- ends the options.
    ASSERT_TRUE(parse({"--frames=30", "--time=-5", "--shot=1=a.png", "--stage=shoot", "4", "--verify", "--", "-game"},
                      o, error))
        << error;
    EXPECT_EQ(o.frames, 30);
    EXPECT_TRUE(o.timeGiven);
    EXPECT_EQ(o.shots[0].path, "a.png");
    EXPECT_EQ(o.stageNumber, 4);
    EXPECT_TRUE(o.verify);
    EXPECT_EQ(o.gameDir, "-game");
}

TEST(ReplayArgs, RejectsBadArgumentsWithOneLine) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--frames", "3"},
        {"a", "b"},
        {"--speed", "2", "game"},
        {"game", "--frames"},
        {"--frames", "-1", "game"},
        {"--frames", "3x", "game"},
        {"--frames", "", "game"},
        {"--frames", "99999999999999999999", "game"},
        {"--time", "soon", "game"},
        {"--shot", "a.bmp", "game"},
        {"--shot", "x=a.bmp", "game"},
        {"--shot", "-1=a.bmp", "game"},
        {"--shot", "3=", "game"},
        {"--input", "", "game"},
        {"--shot", "1=a.jpg", "game"},
        {"--shot", "1=png", "game"},
        {"--script", "", "game"},
        {"--data", "", "game"},
        {"game", "--data"},
        {"--stage", "battle", "game"},
        {"--stage", "fly", "1", "game"},
        {"--verify=yes", "game"},
        {"--frames=", "game"},
        {"--", "a", "--", "b"},
    };
    for (const auto& args : bad) {
        const std::string error = parseError(args);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    EXPECT_NE(parseError({"--speed", "2", "game"}).find("--speed"), std::string::npos);
    EXPECT_NE(parseError({}).find("game folder"), std::string::npos);
}

TEST(ReplayInput, ReadsEveryEventInFrameOrder) {
    std::vector<ReplayEvent> events;
    std::string error;
    ASSERT_TRUE(parseReplayInput("# a comment\n"
                                 "\n"
                                 "3 key down LEFT   # trailing comment\n"
                                 "1 key up ENTER\n"
                                 "3 mouse move 799 599\n"
                                 "2 mouse down left\n"
                                 "2 mouse up right\n"
                                 "   1\tkey down SPACE\r\n"
                                 "4 mouse move -1 65535\n"
                                 "5 close\n",
                                 "in.txt", events, error))
        << error;
    ASSERT_EQ(events.size(), 8u);
    const std::vector<std::pair<int64_t, uint32_t>> expected = {
        {1, WM_KEYUP},        {1, WM_KEYDOWN},     {2, WM_LBUTTONDOWN}, {2, WM_RBUTTONUP},
        {3, WM_KEYDOWN},      {3, WM_MOUSEMOVE},   {4, WM_MOUSEMOVE},   {5, WM_CLOSE}};
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].frame, expected[i].first) << i;
        EXPECT_EQ(events[i].message.code, expected[i].second) << i;
    }
    EXPECT_EQ(events[0].message.wParam, VK_RETURN);
    EXPECT_EQ(events[1].message.wParam, VK_SPACE);
    EXPECT_EQ(events[4].message.wParam, VK_LEFT);
    EXPECT_EQ(events[5].message.lParam, (599 << 16) | 799);
    EXPECT_EQ(events[6].message.lParam, 0xFFFFFFFFll);
}

TEST(ReplayInput, FrameZeroLinesGiveTheStartAndARecordingItsSummary) {
    std::vector<ReplayEvent> events;
    std::string error;
    ReplayInputStart start;
    ASSERT_TRUE(parseReplayInput("# recorded\n0 script data/b.dat\n0 stage battle -3\n0 clock -1733660000\n"
                                 "1 close\n# the session ended with:\n# frames 0\n# mode 1\n",
                                 "in.txt", events, error, &start))
        << error;
    ASSERT_TRUE(start.clockSeconds.has_value());
    EXPECT_EQ(*start.clockSeconds, -1733660000);
    EXPECT_EQ(start.scriptPath, "data/b.dat");
    EXPECT_EQ(start.stage, StartStage::Battle);
    EXPECT_EQ(start.stageNumber, -3);
    EXPECT_TRUE(start.summaryGiven);
    EXPECT_EQ(start.summary, "frames 0\nmode 1\n");
    EXPECT_EQ(events.size(), 1u);
    ASSERT_TRUE(parseReplayInput("1 close\n# frames 3\n", "in.txt", events, error, &start));
    EXPECT_FALSE(start.clockSeconds.has_value());
    EXPECT_EQ(start.scriptPath, "");
    EXPECT_EQ(start.stage, StartStage::None);
    EXPECT_FALSE(start.summaryGiven);
    for (const char* text : {"0 clock\n", "0 clock x\n", "0 clock 1 2\n", "0 clock 1\n0 clock 2\n", "1 clock 5\n",
                             "0 script\n", "0 script a b\n", "0 script a\n0 script b\n", "0 stage shoot\n",
                             "0 stage walk 1\n", "0 stage shoot 1\n0 stage shoot 2\n", "2 stage shoot 1\n"}) {
        EXPECT_FALSE(parseReplayInput(text, "in.txt", events, error, &start)) << text;
        EXPECT_EQ(error.rfind("in.txt:", 0), 0u) << error;
    }
}

TEST(ReplayInput, NamesTheFileAndLineOfTheFirstBadEvent) {
    EXPECT_EQ(inputError("1 close\n\n3 jump\n"), "in.txt:3: unknown event 'jump'");
    for (const char* line : {"0 close", "-1 close", "x close", "7", "1 key down", "1 key press Z", "1 key down Q",
                             "1 key down z", "1 mouse move 1", "1 mouse move 1 2 3", "1 mouse move 70000 0",
                             "1 mouse move a b", "1 mouse down middle", "1 mouse click left", "1 close now"}) {
        const std::string error = inputError(line);
        EXPECT_EQ(error.rfind("in.txt:1: ", 0), 0u) << line << " -> " << error;
    }
}

TEST(ReplayInput, AnUnreadableFileIsAnError) {
    TempGameFolder folder;
    std::vector<ReplayEvent> events;
    std::string error;
    EXPECT_FALSE(readReplayInput("missing.txt", events, error));
    EXPECT_NE(error.find("missing.txt"), std::string::npos);
    EXPECT_FALSE(readReplayInput("data", events, error));  // a folder
    ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);                // never waited on
    EXPECT_FALSE(readReplayInput("fifo.txt", events, error));
    EXPECT_EQ(error, "cannot read input file fifo.txt: it is not a regular file (a folder, a FIFO or a device)");
    ASSERT_TRUE(writeText("big.txt", "2 close\n"));
    ASSERT_EQ(truncate("big.txt", kReplayInputLimit + 1), 0);
    EXPECT_FALSE(readReplayInput("big.txt", events, error));
    EXPECT_EQ(error, "cannot read input file big.txt: it is larger than 64 MiB");
    ASSERT_TRUE(writeText("in.txt", "2 close\n"));
    ASSERT_TRUE(readReplayInput("in.txt", events, error)) << error;
    EXPECT_EQ(events.size(), 1u);
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories("game/bmp");
        ASSERT_TRUE(writePlainBmp("game/bmp/format.bmp", 800, 600, kWhite));
        ASSERT_TRUE(writePlainBmp("game/bmp/char.bmp", 64, 64, 0x808080));
    }
    TempGameFolder folder;
};

TEST_F(Replay, RunsFramesAndWritesShotTraceAndSummary) {
    const RunResult run = runReplay("--frames 3 --shot 0=a.bmp --trace t.txt game");
    EXPECT_EQ(run.status, 0) << run.err;
    // A folder without scripts plays all the same; the author hears what is missing.
    EXPECT_EQ(run.err,
              "sortie-replay: data/advfile.dat: no such file\nsortie-replay: data/charlist.txt: no such file\n");
    EXPECT_EQ(run.out,
              "frames 3\nmode 1\nstage 0\nscript_counter 0\n"
              "vars 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
              "countdown 0\nresult 0\nentities 0\n");
    EXPECT_EQ(readWhole("t.txt"),
              "1 mci status BGM mode\n2 mci status BGM mode\n3 mci status BGM mode\n"
              "3 mci close SHOTVOX\n3 mci close BGM\n");

    Surface shot;
    ASSERT_TRUE(readBitmapFile("a.bmp", shot));
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    // "Now Loading v7" in 8 x 16 glyphs at the top-left, black on white.
    int dark = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 14 * 8; ++x) dark += (shot.row(y)[x] & 0xFFFFFF) < 0x404040;
    EXPECT_GT(dark, 150);
    EXPECT_EQ(shot.row(0)[14 * 8 + 20], kWhite);
    EXPECT_EQ(shot.row(300)[400], kWhite);
}

// The font: the copy the build places beside the program is found where the system has none;
// with none anywhere, one line says that texts will not show and which package has it. The
// system's fonts are hidden in a mount namespace of the run's own.
TEST_F(Replay, FindsTheFontBesideItselfAndSaysSoWhenThereIsNone) {
    std::filesystem::create_directory("no-fonts");
    const std::string hide = "unshare -m sh -c 'mount --bind no-fonts /usr/share/fonts && ";
    if (std::system((hide + "true' 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "no mount namespace here";
    std::filesystem::copy_file(SORTIE_REPLAY_PROGRAM, "lone-replay");
    for (const std::string& program : {std::string(SORTIE_REPLAY_PROGRAM), std::string("./lone-replay")}) {
        const int status = std::system((hide + program + " --frames 1 --shot 0=a.bmp game' >out.txt 2>err.txt").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << program;
        const bool beside = program != "./lone-replay";
        EXPECT_EQ(readWhole("err.txt").find("sortie-replay: no Unifont font found beside the program, through "
                                            "fontconfig or in /usr/share/fonts: texts will not show (Debian's "
                                            "package fonts-unifont provides it)\n") != std::string::npos,
                  !beside)
            << program << ": " << readWhole("err.txt");
        Surface shot;
        ASSERT_TRUE(readBitmapFile("a.bmp", shot));
        int dark = 0;  // the loading text at the top-left
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 14 * 8; ++x) dark += (shot.row(y)[x] & 0xFFFFFF) < 0x404040;
        EXPECT_EQ(dark > 150, beside) << program;
    }
}

TEST_F(Replay, InputEventsReachTheGameAndCloseEndsIt) {
    ASSERT_TRUE(writeText("in.txt", "1 key down Z\n2 mouse move 10 20\n3 close\n"));
    const RunResult run = runReplay("--frames 10 --input in.txt --shot 2=b.bmp --shot 9=never.bmp --trace t.txt game");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("frames 2\n", 0), 0u) << run.out;
    EXPECT_TRUE(std::filesystem::exists("b.bmp"));
    EXPECT_FALSE(std::filesystem::exists("never.bmp"));
    EXPECT_EQ(readWhole("t.txt"), "1 mci status BGM mode\n2 mci status BGM mode\n2 mci close SHOTVOX\n2 mci close BGM\n");
}

TEST_F(Replay, WithoutFramesItRunsToTheLastFrameOfItsInput) {
    ASSERT_TRUE(writeText("in.txt", "4 key up X\n"));
    EXPECT_EQ(runReplay("--input in.txt game").out.rfind("frames 4\n", 0), 0u);
    EXPECT_EQ(runReplay("game").out.rfind("frames 0\n", 0), 0u);
}

TEST_F(Replay, BadArgumentsAndUnreadableInputExitWith2AndOneLine) {
    ASSERT_TRUE(writeText("bad.txt", "1 fly\n"));
    for (const char* args : {"", "--frames", "--frames x game", "--bogus game", "game extra",
                             "--input missing.txt game", "--input bad.txt game", "--trace no/such/dir/t.txt game",
                             "no-such-folder", "--data game game", "--data game/. game"}) {
        const RunResult run = runReplay(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(run.err.rfind("sortie-replay: ", 0), 0u) << args << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(runReplay("--help").status, 0);
    const RunResult version = runReplay("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("sortie-replay ") + SORTIE_VERSION + "\n");
    EXPECT_EQ(runReplay("--shot 0=a.gif game").status, 2);
    EXPECT_FALSE(std::filesystem::exists("a.gif"));
    // A shot after the last frame could never be written.
    ASSERT_TRUE(writeText("in.txt", "4 key up X\n"));
    for (const char* args : {"--frames 3 --shot 4=a.png game", "--input in.txt --shot 5=a.png game"}) {
        const RunResult run = runReplay(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("after the last frame"), std::string::npos) << run.err;
    }
    // Saved states: a --save without its frame, a --load of no state or of nothing, and a
    // shot before the loaded state's frame.
    ASSERT_EQ(runReplay("--frames 3 --save 3=s.sav game").status, 0);
    for (const char* args : {"--save s.sav game", "--save 9=s.sav --frames 3 game", "--load in.txt game",
                             "--load missing.sav game", "--load s.sav --shot 2=a.png game"}) {
        const RunResult run = runReplay(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(runReplay("--load s.sav --frames 5 --shot 3=a.png game").status, 0);
    // A start script outside the game folder is refused, whatever is there.
    for (const char* args : {"--script /etc/hostname game", "--script ../game/bmp/format.bmp game"})
        EXPECT_EQ(runReplay(args).status, 2) << args;
}

TEST_F(Replay, ShotsArePngOrBmpByTheirName) {
    const RunResult run = runReplay("--frames 1 --shot 1=a.png --shot 1=b.BMP game");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readWhole("a.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    Surface bmp;
    EXPECT_TRUE(readBitmapFile("b.BMP", bmp));
    EXPECT_EQ(bmp.width, 800);
}

}  // namespace
