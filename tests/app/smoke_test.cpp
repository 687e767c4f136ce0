#include <gtest/gtest.h>

#include "platform/random.h"

TEST(Random, ClassicFormula) {
    seedRandom(1);
    EXPECT_EQ(randomNext(), 41);
    EXPECT_EQ(randomNext(), 18467);
}
