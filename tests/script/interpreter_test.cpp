#include <cstring>

#include "app/main_loop.h"
#include "script/buttons.h"
#include "script/presentation.h"
#include "script_fixture.h"
#include "stage/world.h"

using Interpreter = ScriptTest;

TEST_F(Interpreter, EveryCommandMovesTheCounterByItsOperands) {
    loadScriptText(
        "rem x varset 1 5 varplus 1 2 varminus 1 10 varcmp 1 2 data/no.dat bgm m.wav wav a.wav "
        "wav2 b.wav drawtext 0 10 20 hi buttonset 1 2 L t.dat unknown shoot 3 kh 258 end");
    const int32_t expected[] = {2, 5, 8, 11, 15, 17, 19, 21, 26, 31, 32, 34, 36, 0};
    for (int32_t counter : expected) {
        frame();
        EXPECT_EQ(ScriptCounter, counter) << "frame " << frameCount;
        EXPECT_EQ(GameMode, counter == 34 ? 2 : counter == 36 ? 4 : 1);
        GameMode = 1;  // stay with the script; the stages are not under test
    }
    EXPECT_EQ(StageNumber, 2);  // the low byte of 258
    EXPECT_EQ(ScriptVars[1], -3);
    EXPECT_EQ(ScriptPhase, Phase::Execute);
}

TEST_F(Interpreter, VariableArithmeticWrapsAround) {
    loadScriptText(
        "varset 0 2147483647 varplus 0 1 varset 1 -2147483648 varminus 1 1 "
        "varset 2 -7 varminus 2 -2147483648 varset 3 99999999999 varset 4 \t+12abc varset 5 x5");
    frames(10);
    EXPECT_EQ(ScriptVars[0], INT32_MIN);
    EXPECT_EQ(ScriptVars[1], INT32_MAX);
    EXPECT_EQ(ScriptVars[2], 2147483641);
    EXPECT_EQ(ScriptVars[3], INT32_MAX);
    EXPECT_EQ(ScriptVars[4], 12);
    EXPECT_EQ(ScriptVars[5], 0);
}

TEST_F(Interpreter, VarcmpLoadsOnlyOnEqualVariables) {
    writeFile("data/next.dat", "varset 9 1");
    loadScriptText("varset 3 5 varset 4 6 varcmp 3 4 data/next.dat varset 4 5 varcmp 3 4 data/next.dat");
    frames(3);
    EXPECT_EQ(ScriptCounter, 10);
    EXPECT_STREQ(ScriptTable[0], "varset");
    frames(2);
    EXPECT_EQ(ScriptCounter, 0);
    EXPECT_STREQ(ScriptTable[1], "9");
    EXPECT_EQ(ScriptVars[3], 0);
    EXPECT_EQ(ScriptVars[4], 0);
}

TEST_F(Interpreter, CallReplacesTheScriptWithItsPath) {
    writeFile("data/b.dat", "varset 1 2");
    loadScriptText("varset 7 7 call data/b.dat");
    frames(2);
    EXPECT_EQ(ScriptCounter, 0);
    EXPECT_EQ(ScriptVars[7], 0);
    frame();
    EXPECT_EQ(ScriptVars[1], 2);
}

TEST_F(Interpreter, RemSkipsOneWordAndUnknownTokensTakeAFrameEach) {
    loadScriptText("rem bmp endweapon bmp\tx varset 0 1");
    frame();
    EXPECT_EQ(ScriptCounter, 2);
    frame();
    EXPECT_EQ(ScriptCounter, 3);
    frame();
    EXPECT_EQ(ScriptCounter, 4);
    EXPECT_EQ(ScriptPhase, Phase::Execute);
    frame();
    EXPECT_EQ(ScriptVars[0], 1);
}

TEST_F(Interpreter, WeaponSetsThePlayersWeaponAndSkipsItsLastOperandNextFrame) {
    loadScriptText("weapon 1 3 10 20 varset 0 1");
    frame();
    EXPECT_EQ(CharTable[0].WEP[1], 3);
    EXPECT_EQ(CharTable[0].BLA[1], 10);
    EXPECT_EQ(CharTable[0].LEN[1], 20);
    EXPECT_EQ(ScriptCounter, 4);
    frame();
    EXPECT_EQ(ScriptCounter, 5);
    frame();
    EXPECT_EQ(ScriptVars[0], 1);
}

TEST_F(Interpreter, WeaponPassesOverEndweaponRows) {
    loadScriptText("weapon 0 300 5 endweapon endweapon endweapon varset 0 1");
    frame();
    EXPECT_EQ(CharTable[0].WEP[0], 44);  // the low byte of 300
    EXPECT_EQ(CharTable[0].BLA[0], 5);
    EXPECT_EQ(CharTable[0].LEN[0], 0);
    EXPECT_EQ(ScriptCounter, 7);
    frame();
    EXPECT_EQ(ScriptVars[0], 1);
}

TEST_F(Interpreter, OutOfRangeNumbersChangeNothingButTheCounter) {
    writeFile("data/other.dat", "varset 0 1");
    CharTable[0].WEP[3] = 9;
    loadScriptText(
        "varset 32 5 varset -1 5 varplus 40 1 varminus 1000 1 varcmp 0 99 data/other.dat "
        "weapon 4 1 2 3 weapon -1 1 2 endweapon drawtext 8 1 2 x drawtext -1 1 2 y "
        "drawtext 0 5 6 @32 drawtext 0 5 6 @99999999999");
    const Entity before = CharTable[0];
    const int32_t expected[] = {3, 6, 9, 12, 16, 20, 21, 26, 31, 36, 41, 46};
    for (int32_t counter : expected) {
        frame();
        EXPECT_EQ(ScriptCounter, counter);
    }
    for (int32_t v : ScriptVars) EXPECT_EQ(v, 0);
    EXPECT_STREQ(ScriptTable[0], "varset");
    EXPECT_EQ(std::memcmp(&before, &CharTable[0], sizeof before), 0);
    for (const ScreenText& slot : TextSlots) {
        EXPECT_EQ(slot.text[0], '\0');
        EXPECT_EQ(slot.x, 0);
    }
}

TEST_F(Interpreter, TheCounterNeverLeavesTheTable) {
    std::string text;
    for (int i = 0; i < 1018; ++i) text += "x ";
    text += "varset 3 9 varset 3";  // rows 1018..1022, the value would be row 1024
    loadScriptText(text);
    ScriptCounter = 1018;
    frame();
    EXPECT_EQ(ScriptVars[3], 9);
    frame();
    EXPECT_EQ(ScriptCounter, 1024);
    EXPECT_EQ(ScriptVars[3], 0);
    frame();  // past the last row: as if "end" stood there
    EXPECT_EQ(ScriptCounter, 0);

    ScriptCounter = 1023;
    std::strcpy(ScriptTable[1023], "drawtext");
    frame();
    EXPECT_EQ(ScriptCounter, 1028);
    frame();
    EXPECT_EQ(ScriptCounter, 0);

    std::strcpy(ScriptTable[1021], "weapon");
    std::strcpy(ScriptTable[1022], "2");
    std::strcpy(ScriptTable[1023], "endweapon");
    ScriptCounter = 1021;
    frame();
    EXPECT_EQ(ScriptCounter, 1025);
    EXPECT_EQ(CharTable[0].WEP[2], 0);
}

class Phases : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        writePicture("bmp/red.bmp", 0xFF0000);
        writePicture("bmp/blue.bmp", 0x0000FF);
    }
};

TEST_F(Phases, APictureShowsTwoFramesAfterItsBmp) {
    loadScriptText("bmp bmp/red.bmp varset 0 1");
    frame();  // bmp
    EXPECT_EQ(ScriptPhase, Phase::Arm);
    EXPECT_EQ(ScriptCounter, 1);
    frame();  // Arm
    EXPECT_EQ(ScriptPhase, Phase::Show);
    EXPECT_EQ(hp.presentCount, 0);
    frame();  // first Show frame
    EXPECT_EQ(hp.presentCount, 1);
    EXPECT_EQ(shownPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(shownPixel(799, 599), 0xFF0000u);
    frames(5);  // waits for a click
    EXPECT_EQ(hp.presentCount, 6);
    EXPECT_EQ(ScriptCounter, 1);
    EXPECT_EQ(ScriptPhase, Phase::Show);
}

TEST_F(Phases, BothInputsHeldKeepArmAndOneReleaseIsEnough) {
    loadScriptText("bmp bmp/red.bmp");
    hp.post(WM_LBUTTONDOWN);
    hp.post(WM_KEYDOWN, VK_KEY_Z);
    frames(4);
    EXPECT_EQ(ScriptPhase, Phase::Arm);
    EXPECT_EQ(hp.presentCount, 0);
    hp.post(WM_KEYUP, VK_KEY_Z);
    frame();
    EXPECT_EQ(ScriptPhase, Phase::Show);
    frame();  // the left button is still down: the first Show frame takes it as the click
    EXPECT_EQ(hp.presentCount, 1);
    EXPECT_EQ(ScriptCounter, 2);
    EXPECT_EQ(ScriptPhase, Phase::Release);
}

TEST_F(Phases, EitherInputPassesAPlainScreenAndReleaseWaitsForBoth) {
    loadScriptText("bmp bmp/red.bmp bmp bmp/blue.bmp varset 0 1");
    frames(3);
    hp.post(WM_KEYDOWN, VK_KEY_Z);
    frame();
    EXPECT_EQ(ScriptPhase, Phase::Release);
    EXPECT_EQ(ScriptCounter, 2);
    hp.post(WM_LBUTTONDOWN);
    hp.post(WM_KEYUP, VK_KEY_Z);
    frames(3);
    EXPECT_EQ(ScriptPhase, Phase::Release);
    hp.post(WM_LBUTTONUP);
    frame();
    EXPECT_EQ(ScriptPhase, Phase::Execute);
    frame();  // the second bmp
    EXPECT_EQ(ScriptCounter, 3);
    frames(2);
    EXPECT_EQ(shownPixel(400, 300), 0x0000FFu);
    hp.post(WM_LBUTTONDOWN);
    hp.post(WM_LBUTTONUP);  // down and up between two frames: never seen
    frames(2);
    EXPECT_EQ(ScriptPhase, Phase::Show);
    hp.post(WM_LBUTTONDOWN);
    frame();
    EXPECT_EQ(ScriptCounter, 4);
    hp.post(WM_LBUTTONUP);
    frames(2);
    EXPECT_EQ(ScriptVars[0], 1);
}

TEST_F(Phases, APictureIsReadAnewForEveryScreen) {
    loadScriptText("bmp bmp/pic.bmp bmp bmp/pic.bmp bmp bmp/missing.bmp");
    writePicture("bmp/pic.bmp", 0x00FF00);
    frames(3);
    EXPECT_EQ(shownPixel(10, 10), 0x00FF00u);
    writePicture("bmp/pic.bmp", 0x123456);
    InputState.keyZ = 1;
    frame();
    InputState.keyZ = 0;
    frames(4);  // Release, bmp, Arm, Show
    EXPECT_EQ(shownPixel(10, 10), 0x123456u);
    InputState.keyZ = 1;
    frame();
    InputState.keyZ = 0;
    frames(4);  // a picture that cannot be read leaves the last one on screen
    EXPECT_EQ(ScriptCounter, 5);
    EXPECT_EQ(shownPixel(10, 10), 0x123456u);
}
