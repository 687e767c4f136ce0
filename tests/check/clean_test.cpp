#include "tests/check/check_fixture.h"

TEST_F(CheckTest, CleanGameHasNothingToReport) {
    cleanGame();
    const std::vector<std::string> lines = report();
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    EXPECT_EQ(all, "0 errors, 0 warnings\n");
}
