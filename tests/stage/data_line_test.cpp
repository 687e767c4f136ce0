#include "stage/data_line.h"

#include <gtest/gtest.h>

#include <string>

#include "game_folder.h"

namespace {

DataLine split(const char* text) {
    DataLine line;
    tokenizeLine(text, line);
    return line;
}

}  // namespace

TEST(DataLine, SeparatorsMinusAndStrayCharacters) {
    DataLine line = split("5-3,1, 2");
    ASSERT_TRUE(line.hasSeparator);
    EXPECT_EQ(line.fieldCount, 4);  // ", " is two separators with an empty field between
    EXPECT_EQ(line.value[0], -53);
    EXPECT_EQ(line.value[1], 1);
    EXPECT_EQ(line.value[2], 0);
    EXPECT_EQ(line.value[3], 2);
    EXPECT_EQ(line.value[4], 0);

    line = split("7,1a,\t2,+3,4-");
    EXPECT_EQ(line.value[1], 10 + ('a' - 48));
    EXPECT_EQ(line.value[2], ('\t' - 48) * 10 + 2);
    EXPECT_EQ(line.value[3], ('+' - 48) * 10 + 3);
    EXPECT_EQ(line.value[4], -4);  // the minus counts wherever it stands
    EXPECT_EQ(line.strayFields, 0b1110u);

    // A byte above 127 is a negative character code.
    EXPECT_EQ(split("1,\xC8").value[1], -56 - 48);
}

TEST(DataLine, LineEndsAndIgnoredLines) {
    EXPECT_FALSE(split("").hasSeparator);
    EXPECT_FALSE(split("53").hasSeparator);
    EXPECT_FALSE(split("/53,1,2").hasSeparator);
    EXPECT_FALSE(split("53/,1").hasSeparator);

    DataLine line = split("54,1,2/ 3,4");
    EXPECT_EQ(line.fieldCount, 3);
    EXPECT_EQ(line.value[2], 2);
    EXPECT_EQ(line.value[3], 0);
    EXPECT_EQ(line.endColumn, 6);
    EXPECT_EQ(line.length, 11);

    line = split(" 9");  // a leading separator leaves field 0 empty
    EXPECT_TRUE(line.hasSeparator);
    EXPECT_EQ(line.value[0], 0);
    EXPECT_EQ(line.value[1], 9);
}

TEST(DataLine, ColumnsAndFieldCountForChecking) {
    DataLine line = split("53, 12,x7");
    EXPECT_EQ(line.fieldCount, 4);
    EXPECT_EQ(line.column[0], 0);
    EXPECT_EQ(line.column[1], 3);
    EXPECT_EQ(line.column[2], 4);
    EXPECT_EQ(line.column[3], 7);
    EXPECT_EQ(line.strayFields, 0b1000u);

    std::string many = "1";
    for (int i = 1; i < 40; ++i) many += "," + std::to_string(i + 1);
    line = split(many.c_str());
    EXPECT_EQ(line.fieldCount, 40);  // all counted, the first 32 kept
    EXPECT_EQ(line.value[31], 32);
}

TEST(DataLine, ValuesWrapWithoutOverflow) {
    // 2^32 + 7 wraps to 7; negating the smallest value gives itself.
    EXPECT_EQ(split("4294967303,").value[0], 7);
    EXPECT_EQ(split("-2147483648,").value[0], INT32_MIN);
    EXPECT_EQ(split("9999999999,").value[0], static_cast<int32_t>(9999999999 % 4294967296));
}

TEST(DataLine, ReaderTakesLastLineLongLinesAndCarriageReturns) {
    GameFolder folder;
    const std::string longField = std::string(190, '0') + "64";
    writeText("lines.txt", "1,2\r\n" + std::string("7,\r1\n") + "3," + longField + ",5\n\n" + "9,8");
    std::FILE* file = std::fopen("lines.txt", "r");
    ASSERT_NE(file, nullptr);
    DataLine line;

    ASSERT_TRUE(readDataLine(file, line));  // CR LF is a line end
    EXPECT_EQ(line.value[1], 2);
    EXPECT_EQ(line.length, 3);

    ASSERT_TRUE(readDataLine(file, line));  // a CR elsewhere is an ordinary character
    EXPECT_EQ(line.value[1], ('\r' - 48) * 10 + 1);

    ASSERT_TRUE(readDataLine(file, line));  // 196 characters, one line
    EXPECT_EQ(line.length, 196);
    EXPECT_EQ(line.value[1], 64);
    EXPECT_EQ(line.value[2], 5);
    EXPECT_EQ(std::string(line.text), ("3," + longField).substr(0, kLineTextSize - 1));

    ASSERT_TRUE(readDataLine(file, line));
    EXPECT_FALSE(line.hasSeparator);

    ASSERT_TRUE(readDataLine(file, line));  // the last line has no line end
    EXPECT_EQ(line.value[0], 9);
    EXPECT_EQ(line.value[1], 8);

    EXPECT_FALSE(readDataLine(file, line));
    std::fclose(file);
}
