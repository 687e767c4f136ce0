// The checker on the character list: the form of each line, and the rows that the stages
// reached by the scripts spawn.
#include "tests/check/check_fixture.h"

namespace {

// The clean list with row `number`'s line replaced.
std::string withRow(const char* number, const std::string& line) {
    std::string list = kCleanCharList;
    const size_t at = list.find(std::string("\n") + number + ",") + 1;
    const size_t end = list.find('\n', at);
    return list.substr(0, at) + line + list.substr(end);
}

}  // namespace

TEST_F(CheckTest, MissingStartUpFilesAreErrors) {
    cleanGame();
    remove("bmp/format.bmp");
    remove("bmp/char.bmp");
    remove("data/charlist.txt");
    remove("data/advfile.dat");
    EXPECT_REPORTS("bmp/format.bmp:0: error: start-up picture is missing");
    EXPECT_REPORTS("bmp/char.bmp:0: error: start-up picture is missing");
    EXPECT_REPORTS("data/charlist.txt:0: error: the character list is missing");
    EXPECT_REPORTS("data/advfile.dat:0: error: the first script is missing");
    EXPECT_SUMMARY("4 errors, 0 warnings");
}

TEST_F(CheckTest, ListWithoutRowZeroIsAnError) {
    cleanGame();
    write("data/advfile.dat", "end\n");
    write("data/charlist.txt", "005,000,100,032,032,003,001,002,016,000,000,000,000,000,000,000,000,000\n");
    EXPECT_REPORTS("data/charlist.txt:0: error: no row 0: the player's template is never loaded");
}

TEST_F(CheckTest, IgnoredLinesThatLookLikeDataAreWarnings) {
    cleanGame();
    write("data/charlist.txt", std::string(kCleanCharList) +
                                   "7\n"
                                   "7\t1\t2\n"
                                   "200,1,2\n"
                                   "/007,000,000\n"
                                   "// a comment\n"
                                   "\n");
    EXPECT_REPORTS("data/charlist.txt:7: warning: no separator (comma or space) before the end of the line: it is "
                   "ignored");
    EXPECT_REPORTS("data/charlist.txt:8: warning: no separator (comma or space) before the end of the line: it is "
                   "ignored (a tab is not a separator)");
    EXPECT_REPORTS("data/charlist.txt:9: warning: template number 200 is outside 0 to 127: the line is ignored");
    EXPECT_REPORTS("data/charlist.txt:10: warning: comment line looks like data: it is ignored");
    EXPECT_SUMMARY("0 errors, 4 warnings");
}

TEST_F(CheckTest, FieldsThatReadOtherwiseThanWrittenAreWarnings) {
    cleanGame();
    write("data/charlist.txt",
          std::string(kCleanCharList) +
              "007,0a0,000,032,032,001,000,000,000,000,000,005,000,000,000,000,000,000\n"
              "008,000,5-3,032,032,001,000,000,000,000,000,005,000,000,000,000,000,000\n"
              "009,000,000,032,032,001,000,000,000,000,000,005,000,000,000,000,000,000,001\n"
              "010,000,000,032,032,001,000,000,000,000,000,005,000,000,200,-129,000,000\n"
              "011, 000,000,032,032,001,000,000,000,000,000,005,000,000,000,000,000\n"
              " 012,000,000,032,032,001,000,000,000,000,000,005,000,000,000,000,000,000\n"
              "013,000,000,032,032,001,000,000,000,000,000,005,000,000,000,000,000,000,\n");
    EXPECT_REPORTS("data/charlist.txt:7: warning: LEF \"0a0\" has characters other than digits and \"-\": it reads as "
                   "490");
    EXPECT_REPORTS("data/charlist.txt:8: warning: TOP \"5-3\" has a \"-\" after its first character: the whole number "
                   "reads as -53");
    EXPECT_REPORTS("data/charlist.txt:9: warning: 19 fields: those after the 18th are ignored");
    EXPECT_REPORTS("data/charlist.txt:10: warning: TAX 200 is outside -128 to 127: it is stored as -56");
    EXPECT_REPORTS("data/charlist.txt:10: warning: TAY -129 is outside -128 to 127: it is stored as 127");
    EXPECT_REPORTS("data/charlist.txt:11: warning: empty field between two separators (as in \", \"): it reads as 0 "
                   "and moves every field after it one column on");
    EXPECT_REPORTS("data/charlist.txt:12: warning: the line begins with a separator, so its number reads as 0: it is "
                   "read into the player's row");
    // Line 12 now is the player's row, shifted by one column: SE 5 and SIZ 0.
    EXPECT_REPORTS("data/charlist.txt:12: error: SIZ 0: template 0 steers in the battle stage, turning by 1/SIZ a "
                   "frame, so SIZ must be above 0");
    // A separator at the end of line 13 adds nothing.
    EXPECT_SUMMARY("2 errors, 8 warnings");
}

TEST_F(CheckTest, TemplateColumnsOutsideTheTableAreErrors) {
    cleanGame();
    write("data/charlist.txt",
          std::string(kCleanCharList) +
              "007,000,000,032,032,001,000,000,000,200,000,005,000,128,000,000,000,000\n"
              "008,000,000,032,032,001,000,000,000,300,000,005,000,-1,000,000,000,000\n");
    EXPECT_REPORTS("data/charlist.txt:7: error: WEP 200 is not a template number 0 to 127 (the game keeps its low "
                   "byte, -56)");
    EXPECT_REPORTS("data/charlist.txt:7: error: DEA 128 is not a template number 0 to 127 (the game keeps its low "
                   "byte, -128)");
    EXPECT_REPORTS("data/charlist.txt:8: error: WEP 300 is not a template number 0 to 127 (the game keeps its low "
                   "byte, 44)");
    EXPECT_REPORTS("data/charlist.txt:8: error: DEA -1 is not a template number 0 to 127");
    EXPECT_SUMMARY("4 errors, 0 warnings");
}

TEST_F(CheckTest, RowsNamedButNeverLoadedAreErrorsWhereTheyAreNamed) {
    cleanGame();
    // Row 5 fires row 9 with its second weapon (its second line) and leaves row 7.
    std::string list = withRow("005", "005,000,100,032,032,003,001,002,016,002,000,000,000,007,000,000,000,000");
    list += "005,000,100,032,032,003,001,002,016,009,000,000,000,007,000,000,000,000\n";
    write("data/charlist.txt", list);
    EXPECT_REPORTS("data/charlist.txt:7: error: WEP 9 names a template row that the character list never loads");
    EXPECT_REPORTS("data/charlist.txt:7: error: DEA 7 names a template row that the character list never loads");
    EXPECT_SUMMARY("2 errors, 0 warnings");
}

TEST_F(CheckTest, TrailMarkRowIsNeededByBattleStagesWithKindZeroUnits) {
    cleanGame();
    std::string list = kCleanCharList;
    list = list.substr(0, list.find("063,"));
    write("data/charlist.txt", list);
    EXPECT_REPORTS("data/charlist.txt:2: error: units of kind 0 leave trail marks from template 63 in the battle "
                   "stage, but the character list never loads row 63");
    EXPECT_REPORTS("data/charlist.txt:4: error: units of kind 0 leave trail marks from template 63 in the battle "
                   "stage, but the character list never loads row 63");
    EXPECT_SUMMARY("2 errors, 0 warnings");
    // A shooting stage leaves no trail marks.
    write("data/advfile.dat", "shoot 1\nend\n");
    EXPECT_SUMMARY("0 errors, 0 warnings");
}

TEST_F(CheckTest, SpawnSoundOfEveryTemplateAStageSpawns) {
    cleanGame();
    remove("wav/se1.wav");
    // Row 2 is the shot of the player and of row 5; row 8, spawned by nothing, names a sound
    // that is missing too.
    write("data/charlist.txt",
          std::string(kCleanCharList) + "008,000,000,032,032,001,000,000,000,000,000,005,009,000,000,000,000,000\n");
    EXPECT_REPORTS("data/charlist.txt:3: error: spawn sound \"./wav/se1.wav\" of template 2 does not exist");
    EXPECT_SUMMARY("1 errors, 0 warnings");
    // Remains and trail marks are spawned too: row 6 (remains of row 5) and row 63.
    write("data/charlist.txt",
          withRow("006", "006,000,200,032,032,001,000,000,000,000,000,005,003,000,000,000,000,000") +
              "063,000,300,016,016,001,000,000,000,000,000,005,004,000,000,000,000,000\n");
    EXPECT_REPORTS("data/charlist.txt:5: error: spawn sound \"./wav/se3.wav\" of template 6 does not exist");
    EXPECT_REPORTS("data/charlist.txt:7: error: spawn sound \"./wav/se4.wav\" of template 63 does not exist");
    // SE is a signed byte in the file name.
    write("data/charlist.txt",
          withRow("002", "002,000,040,008,008,001,001,008,004,000,000,001,200,000,000,000,000,000"));
    EXPECT_REPORTS("data/charlist.txt:3: error: spawn sound \"./wav/se-56.wav\" of template 2 does not exist");
}

TEST_F(CheckTest, SpriteRectanglesMustLieWithinTheSheet) {
    cleanGame();
    // Row 5 fits as one frame but not as eight direction frames in the battle stage.
    write("data/charlist.txt",
          withRow("005", "005,600,100,032,032,003,001,002,016,002,000,000,000,006,000,000,000,000"));
    EXPECT_REPORTS("data/charlist.txt:4: error: the eight direction frames (600, 100) 256 x 32 lies outside the "
                   "character sheet (800 x 600)");
    EXPECT_SUMMARY("1 errors, 0 warnings");
    write("data/advfile.dat", "shoot 1\nend\n");
    EXPECT_SUMMARY("0 errors, 0 warnings");

    // The player's alternate frame (LEF + TAX, TOP + TAY), shown after each shot.
    write("data/charlist.txt",
          withRow("000", "000,000,500,032,032,010,001,004,016,002,005,000,000,000,000,127,000,100"));
    EXPECT_REPORTS("data/charlist.txt:2: error: alternate frame (0, 627) 32 x 32 lies outside the character sheet "
                   "(800 x 600)");

    // A larger sheet has a mask only in its top-left 800 x 600.
    picture("bmp/char.bmp", 1000, 700);
    write("data/charlist.txt",
          withRow("002", "002,900,040,008,008,001,001,008,004,000,000,001,001,000,000,000,000,000"));
    EXPECT_REPORTS("data/charlist.txt:3: error: sprite (900, 40) 8 x 8 lies outside the top-left 800 x 600 of the "
                   "character sheet, which alone has a mask");
}

TEST_F(CheckTest, BannersAndGroundTileMustLieWithinTheSheet) {
    cleanGame();
    picture("bmp/char.bmp", 130, 110);
    write("data/charlist.txt", "000,000,000,032,032,010,001,004,016,000,005,002,000,000,000,000,000,100\n");
    write("data/level1.txt", "50,1,1,1,200,32,568\n53,0,1,0,600,200,0,0\n");
    write("data/advfile.dat", "shoot 1\nend\n");
    EXPECT_REPORTS("bmp/char.bmp:0: error: won banner (0, 82) 138 x 19 lies outside the character sheet (130 x 110)");
    EXPECT_REPORTS("bmp/char.bmp:0: error: lost banner (0, 101) 138 x 19 lies outside the character sheet (130 x "
                   "110)");
    EXPECT_REPORTS("data/level1.txt:1: error: ground tile (1, 1) 200 x 32 lies outside the character sheet (130 x "
                   "110)");
}

TEST_F(CheckTest, SteeringObjectsNeedASize) {
    cleanGame();
    write("data/charlist.txt",
          withRow("005", "005,000,100,032,032,003,001,002,000,002,000,000,000,006,000,000,000,000"));
    EXPECT_REPORTS("data/charlist.txt:4: error: SIZ 0: template 5 steers in the battle stage, turning by 1/SIZ a "
                   "frame, so SIZ must be above 0");
    EXPECT_SUMMARY("1 errors, 0 warnings");
    // Shots (kind 1) never steer; the shooting stage never turns anything.
    write("data/charlist.txt",
          withRow("002", "002,000,040,008,008,001,001,008,000,000,000,001,001,000,000,000,000,000"));
    EXPECT_SUMMARY("0 errors, 0 warnings");
}

TEST_F(CheckTest, LobbedShotsNeedASpeed) {
    cleanGame();
    write("data/charlist.txt",
          withRow("002", "002,000,040,008,008,001,001,000,004,000,000,010,001,000,000,000,000,000"));
    EXPECT_REPORTS("data/charlist.txt:3: error: lobbed shot template 2 has SP 0: its rise is worked out by dividing "
                   "by SP");
    write("data/charlist.txt",
          withRow("002", "002,000,040,008,008,001,001,-01,004,000,000,020,001,000,000,000,000,000"));
    write("data/level1.txt", "50,1,1,1\n54,0,0,500,64,32,568\n53,5,1,0,600,200,3,0\n61,1\n");
    EXPECT_REPORTS("data/charlist.txt:3: error: lobbed shot template 2 has SP 0 (SP -1 takes the stage's scrollSpeed "
                   "0): its rise is worked out by dividing by SP");
}
