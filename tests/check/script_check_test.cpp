// The checker on scripts: keywords, operands, what the commands name, and which scripts the
// game can reach.
#include "tests/check/check_fixture.h"

namespace {

// `count` tokens on a line each: comments, and a last "end" when the count is odd.
std::string tokens(int count) {
    std::string text;
    for (int i = 0; i + 1 < count; i += 2) text += "rem\nx\n";
    return count % 2 ? text + "end\n" : text;
}

}  // namespace

TEST_F(CheckTest, TokenThatIsNoKeywordIsAWarningAtItsLine) {
    cleanGame();
    write("data/advfile.dat", "bmp bmp/title.bmp\n\nwait\nBgm wav/theme.wav\nendweapon\nend\n");
    EXPECT_REPORTS("data/advfile.dat:3: warning: \"wait\" is no keyword: it is skipped");
    EXPECT_REPORTS("data/advfile.dat:4: warning: \"Bgm\" is no keyword: it is skipped (keywords are written in lower "
                   "case: bgm)");
    // The path after the misspelt keyword is run as a command of its own, and skipped too.
    EXPECT_REPORTS("data/advfile.dat:4: warning: \"wav/theme.wav\" is no keyword: it is skipped");
    EXPECT_REPORTS("data/advfile.dat:5: warning: \"endweapon\" is no keyword: it is skipped");
}

TEST_F(CheckTest, RowsThatRunAsCommandsByDesignAreNotReported) {
    cleanGame();
    // weapon leaves the counter on its last operand, which then runs as a command; endweapon
    // rows right after it are passed over; a buttonstart without buttons passes over its path.
    write("data/advfile.dat",
          "weapon 1 2 5 100\nbuttonstart bmp/title.bmp\nshoot 1\nend\n");
    EXPECT_EQ(report(), std::vector<std::string>{"0 errors, 0 warnings"});
}

TEST_F(CheckTest, EndweaponRowsAfterWeaponArePassedOver) {
    cleanGame();
    // A LEN of "endweapon" reads as 0; the counter passes every endweapon row and runs varset.
    write("data/advfile.dat", "weapon 2 2 5 endweapon endweapon varset 93 0\nend\n");
    EXPECT_REPORTS("data/advfile.dat:1: warning: operand \"endweapon\" has characters other than digits and \"-\": "
                   "it reads as 0");
    EXPECT_REPORTS("data/advfile.dat:1: error: variable 93 is outside 0 to 31");
    EXPECT_SUMMARY("1 errors, 1 warnings");
}

TEST_F(CheckTest, LongTokensAreWarnings) {
    cleanGame();
    write("data/advfile.dat", "rem " + std::string(130, 'a') + "\nrem\n" + std::string(200, 'b') + "\nend\n");
    EXPECT_REPORTS("data/advfile.dat:1: warning: token of 130 bytes is longer than 127");
    EXPECT_REPORTS("data/advfile.dat:3: warning: token of 200 bytes is longer than 127: the game keeps only its "
                   "first 159");
}

TEST_F(CheckTest, ScriptOf1024TokensHasNoEnd) {
    cleanGame();
    write("data/advfile.dat", tokens(1023));
    EXPECT_EQ(report(), std::vector<std::string>{"0 errors, 0 warnings"});
    write("data/advfile.dat", tokens(1030));
    EXPECT_REPORTS("data/advfile.dat:1024: warning: the script reaches 1024 tokens: it gets no \"end\" and anything "
                   "after this token is ignored");
}

TEST_F(CheckTest, ScriptWithoutEndRunsIntoTheAddedOne) {
    cleanGame();
    write("data/advfile.dat", "bmp bmp/title.bmp");
    EXPECT_SUMMARY("0 errors, 0 warnings");
}

TEST_F(CheckTest, OperandsRunningPastTheEndAreAnError) {
    cleanGame();
    write("data/advfile.dat", "bmp bmp/title.bmp\ndrawtext 0\n1 2\n");
    EXPECT_REPORTS("data/advfile.dat:2: error: drawtext needs 4 operands, but the script ends before them");
    write("data/advfile.dat", "bmp");
    EXPECT_REPORTS("data/advfile.dat:1: error: bmp needs 1 operand, but the script ends before them");
}

TEST_F(CheckTest, NumbersOutOfRangeAreErrorsAtTheOperand) {
    cleanGame();
    write("data/advfile.dat",
          "varset 32 1\nvarplus -1 1\nvarcmp 0\n40 data/advfile.dat\nweapon\n4\n2 5 100\n"
          "drawtext 8 0 0 hi\ndrawtext 0 0 0 @32\ndrawtext 1 0 0 @x\ndrawtext 2 0 0 @31\nend\n");
    EXPECT_REPORTS("data/advfile.dat:1: error: variable 32 is outside 0 to 31");
    EXPECT_REPORTS("data/advfile.dat:2: error: variable -1 is outside 0 to 31");
    EXPECT_REPORTS("data/advfile.dat:4: error: variable 40 is outside 0 to 31");
    EXPECT_REPORTS("data/advfile.dat:6: error: weapon 4 is outside 0 to 3");
    EXPECT_REPORTS("data/advfile.dat:8: error: text slot 8 is outside 0 to 7");
    EXPECT_REPORTS("data/advfile.dat:9: error: \"@32\" names no variable 0 to 31");
    // "x" is byte 120: the number after the at sign reads as 72.
    EXPECT_REPORTS("data/advfile.dat:10: error: \"@x\" names no variable 0 to 31");
    EXPECT_SUMMARY("7 errors, 0 warnings");
}

TEST_F(CheckTest, WeaponCommandNamesATemplate) {
    cleanGame();
    write("data/advfile.dat", "weapon 1 200 5 100\nweapon 2\n9 5 100\nweapon 3 0 0 0\nend\n");
    EXPECT_REPORTS("data/advfile.dat:1: error: WEP 200 is not a template number 0 to 127 (the game keeps its low "
                   "byte, -56)");
    EXPECT_REPORTS("data/advfile.dat:3: error: WEP 9 names a template row that the character list never loads");
    EXPECT_SUMMARY("2 errors, 0 warnings");
}

TEST_F(CheckTest, NumbersWithOtherCharactersAreWarnings) {
    cleanGame();
    write("data/advfile.dat", "varset 3 5x\nvarset 4 +5\nvarset 5 -5\nvarset 6 x\nend\n");
    EXPECT_REPORTS("data/advfile.dat:1: warning: operand \"5x\" has characters other than digits and \"-\": it reads "
                   "as 5");
    EXPECT_REPORTS("data/advfile.dat:4: warning: operand \"x\" has characters other than digits and \"-\": it reads "
                   "as 0");
    EXPECT_SUMMARY("0 errors, 2 warnings");
}

TEST_F(CheckTest, MissingFilesNamedByScriptsAreErrors) {
    cleanGame();
    write("bmp/bad.bmp", "not a picture");
    write("data/advfile.dat",
          "bmp bmp/none.bmp\nbmp bmp/bad.bmp\nbgm wav/none.wav\nwav wav/none.wav\nwav2 wav/no2.wav\n"
          "varcmp 0 1 data/none.dat\nbuttonset 0 0 Go data/no3.dat\nbuttonstart bmp/no4.bmp\n");
    EXPECT_REPORTS("data/advfile.dat:1: error: picture \"bmp/none.bmp\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:2: error: picture \"bmp/bad.bmp\" is not a bitmap the game can read");
    EXPECT_REPORTS("data/advfile.dat:3: error: music \"wav/none.wav\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:4: error: sound \"wav/none.wav\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:5: error: sound \"wav/no2.wav\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:6: error: script \"data/none.dat\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:7: error: script \"data/no3.dat\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:8: error: picture \"bmp/no4.bmp\" does not exist");
    write("data/advfile.dat", "call data/none.dat\n");
    EXPECT_REPORTS("data/advfile.dat:1: error: script \"data/none.dat\" does not exist");
}

TEST_F(CheckTest, MusicCommandReaching160CharactersIsAnError) {
    cleanGame();
    // "open ./" + path + " alias BGM": 17 characters around the path.
    const std::string longest(142, 'm');
    sound("./" + longest);
    write("data/advfile.dat", "bgm " + longest + "\nbgm " + longest + "m\nend\n");
    EXPECT_REPORTS("data/advfile.dat:2: error: the music command for this path would be 160 characters, 160 or "
                   "more: it is never sent");
    EXPECT_REPORTS("data/advfile.dat:2: warning: token of 143 bytes is longer than 127");
    EXPECT_SUMMARY("1 errors, 2 warnings");
}

TEST_F(CheckTest, EighthButtonsetIsAWarning) {
    cleanGame();
    std::string script;
    for (int i = 0; i < 9; ++i) script += "buttonset 0 " + std::to_string(i * 30) + " B data/advfile.dat\n";
    write("data/advfile.dat", script + "buttonstart bmp/title.bmp\n");
    EXPECT_REPORTS("data/advfile.dat:8: warning: eighth buttonset before a buttonstart: this button is never offered");
    EXPECT_REPORTS("data/advfile.dat:9: warning: eighth buttonset before a buttonstart: this button is never offered");
    EXPECT_SUMMARY("0 errors, 2 warnings");
}

TEST_F(CheckTest, FollowsCallsComparisonsAndButtons) {
    cleanGame();
    write("data/advfile.dat", "varcmp 0 1 data/a.dat\nbuttonset 0 0 B data/b.dat\ncall data/c.dat\nvarset 90 0\n");
    write("data/a.dat", "varset 91 0\nend\n");
    write("data/b.dat", "varset 92 0\nend\n");
    // The button defined before the call is still pending here, so this screen offers it
    // and can only end by loading b.dat: the line after it is never run.
    write("data/c.dat", "buttonstart bmp/title.bmp\nvarset 93 0\n");
    const std::vector<std::string> lines = report();
    EXPECT_REPORTS("data/a.dat:1: error: variable 91 is outside 0 to 31");
    EXPECT_REPORTS("data/b.dat:1: error: variable 92 is outside 0 to 31");
    // Nothing after a call or a screen of buttons runs: the lines there are dead.
    EXPECT_REPORTS("data/advfile.dat:4: warning: never run: every way through the script ends before this line (at "
                   "line 3)");
    EXPECT_REPORTS("data/c.dat:2: warning: never run: every way through the script ends before this line (at line 1)");
    EXPECT_EQ(lines.back(), "2 errors, 2 warnings");
}

TEST_F(CheckTest, PlainButtonstartGoesOnAfterItsPicture) {
    cleanGame();
    write("data/advfile.dat", "buttonstart bmp/title.bmp\nvarset 94 0\nend\nvarset 95 0\n");
    EXPECT_REPORTS("data/advfile.dat:2: error: variable 94 is outside 0 to 31");
    EXPECT_REPORTS("data/advfile.dat:4: warning: never run: every way through the script ends before this line (at "
                   "line 3)");
    EXPECT_SUMMARY("1 errors, 1 warnings");  // nothing after "end" runs
}

TEST_F(CheckTest, LinesAfterTheLastReachedCommandAreWarnedOnceWhateverWayReachesThem) {
    cleanGame();
    // b.dat is entered twice: with a button pending, its buttonstart ends it at line 1; with
    // none, it goes on to line 3's end. Only what lies after that is dead; the loader's own
    // "end" after the last token is none of the author's.
    write("data/advfile.dat", "varcmp 0 1 data/b.dat\nbuttonset 0 0 B data/advfile.dat\ncall data/b.dat\n");
    write("data/b.dat", "buttonstart bmp/title.bmp\nvarset 1 1\nend\nrem dead\nvarset 2 2\n");
    EXPECT_EQ(report(), (std::vector<std::string>{
                            "data/b.dat:4: warning: never run: every way through the script ends before this line "
                            "(at line 3)",
                            "0 errors, 1 warnings"}));
    // A variable compared with itself always loads the script.
    write("data/b.dat", "varcmp 2 2 data/advfile.dat\nvarset 1 1\n");
    EXPECT_REPORTS("data/b.dat:2: warning: never run: every way through the script ends before this line (at line 1)");
    // A weapon command's last operand runs as a command: a script ending there is whole.
    remove("data/b.dat");
    write("data/advfile.dat", "bmp bmp/title.bmp\nshoot 1\nkh 1\nweapon 1 2 5 100\n");
    EXPECT_EQ(report(), std::vector<std::string>{"0 errors, 0 warnings"});
}

TEST_F(CheckTest, UnreachableScriptFileIsAWarning) {
    cleanGame();
    write("data/old.dat", "end\n");
    write("data/level7.txt", "54,1,0,0,1,1,600\n");
    write("data/charlist.txt.tmp", "");
    write("data/used.dat", "end\n");
    write("data/advfile.dat", "call ./data//used.dat\n");
    const std::vector<std::string> lines = report();
    EXPECT_REPORTS("data/old.dat:0: warning: script file is never reached from ./data/advfile.dat");
    EXPECT_EQ(lines.back(), "0 errors, 1 warnings");
}

TEST_F(CheckTest, SpacesInScreenTextsGetAHintAboutTheNoBreakSpace) {
    cleanGame();
    write("data/go.dat", "end\n");
    // "Shoot em" splits: "em" takes the script's place and the script runs as a command.
    write("data/advfile.dat",
          "buttonset 320 250 Shoot em data/go.dat\nbuttonset 320 300 Go on now data/go.dat\n"
          "buttonset 320 350 Stop data/gone.dat\ndrawtext 0 10 10 Choose a stage\nbuttonstart bmp/title.bmp\n");
    EXPECT_REPORTS("data/advfile.dat:1: error: script \"em\" does not exist: the label \"Shoot em\" seems to hold a "
                   "space, which ends a token; write a no-break space (U+00A0) in screen texts instead");
    EXPECT_REPORTS("data/advfile.dat:2: error: script \"on\" does not exist: the label \"Go on now\" seems to hold a "
                   "space, which ends a token; write a no-break space (U+00A0) in screen texts instead");
    EXPECT_REPORTS("data/advfile.dat:3: error: script \"data/gone.dat\" does not exist");
    EXPECT_REPORTS("data/advfile.dat:4: warning: \"a\" is no keyword: it is skipped (if it belongs to the text before "
                   "it, write a no-break space, U+00A0, for the space)");
    EXPECT_REPORTS("data/advfile.dat:4: warning: \"stage\" is no keyword: it is skipped");
    // With a no-break space the label is one token.
    write("data/advfile.dat", "buttonset 320 250 Shoot\xC2\xA0" "em data/go.dat\nbuttonstart bmp/title.bmp\n");
    EXPECT_SUMMARY("0 errors, 0 warnings");
}
