// The real game on a virtual X display: its window appears with class "ModelApp", 800 x 600
// and an empty title, and closing it with Alt+F4 ends the game with exit status 0.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/test_files.h"

namespace {

bool onPath(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Output of a shell command, trailing newline removed; empty when it fails.
std::string capture(const std::string& command) {
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
int waitFor(pid_t child, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

class RealWindow : public ::testing::Test {
protected:
    void TearDown() override {
        for (pid_t* child : {&game, &server}) {
            if (*child > 0) {
                kill(*child, SIGKILL);
                waitpid(*child, nullptr, 0);
            }
        }
    }

    // Starts Xvfb on a free display number; returns it as ":N", or empty on failure.
    std::string startServer() {
        int fds[2];
        if (pipe(fds) != 0) return "";
        server = fork();
        if (server == 0) {
            close(fds[0]);
            const int nowhere = open("/dev/null", O_WRONLY);
            dup2(nowhere, STDOUT_FILENO);
            dup2(nowhere, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
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

    pid_t startGame(const std::string& display, const std::string& folder) {
        const pid_t child = fork();
        if (child == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (chdir(folder.c_str()) != 0) _exit(126);
            execl(SORTIE_GAME_PROGRAM, SORTIE_GAME_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        return child;
    }

    pid_t server = 0;
    pid_t game = 0;
};

TEST_F(RealWindow, OpensUnderAVirtualDisplayAndExitsCleanlyWhenClosed) {
    if (!onPath("Xvfb") || !onPath("xdotool"))
        GTEST_SKIP() << "Xvfb and xdotool are needed to open the real window (Debian packages xvfb, xdotool)";
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, 0xFFFFFF));
    ASSERT_TRUE(writePlainBmp("bmp/char.bmp", 64, 64, 0x000000));

    const std::string display = startServer();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    game = startGame(display, folder.path());
    const std::string x = "DISPLAY=" + display + " ";

    const std::string window = capture(x + "timeout 30 xdotool search --sync --onlyvisible --class ModelApp | head -n 1");
    ASSERT_FALSE(window.empty()) << "no window of class ModelApp appeared";
    EXPECT_NE(capture(x + "xdotool getwindowgeometry " + window).find("Geometry: 800x600"), std::string::npos);
    EXPECT_EQ(capture(x + "xdotool getwindowname " + window), "");

    ASSERT_EQ(std::system((x + "xdotool windowfocus --sync " + window + " key alt+F4").c_str()), 0);
    const int status = waitFor(game, 30);
    ASSERT_NE(status, -1) << "the game did not end after Alt+F4";
    game = 0;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
