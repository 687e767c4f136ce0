// The real game on a virtual X display, for end-to-end tests: Xvfb on a free display number,
// the game started from a game folder, and shell commands (xdotool, ImageMagick) run
// against that display. The game's window is watched through Xvfb's frame buffer; it may
// show the picture scaled and centred (full screen, --scale), so positions in the picture
// are mapped to the screen the way the game maps them.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/surface.h"
#include "support/build_paths.h"
#include "support/frame_buffer.h"

// True when `program` can be found on the PATH.
inline bool onPath(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Output of a shell command, trailing newline removed; empty when it fails.
inline std::string capture(const std::string& command) {
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        if (pclose(p) != 0) out.clear();
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// Waits up to `seconds` for a child to end; its wait status, or -1 if it is still running.
inline int waitFor(pid_t child, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

// A test that owns an Xvfb server and a game process; both are killed when it ends.
class VirtualDisplayTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (pid_t* child : {&game, &server}) {
            if (*child > 0) {
                kill(*child, SIGKILL);
                waitpid(*child, nullptr, 0);
                *child = 0;
            }
        }
    }

    // Starts Xvfb (a screen of `screen`: width x height x depth) on a free display number
    // with `extraArgs` added; returns the display as ":N", or empty on failure.
    std::string startServer(const std::vector<std::string>& extraArgs = {}, const std::string& screen = "1024x768x24") {
        int fds[2];
        if (pipe(fds) != 0) return "";
        server = fork();
        if (server == 0) {
            close(fds[0]);
            const int nowhere = open("/dev/null", O_WRONLY);
            dup2(nowhere, STDOUT_FILENO);
            dup2(nowhere, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            std::vector<std::string> args = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp"};
            args.insert(args.end(), extraArgs.begin(), extraArgs.end());
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd readable{fds[0], POLLIN, 0};
        char c;
        while (poll(&readable, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        return number.empty() ? "" : ":" + number;
    }

    // Starts the game in `folder` with `args` on `display`, with a sound driver that plays
    // nowhere, and its user data folder (screenshots) in `folder`/user-data. With `output`
    // (a path from the test's working folder), its standard output goes to that file.
    pid_t startGame(const std::string& display, const std::string& folder, const std::vector<std::string>& args = {},
                    const std::string& output = "") {
        const pid_t child = fork();
        if (child == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (!output.empty()) {
                const int file = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (file < 0 || dup2(file, STDOUT_FILENO) < 0) _exit(126);
            }
            if (chdir(folder.c_str()) != 0) _exit(126);
            setenv("XDG_DATA_HOME", (folder + "/user-data").c_str(), 1);
            std::vector<char*> argv = {const_cast<char*>(gameProgram.c_str())};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(gameProgram.c_str(), argv.data());
            _exit(127);
        }
        return child;
    }

    // Starts Xvfb with a screen of `screen` (width x height x depth) and its frame buffer in
    // ./fb, and the game in `folder` with `args` (and `output`, as startGame takes them);
    // finds the game's window, where it draws its picture, and maps the frame buffer.
    void openGameWindow(const std::string& folder, const std::vector<std::string>& args = {},
                        const std::string& screen = "1024x768x24", const std::string& output = "") {
        namespace fs = std::filesystem;
        ASSERT_TRUE(fs::create_directory("fb"));
        const std::string display = startServer({"-fbdir", fs::absolute("fb").string()}, screen);
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        onDisplay = "DISPLAY=" + display + " ";
        game = startGame(display, fs::absolute(folder).string(), args, output);
        window = capture(onDisplay + "timeout 60 xdotool search --sync --onlyvisible --class ModelApp | head -n 1");
        ASSERT_FALSE(window.empty()) << "no window of class ModelApp appeared";
        readGeometry();
        std::string problem;
        ASSERT_TRUE(frameBuffer.open("fb/Xvfb_screen0", problem)) << problem;
    }

    // Where the window sits on the screen, its size, and where the game draws its picture
    // in it: the largest whole scale that fits, centred.
    void readGeometry() {
        // Lines "X=112", "Y=84", "WIDTH=800", "HEIGHT=600" among others.
        std::istringstream geometry(capture(onDisplay + "xdotool getwindowgeometry --shell " + window));
        for (std::string line; std::getline(geometry, line);) {
            if (line.rfind("X=", 0) == 0) windowLeft = std::stoi(line.substr(2));
            if (line.rfind("Y=", 0) == 0) windowTop = std::stoi(line.substr(2));
            if (line.rfind("WIDTH=", 0) == 0) width = std::stoi(line.substr(6));
            if (line.rfind("HEIGHT=", 0) == 0) height = std::stoi(line.substr(7));
        }
        scale = std::max(1, std::min(width / kScreenWidth, height / kScreenHeight));
        pictureLeft = (width - kScreenWidth * scale) / 2;
        pictureTop = (height - kScreenHeight * scale) / 2;
    }

    // The colour of picture pixel (x, y) as the screen shows it now.
    uint32_t shown(int x, int y) const {
        return frameBuffer.at(windowLeft + pictureLeft + x * scale, windowTop + pictureTop + y * scale);
    }
    // The colour at (x, y) of the window, border included.
    uint32_t shownInWindow(int x, int y) const { return frameBuffer.at(windowLeft + x, windowTop + y); }

    // The picture the window shows now, read from the frame buffer.
    Surface snapshot() const {
        Surface s;
        resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) s.row(y)[x] = shown(x, y);
        return s;
    }

    // How many pixels of the picture change over `ms` milliseconds.
    int changesOver(int ms) const {
        const Surface before = snapshot();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        const Surface after = snapshot();
        int changed = 0;
        for (size_t i = 0; i < before.pixels.size(); ++i) changed += before.pixels[i] != after.pixels[i];
        return changed;
    }

    // Runs xdotool with `args` on the display; with `background` it does not wait for it.
    void xdotool(const std::string& args, bool background = false) {
        const std::string command = onDisplay + "xdotool " + args + (background ? " &" : "");
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }

    // xdotool's words for a left click at picture pixel (x, y) that lasts long enough for a
    // frame to see it.
    std::string clickAt(int x, int y) const {
        return "mousemove --window " + window + " " + std::to_string(pictureLeft + x * scale + scale / 2) + " " +
               std::to_string(pictureTop + y * scale + scale / 2) + " sleep 0.1 mousedown 1 sleep 0.1 mouseup 1";
    }

    // Alt+F4 closes the window, and the game ends with status 0.
    void closeGameWindow() {
        xdotool("windowfocus --sync " + window + " key alt+F4");
        const int status = ::waitFor(game, 60);
        ASSERT_NE(status, -1) << "the game did not end after Alt+F4";
        game = 0;
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    std::string gameProgram = SORTIE_GAME_PROGRAM;  // the game startGame runs
    pid_t server = 0;
    pid_t game = 0;
    // The game's window, once openGameWindow has found it.
    std::string onDisplay;  // "DISPLAY=:N " in front of a shell command
    std::string window;     // the window, as xdotool names it
    int windowLeft = 0;     // where it sits on the screen, and its size
    int windowTop = 0;
    int width = kScreenWidth;
    int height = kScreenHeight;
    int scale = 1;          // where the picture is in the window, and its scale
    int pictureLeft = 0;
    int pictureTop = 0;
    FrameBuffer frameBuffer;
};
