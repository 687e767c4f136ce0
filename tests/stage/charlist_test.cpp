#include "stage/charlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "game_folder.h"
#include "platform/player_folder.h"
#include "stage/world.h"

namespace {

const std::string kHeader = "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN\n";
const char kFile[] = "data/charlist.txt";

const char kCopy[] = "player/data/charlist.txt";  // the player's copy, where saves go

void loadText(const std::string& text) {
    writeText(kFile, text);
    loadCharList();
}

// The player's folder `player` inside the game folder for one test; none again after it.
struct PlayerFolderHere {
    PlayerFolderHere() { setPlayerFolder("player"); }
    ~PlayerFolderHere() { setPlayerFolder(""); }
};

}  // namespace

TEST(CharList, LoadsFieldsAndResetsRecordState) {
    GameFolder folder;
    loadText(kHeader +
             "005,001,002,003,004,005,006,-01,008,009,010,011,012,013,200,-05,001,030\n"
             "6,1,2\n"
             "200,1,2\n"
             "7\n"
             "\n");
    const CharTemplate& t = CharTable[5];
    EXPECT_EQ(t.inUse, 1);
    EXPECT_EQ(t.LEF, 1);
    EXPECT_EQ(t.SP, -1);
    EXPECT_EQ(t.WEP[0], 9);
    EXPECT_EQ(t.BLA[0], 10);
    EXPECT_EQ(t.TYP, 11);
    EXPECT_EQ(t.SE, 12);
    EXPECT_EQ(t.DEA, 13);
    EXPECT_EQ(t.TAX, -56);  // low 8 bits, sign-extended
    EXPECT_EQ(t.TAY, -5);
    EXPECT_EQ(t.GRA, 1);
    EXPECT_EQ(t.LEN[0], 30);
    EXPECT_EQ(t.goalX, kNoTarget);

    EXPECT_EQ(CharTable[6].inUse, 1);  // three fields: the rest stays 0
    EXPECT_EQ(CharTable[6].TOP, 2);
    EXPECT_EQ(CharTable[6].WID, 0);
    EXPECT_EQ(CharTable[7].inUse, 0);  // no separator
    int loaded = 0;
    for (const CharTemplate& row : CharTable) loaded += row.inUse;
    EXPECT_EQ(loaded, 2);  // the header, 200 and the blank line add nothing
}

TEST(CharList, FurtherLinesFillWeaponSlots) {
    GameFolder folder;
    std::string text;
    for (int line = 1; line <= 5; ++line) {
        text += "3,0,0,0,0," + std::to_string(line * 10) + ",0,0,0," + std::to_string(line) + "," +
                std::to_string(line * 100) + ",0,0,0,0,0,0," + std::to_string(line + 50) + "\n";
    }
    text += "4,0,0,0,0,1,0,0,0,0,7\n4,0,0,0,0,2,0,0,0,6,8\n";
    loadText(text);

    const CharTemplate& t = CharTable[3];
    EXPECT_EQ(t.WEP[0], 1);
    EXPECT_EQ(t.WEP[1], 2);
    EXPECT_EQ(t.WEP[2], 3);
    EXPECT_EQ(t.WEP[3], 5);  // line 4's slot 3 was overwritten by line 5
    EXPECT_EQ(t.BLA[3], 500);
    EXPECT_EQ(t.LEN[3], 55);
    EXPECT_EQ(t.LEN[2], 53);
    EXPECT_EQ(t.HP, 50);  // the last line decides the shared columns

    // A first line without a weapon leaves slot 0 free for the next line.
    EXPECT_EQ(CharTable[4].WEP[0], 6);
    EXPECT_EQ(CharTable[4].BLA[0], 8);
    EXPECT_EQ(CharTable[4].WEP[1], 0);
    EXPECT_EQ(CharTable[4].HP, 2);
}

TEST(CharList, MissingFileLeavesTableEmpty) {
    GameFolder folder;
    CharTable[9].inUse = 1;
    loadCharList();
    const CharTemplate empty{};
    EXPECT_EQ(std::memcmp(&CharTable[9], &empty, sizeof empty), 0);
}

TEST(CharList, LastLineWithoutLineEndAndLongLineAreRead) {
    GameFolder folder;
    // 200 characters: the long field would be cut in two by a 160-byte line buffer.
    const std::string longLine = "8,1," + std::string(190, '0') + "42,3,4";
    ASSERT_EQ(longLine.size(), 200u);
    loadText(longLine + "\r\n9,5,6");
    EXPECT_EQ(CharTable[8].TOP, 42);
    EXPECT_EQ(CharTable[8].HEI, 4);
    EXPECT_EQ(CharTable[9].inUse, 1);
    EXPECT_EQ(CharTable[9].TOP, 6);
    EXPECT_EQ(CharTable[42].inUse, 0);  // no second half parsed as a line of its own
}

TEST(CharList, SaveThenLoadGivesTheSameFile) {
    GameFolder folder;
    PlayerFolderHere player;
    const std::string text = kHeader +
                             "000,000,000,032,032,010,001,004,016,002,008,000,000,000,032,000,000,000\n"
                             "000,000,000,032,032,010,001,004,016,005,030,000,000,000,032,000,000,300\n"
                             "002,064,000,032,032,003,001,-01,030,004,060,000,005,007,-56,127,001,-99\n"
                             "004,000,032,008,008,000,001,999,008,000,000,001,000,000,000,000,000,000\n" +
                             kHeader;
    loadText(text);
    CharTemplate before[kTemplateCount];
    std::memcpy(before, CharTable, sizeof before);

    saveCharList();
    EXPECT_EQ(readText(kCopy), text);  // HP 0 rows are loaded rows and stay in the file
    EXPECT_EQ(readText(kFile), text);
    EXPECT_FALSE(std::filesystem::exists("player/data/charlist.txt.tmp"));
    std::memset(CharTable, 0, sizeof CharTable);
    loadCharList();
    EXPECT_EQ(std::memcmp(before, CharTable, sizeof before), 0);
}

TEST(CharList, WeaponChangeRewritesFileByteForByte) {
    GameFolder folder;
    PlayerFolderHere player;
    loadText("/player\n"
             "0,0,0,32,32,10,1,4,16,2,8,0,0,0,32,0,0,0\n"
             "1 32 0 8 8 1 1 8 8 0 0 1 3 0 0 0 0 0\n"
             "2,64,0,32,32,3,1,-1,30,4,60,0,5,7,200,0,1,0\n");
    CharTable[0].WEP[1] = 3;  // what the script's `weapon 1 3 10 20` does before saving
    CharTable[0].BLA[1] = 10;
    CharTable[0].LEN[1] = 20;
    saveCharList();
    EXPECT_EQ(readText(kCopy),
              kHeader +
                  "000,000,000,032,032,010,001,004,016,002,008,000,000,000,032,000,000,000\n"
                  "000,000,000,032,032,010,001,004,016,003,010,000,000,000,032,000,000,020\n"
                  "001,032,000,008,008,001,001,008,008,000,000,001,003,000,000,000,000,000\n"
                  "002,064,000,032,032,003,001,-01,030,004,060,000,005,007,-56,000,001,000\n" +
                  kHeader);
}

TEST(CharList, WideValuesAreWrittenInFull) {
    GameFolder folder;
    PlayerFolderHere player;
    loadText("1,1234,-150,-5,42,1,0,0,0,0,0,0,0,0,0,0,0,-100000\n");
    saveCharList();
    EXPECT_EQ(readText(kCopy), kHeader +
                                   "001,1234,-150,-05,042,001,000,000,000,000,000,000,000,000,000,000,000,-100000\n" +
                                   kHeader);
    loadCharList();
    EXPECT_EQ(CharTable[1].LEF, 1234);
    EXPECT_EQ(CharTable[1].TOP, -150);
    EXPECT_EQ(CharTable[1].LEN[0], -100000);
}

TEST(CharList, AFailedSaveLeavesTheOldCopyAndSaysWhereItFailed) {
    GameFolder folder;
    PlayerFolderHere player;
    loadText("0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n");
    saveCharList();
    const std::string saved = readText(kCopy);
    std::filesystem::create_directory("player/data/charlist.txt.tmp");  // the new file cannot be made
    CharTable[0].HP = 99;
    ::testing::internal::CaptureStderr();
    saveCharList();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "sortie: the character list was not saved: cannot create player/data/charlist.txt.tmp (Is a "
              "directory); the game goes on, and the change lasts until it ends\n");
    EXPECT_EQ(readText(kCopy), saved);
}

// (The whole round, the next run reading the copy included, is played in the armory
// playthrough.) Each copy set aside keeps a name of its own: none is ever overwritten.
TEST(CharList, EveryCopySetAsideKeepsANameOfItsOwn) {
    GameFolder folder;
    PlayerFolderHere player;
    const std::string game = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n";
    loadText(game);
    for (int n = 1; n <= 2; ++n) {
        CharTable[0].HP = 70 + n;
        saveCharList();
        const std::string before = readText(kCopy);
        writeText(kFile, game + std::string(n, '/'));  // the author changes the list
        ::testing::internal::CaptureStderr();
        loadCharList();
        const std::string aside = "player/data/charlist-set-aside-" + std::to_string(n) + ".txt";
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "sortie: the player's character list player/data/charlist.txt was saved from another version of "
                  "the game's list; it is set aside as " + aside + " and the game's own list is used\n");
        EXPECT_EQ(readText(aside), before);
        EXPECT_EQ(CharTable[0].HP, 5);
    }
}

TEST(CharList, WithoutAPlayersFolderOrWithTheGameFolderAsOneTheGameListIsReadAndNothingWritten) {
    GameFolder folder;
    const std::string text = "/ kept as written\n0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n";
    loadText(text);
    CharTable[0].HP = 99;
    saveCharList();
    EXPECT_EQ(readText(kFile), text);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("data"), std::filesystem::directory_iterator()), 1);

    // A player's folder that is the game folder itself: the author's list is the game's,
    // never set aside or overwritten.
    setPlayerFolder(".");
    ::testing::internal::CaptureStderr();
    loadCharList();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("is the game's own list"), std::string::npos);
    EXPECT_EQ(CharTable[0].HP, 5);
    CharTable[0].HP = 99;
    saveCharList();
    setPlayerFolder("");
    EXPECT_EQ(readText(kFile), text);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("data"), std::filesystem::directory_iterator()), 1);
}
