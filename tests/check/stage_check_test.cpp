// The checker on stage files: their lines, what they name, their parameters, and the stage
// as the kind of stage that runs it.
#include "tests/check/check_fixture.h"

TEST_F(CheckTest, MissingStageFileIsAnErrorAtTheCommand) {
    cleanGame();
    write("data/advfile.dat", "shoot 1\nshoot 3\nkh 259\nkh 200\nend\n");
    EXPECT_REPORTS("data/advfile.dat:2: error: stage file \"./data/level3.txt\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:3: error: stage file \"./data/level3.txt\" does not exist (259 is taken as the "
                   "signed byte 3)");
    EXPECT_REPORTS("data/advfile.dat:4: error: stage file \"./data/level-56.txt\" does not exist (200 is taken as the "
                   "signed byte -56)");
    EXPECT_SUMMARY("3 errors, 0 warnings");
}

TEST_F(CheckTest, FilesNamedByStageFilesMustExist) {
    cleanGame();
    write("data/level1.txt", "50,1,2,3\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n61,2\n" + std::string(kFence));
    picture("bmp/back3.bmp", 8, 8);
    EXPECT_REPORTS("data/level1.txt:1: error: background \"./bmp/back2.bmp\" does not exist");
    EXPECT_REPORTS("data/level1.txt:4: error: music \"./wav/level2.wav\" does not exist");
    EXPECT_SUMMARY("2 errors, 0 warnings");
}

TEST_F(CheckTest, StageSoundsAndReadyScreenAreNeededOnceAStageIsReached) {
    cleanGame();
    remove("wav/win.wav");
    remove("bmp/zyunbi.bmp");
    EXPECT_REPORTS("data/advfile.dat:3: error: ready screen \"./bmp/zyunbi.bmp\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:3: error: stage sound \"./wav/win.wav\" does not exist");
    EXPECT_SUMMARY("2 errors, 0 warnings");
    write("data/advfile.dat", "bmp bmp/title.bmp\nend\n");
    EXPECT_SUMMARY("0 errors, 0 warnings");
}

TEST_F(CheckTest, SpawnedTemplatesMustBeLoaded) {
    cleanGame();
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n53,9,1,0,600,300,0,0\n"
                             "53,128,1,0,600,300,0,0\n" + std::string(kFence));
    EXPECT_REPORTS("data/level1.txt:4: error: template 9 names a row that the character list never loads");
    EXPECT_REPORTS("data/level1.txt:5: error: template 128 is outside 0 to 127: nothing is spawned");
    EXPECT_SUMMARY("2 errors, 0 warnings");
}

TEST_F(CheckTest, GroundTilesNeedASizeAboveTheGroundTop) {
    cleanGame();
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,0,32,568\n53,5,1,0,600,200,3,0\n" + std::string(kFence));
    EXPECT_REPORTS("data/level1.txt:2: error: groundWidth 0 and groundHeight 32 must both be above 0 while groundTop "
                   "568 is below 600");
    EXPECT_SUMMARY("1 errors, 0 warnings");
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,0,0,600\n53,5,1,0,600,200,3,0\n" + std::string(kFence));
    EXPECT_SUMMARY("0 errors, 0 warnings");
}

TEST_F(CheckTest, ParametersLineBeforeTheSceneryLineIsAWarning) {
    cleanGame();
    write("data/level1.txt", "54,4,0,500,64,32,568\n50,1,1,1\n53,5,1,0,600,200,3,0\n" + std::string(kFence));
    EXPECT_REPORTS("data/level1.txt:2: warning: this 50 line comes after a 54 line: its own fields replace the stage "
                   "parameters");
    // Which leaves the ground tiles with no size.
    EXPECT_REPORTS("data/level1.txt:2: error: groundWidth 0 and groundHeight 0 must both be above 0 while groundTop 0 "
                   "is below 600");
    EXPECT_SUMMARY("1 errors, 1 warnings");
}

TEST_F(CheckTest, StageWithoutParametersIsAWarning) {
    cleanGame();
    write("data/level1.txt", "53,5,1,0,600,200,3,0\n" + std::string(kFence));
    EXPECT_REPORTS("data/level1.txt:0: warning: no 50 or 54 line: the stage keeps the stage parameters of the stage "
                   "before it (all 0 before the first stage, which leaves no ground to draw)");
    EXPECT_SUMMARY("0 errors, 1 warnings");
}

TEST_F(CheckTest, StageWithoutOpponentIsAWarningForEachKind) {
    cleanGame();
    // Side 0 is the player's side.
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,0,0,600,200,3,0\n");
    EXPECT_REPORTS("data/advfile.dat:3: warning: stage 1 has no opponent as a shooting stage: it is won at once");
    EXPECT_REPORTS("data/advfile.dat:4: warning: stage 1 has no opponent as a battle stage: it is won at once");
    EXPECT_SUMMARY("0 errors, 2 warnings");
    // An explosion (kind 5) counts in the shooting stage only.
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,6,1,0,600,200,0,0\n");
    EXPECT_REPORTS("data/advfile.dat:4: warning: stage 1 has no opponent as a battle stage: it is won at once");
    EXPECT_SUMMARY("0 errors, 1 warnings");
    // A player placed on side 1 makes the side-1 objects its own.
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n53,0,1,0,64,288,0,1\n");
    EXPECT_SUMMARY("0 errors, 2 warnings");
}

TEST_F(CheckTest, IgnoredStageLinesThatLookLikeDataAreWarnings) {
    cleanGame();
    write("data/level1.txt",
          "/ the first stage\n50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n61\n62,1\n/61,1\n,61,1\n \n" +
              std::string(kFence));
    EXPECT_REPORTS("data/level1.txt:5: warning: no separator (comma or space) before the end of the line: it is "
                   "ignored");
    EXPECT_REPORTS("data/level1.txt:6: warning: command code 62 is not 50, 53, 54 or 61: the line is ignored");
    EXPECT_REPORTS("data/level1.txt:7: warning: comment line looks like data: it is ignored");
    EXPECT_REPORTS("data/level1.txt:8: warning: the line begins with a separator, so its command code reads as 0: it "
                   "is ignored");
    EXPECT_SUMMARY("0 errors, 4 warnings");
}

TEST_F(CheckTest, StageFieldsThatReadOtherwiseThanWrittenAreWarnings) {
    cleanGame();
    write("data/level1.txt",
          "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,6o0,200,3,0\n53,5,1,0,600,300,3,0,1\n" + std::string(kFence));
    EXPECT_REPORTS("data/level1.txt:3: warning: x \"6o0\" has characters other than digits and \"-\": it reads as "
                   "1230");
    EXPECT_REPORTS("data/level1.txt:4: warning: 9 fields: those after the 8th are ignored");
    EXPECT_SUMMARY("0 errors, 2 warnings");
}

TEST_F(CheckTest, ShootingWeaponZeroFiresThePlayersRow) {
    cleanGame();
    write("data/advfile.dat", "shoot 1\nend\n");
    write("data/charlist.txt", std::string(kCleanCharList) +
                                   "007,000,100,032,032,003,001,002,016,000,000,000,000,000,000,000,000,000\n");
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,7,1,0,600,200,4,0\n53,7,1,0,600,300,1,0\n");
    EXPECT_REPORTS("data/level1.txt:3: warning: move 4 fires the first weapon of template 7, which is 0: it fires "
                   "copies of the player's row");
    EXPECT_SUMMARY("0 errors, 1 warnings");
    std::string list = kCleanCharList;
    list.replace(list.find("000,000,000,032,032,010,001,004,016,002"), 39, "000,000,000,032,032,010,001,004,016,000");
    write("data/charlist.txt", list);
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n");
    EXPECT_REPORTS("data/charlist.txt:2: warning: the player's first weapon is 0: in the shooting stage Z fires "
                   "copies of row 0");
    EXPECT_SUMMARY("0 errors, 1 warnings");
}

TEST_F(CheckTest, PlayerArmedByTheScriptFiresItsWeapon) {
    cleanGame();
    std::string list = kCleanCharList;
    list.replace(list.find("000,000,000,032,032,010,001,004,016,002"), 39, "000,000,000,032,032,010,001,004,016,000");
    write("data/charlist.txt", list);
    write("data/advfile.dat", "weapon 0 2 5 100\nshoot 1\nend\n");
    EXPECT_SUMMARY("0 errors, 0 warnings");
    // The shot it gets is spawned by the stage like any other: here it has a sound that is missing.
    write("data/charlist.txt", list + "009,000,040,008,008,001,001,008,004,000,000,001,009,000,000,000,000,000\n");
    write("data/advfile.dat", "weapon 0 9 5 100\nshoot 1\nend\n");
    EXPECT_REPORTS("data/charlist.txt:7: error: spawn sound \"./wav/se9.wav\" of template 9 does not exist");
}

TEST_F(CheckTest, BattleStageWithoutBlocksIsAWarning) {
    cleanGame();
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n");
    EXPECT_REPORTS("data/advfile.dat:4: warning: stage 1 places no block (TYP 2) as a battle stage: nothing keeps the "
                   "units on the field, and one that drives off may never come back to decide the stage; fence the "
                   "field with blocks");
    // Only the battle stage needs a fence.
    EXPECT_SUMMARY("0 errors, 1 warnings");
}
