#include <cstring>

#include "script/buttons.h"
#include "script/presentation.h"
#include "script/script_file.h"
#include "script_fixture.h"

namespace {

std::vector<std::string> rows() {
    std::vector<std::string> out;
    for (int r = 0; r < kScriptRows && ScriptTable[r][0] != '\0'; ++r) out.emplace_back(ScriptTable[r]);
    return out;
}

bool rowsZeroFrom(int first) {
    for (int r = first; r < kScriptRows; ++r)
        for (char c : ScriptTable[r])
            if (c != '\0') return false;
    return true;
}

std::string tokens(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "t" + std::to_string(i) + "\n";
    return text;
}

using Rows = std::vector<std::string>;

}  // namespace

using ScriptFile = ScriptTest;

TEST_F(ScriptFile, SpaceCommaAndBlankLinesSeparateAlike) {
    for (const char* text : {"bmp a.bmp", "bmp,a.bmp\n", "bmp\n\n\n a.bmp\n", "bmp ,, \n,a.bmp,\n\n"}) {
        loadScriptText(text);
        EXPECT_EQ(rows(), (Rows{"bmp", "a.bmp", "end"})) << text;
        EXPECT_TRUE(rowsZeroFrom(3)) << text;
    }
}

TEST_F(ScriptFile, CarriageReturnsJoinAndNeverSeparate) {
    loadScriptText("a\rb\r\nc\r\n\r\r\n\r d");
    EXPECT_EQ(rows(), (Rows{"ab", "c", "d", "end"}));
    loadScriptText("wav x.wav\r\nend\r\n");
    EXPECT_EQ(rows(), (Rows{"wav", "x.wav", "end", "end"}));
}

TEST_F(ScriptFile, TabsAndHighBytesBelongToTheToken) {
    loadScriptText("bmp\tx \xff\xfe\x80 \x01");
    EXPECT_EQ(rows(), (Rows{"bmp\tx", "\xff\xfe\x80", "\x01", "end"}));
}

TEST_F(ScriptFile, EmptyMissingAndUnreadableFilesGiveJustEnd) {
    for (const char* path : {"data/empty.dat", "data/missing.dat", "data", ""}) {
        writeFile("data/empty.dat", "");
        ScriptVars[4] = 9;
        ScriptCounter = 17;
        LoadScript(path);
        EXPECT_EQ(rows(), (Rows{"end"})) << path;
        EXPECT_TRUE(rowsZeroFrom(1)) << path;
        EXPECT_EQ(ScriptVars[4], 0);
        EXPECT_EQ(ScriptCounter, 0);
    }
}

TEST_F(ScriptFile, TheTableHoldsAtMost1024TokensAndEndOnlyInAFreeRow) {
    loadScriptText(tokens(1023));
    EXPECT_STREQ(ScriptTable[1022], "t1022");
    EXPECT_STREQ(ScriptTable[1023], "end");

    loadScriptText(tokens(1023) + "last");  // the last token ends at the end of the file
    EXPECT_STREQ(ScriptTable[1023], "last");

    loadScriptText(tokens(1024));
    EXPECT_STREQ(ScriptTable[1023], "t1023");

    loadScriptText(tokens(1500));
    EXPECT_STREQ(ScriptTable[0], "t0");
    EXPECT_STREQ(ScriptTable[1023], "t1023");
}

TEST_F(ScriptFile, LongTokensAreCutToTheRow) {
    const std::string longToken(200, 'k');
    loadScriptText("a " + longToken + " b");
    EXPECT_EQ(std::strlen(ScriptTable[1]), 159u);
    EXPECT_EQ(std::string(ScriptTable[1]), longToken.substr(0, 159));
    EXPECT_STREQ(ScriptTable[2], "b");
    EXPECT_STREQ(ScriptTable[3], "end");
}

TEST_F(ScriptFile, LoadClearsVariablesAndTextsButKeepsTheRest) {
    loadScriptText("varset 1 5 drawtext 2 30 40 hi buttonset 1 2 L t.dat bmp p.bmp wav2 a.wav");
    frames(6);  // four commands, Arm, the first Show frame
    ASSERT_EQ(ScriptVars[1], 5);
    ASSERT_STREQ(TextSlots[2].text, "hi");
    ASSERT_EQ(ScriptPhase, Phase::Show);
    std::strcpy(LastWav2Name, "a.wav");

    loadScriptText("end");
    EXPECT_EQ(ScriptVars[1], 0);
    EXPECT_EQ(TextSlots[2].text[0], '\0');
    EXPECT_EQ(TextSlots[2].x, 30);
    EXPECT_EQ(TextSlots[2].y, 40);
    EXPECT_EQ(ScriptPhase, Phase::Show);
    EXPECT_EQ(ButtonCount, 1);
    EXPECT_STREQ(ButtonTable[0].target, "t.dat");
    EXPECT_STREQ(PictureName, "p.bmp");
    EXPECT_STREQ(LastWav2Name, "a.wav");
}

TEST_F(ScriptFile, TokenizerReportsTheSourceOfEveryRow) {
    writeFile("data/src.dat", "bmp\r\n  a.bmp,b\n\n" + std::string(200, 'x') + "\nc\rd");
    static char table[kScriptRows][kScriptRowSize];
    static TokenSource sources[kScriptRows];
    std::FILE* f = std::fopen("data/src.dat", "rb");
    ASSERT_NE(f, nullptr);
    const int filled = tokenizeScript(f, table, sources);
    std::fclose(f);
    ASSERT_EQ(filled, 6);
    EXPECT_STREQ(table[4], "cd");
    EXPECT_STREQ(table[5], "end");
    const int32_t lines[] = {1, 2, 2, 4, 5, 5};
    const int32_t lengths[] = {3, 5, 1, 200, 2, 0};
    for (int r = 0; r < filled; ++r) {
        EXPECT_EQ(sources[r].line, lines[r]) << r;
        EXPECT_EQ(sources[r].length, lengths[r]) << r;
    }
}

TEST_F(ScriptFile, AFullTableLeavesTheFileAfterItsLastToken) {
    writeFile("data/big.dat", tokens(1024) + "more");
    static char table[kScriptRows][kScriptRowSize];
    std::FILE* f = std::fopen("data/big.dat", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(tokenizeScript(f, table, nullptr), kScriptRows);
    char rest[8] = {};
    EXPECT_EQ(std::fread(rest, 1, sizeof rest - 1, f), 4u);
    EXPECT_STREQ(rest, "more");
    std::fclose(f);
}
