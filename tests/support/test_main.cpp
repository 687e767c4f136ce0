// The main of every test program: each test starts from a clean engine, the reset a new
// game gets, so that no test sees what an earlier one left in the engine's globals, in
// whatever order the tests run.
#include <gtest/gtest.h>

#include "app/main_loop.h"

namespace {

class CleanEngine : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        resetGame();
        platform = nullptr;
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new CleanEngine);
    return RUN_ALL_TESTS();
}
