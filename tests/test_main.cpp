// The main of every test program: each test starts from a clean engine, the reset a new
// game gets, in the process as it started (its environment and its working folder), so
// that no test sees what an earlier one left behind, in whatever order the tests run.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_loop.h"

extern char** environ;

namespace {

class CleanStart : public testing::EmptyTestEventListener {
public:
    CleanStart() : folder_(std::filesystem::current_path()) {
        for (char** entry = environ; *entry; ++entry) environment_.emplace_back(*entry);
    }

private:
    void OnTestStart(const testing::TestInfo&) override {
        resetGame();
        platform = nullptr;
        // A test that set SDL_VIDEODRIVER would keep every later game window off the screen.
        clearenv();
        for (std::string& entry : environment_) putenv(entry.data());
        std::error_code ignored;
        std::filesystem::current_path(folder_, ignored);
    }

    std::filesystem::path folder_;
    std::vector<std::string> environment_;  // putenv keeps pointers into these strings
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new CleanStart);
    return RUN_ALL_TESTS();
}
