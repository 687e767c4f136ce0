// A whole shooting stage played through sortie-replay: opponents of all eight movement
// patterns, blocks and falling objects; one scripted run wins it and returns to the script,
// another falls off the bottom and has the stage replayed. The numbers below follow from the
// stage's rules; the comments say how.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"

namespace {

using namespace replay;

constexpr uint32_t kAfter = 0x5050A0;
constexpr uint32_t kFar = 0x202060;
constexpr uint32_t kMiddle = 0xD0D030;
constexpr uint32_t kNear = 0x30D0D0;
constexpr uint32_t kTileLeft = 0x604020;
constexpr uint32_t kTileRight = 0x806040;
constexpr uint32_t kPlayer = 0xE02020;
constexpr uint32_t kPlayerFiring = 0xF0A000;
constexpr uint32_t kBlock = 0x909090;
constexpr uint32_t kPlayerShot = 0xFFFF00;
constexpr uint32_t kSpark = 0xFFA0A0;
constexpr uint32_t kSwing = 0x2060E0;    // pattern 2
constexpr uint32_t kSquare = 0x20A0A0;   // pattern 3
constexpr uint32_t kDiamond = 0xA0A020;  // pattern 4
constexpr uint32_t kCircle = 0x8040C0;   // pattern 5
constexpr uint32_t kCrate = 0xA06020;
constexpr uint32_t kMover = 0x60C060;
constexpr uint32_t kRock = 0x707070;

class ShootingReplay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
        ASSERT_TRUE(writePlainBmp("bmp/zyunbi.bmp", 800, 600, 0x336699));
        ASSERT_TRUE(writePlainBmp("bmp/after.bmp", 800, 600, kAfter));
        writeSheet({{{0, 0, 32, 32}, kPlayer},
                    {{32, 0, 32, 32}, kPlayerFiring},
                    {{64, 0, 64, 16}, kBlock},
                    {{128, 0, 8, 8}, kPlayerShot},
                    {{136, 0, 4, 4}, 0x00FFFF},
                    {{200, 0, 20, 20}, kTileLeft},
                    {{220, 0, 20, 20}, kTileRight},
                    {{0, 32, 32, 32}, kSwing},
                    {{32, 32, 32, 32}, kSquare},
                    {{64, 32, 32, 32}, kDiamond},
                    {{96, 32, 32, 32}, kCircle},
                    {{128, 32, 32, 32}, kCrate},
                    {{160, 32, 32, 32}, kMover},
                    {{192, 32, 16, 16}, kSpark},
                    {{224, 32, 16, 16}, kRock}});
        // Near and middle layers: one band each on black; the far layer is one colour.
        writePainted("bmp/back1.bmp", 800, 600, kBlack, {{{0, 100, 100, 40}, kNear}});
        writePainted("bmp/back2.bmp", 800, 600, kBlack, {{{0, 40, 200, 40}, kMiddle}});
        ASSERT_TRUE(writePlainBmp("bmp/back3.bmp", 800, 600, kFar));
        ASSERT_TRUE(writeWav("wav/level1.wav", 60000));
        ASSERT_TRUE(writeText("data/advfile.dat", "shoot 1\nwav ./wav/back.wav\nbmp ./bmp/after.bmp\n"));
        ASSERT_TRUE(writeText(
            "data/charlist.txt",
            "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN\n"
            "0,0,0,32,32,10,1,4,16,10,2,0,0,0,32,0,1,0\n"      // player: fires 10 every 3rd frame, falls
            "2,64,0,64,16,99,1,0,32,0,0,2,0,0,0,0,0,0\n"       // block
            "10,128,0,8,8,1,5,8,4,0,0,1,0,0,0,0,0,0\n"         // player's shot: 8 px a frame, 5 damage
            "11,136,0,4,4,1,0,3,2,0,0,1,0,0,0,0,0,0\n"         // opponents' shot: harmless
            "12,192,32,16,16,1,0,2,2,0,0,1,0,0,0,0,0,0\n"      // spark, the opponents' remains
            "20,0,32,32,32,5,0,1,16,11,0,0,0,12,0,0,0,0\n"     // the patterned opponents: 5 HP,
            "21,32,32,32,32,5,0,1,16,11,0,0,0,12,0,0,0,0\n"    // no damage, shots of 11,
            "22,64,32,32,32,5,0,1,16,11,0,0,0,12,0,0,0,0\n"    // sparks when destroyed
            "23,96,32,32,32,5,0,2,16,11,0,0,0,12,0,0,0,0\n"
            "24,128,32,32,32,5,0,0,16,0,0,0,0,12,0,0,1,0\n"    // crate: falls
            "25,160,32,32,32,5,0,5,16,0,0,0,0,0,0,0,0,0\n"     // mover: 5 px a frame
            "26,224,32,16,16,5,0,0,8,0,0,0,0,0,0,0,1,0\n"));   // rock: falls
        ASSERT_TRUE(writeText("data/level1.txt",
                              "50,1,2,3\n"
                              "54,2,200,0,40,20,160 / scroll 2; tiles of 40 x 20 from y 160\n"
                              "61,1\n"
                              "53,2,2,0,48,400,0,0 / 1: the block the player lands on (side 2)\n"
                              "53,20,1,0,250,193,2,0 / 2: vertical swing\n"
                              "53,21,1,0,330,372,3,0 / 3: square loop\n"
                              "53,23,1,0,420,395,5,0 / 4: circle\n"
                              "53,22,1,0,520,370,4,0 / 5: diamond loop\n"
                              "53,2,2,0,640,424,0,0 / 6: the crate's block\n"
                              "53,24,1,0,640,200,0,0 / 7: crate\n"
                              "53,25,1,0,700,40,1,0 / 8: right\n"
                              "53,25,1,8,640,80,6,0 / 9: direction 8, right\n"
                              "53,25,1,0,150,120,7,0 / 10: left\n"
                              "53,25,1,0,100,20,8,0 / 11: left\n"
                              "53,26,1,0,760,170,0,0 / 12: rock\n"
                              "53,2,0,0,120,360,0,0 / 13: a shield of the player's side\n"));
    }

    TempGameFolder folder;
};

// Game frame 2 builds the stage; stage frame k is game frame k + 2. The player (SP 4, GRA 1)
// starts at (64, 288) and falls 0, 2, 4, 6, 8, then 10 pixels a frame.
TEST_F(ShootingReplay, ScriptedInputWinsTheStageAndTheScriptGoesOn) {
    // Landing: after game frame 12 it is at y 358, within 16 + 32 above the block at
    // (48, 400), which sets it on top at y 400 - 32 = 368. Right for frames 14 and 15 moves it
    // to x 72 (still on the block, and far enough right that its shots clear it). Z in frame
    // 17 fires once from its centre (88, 384); the shot moves 8 pixels a frame along y 384 and
    // has HP left after every hit, since the opponents deal no damage. X in frame 40 jumps
    // (vspeed -31); Z in frame 47, at y 193 in the jump, fires a second shot along y 209.
    ASSERT_TRUE(writeText("input.txt",
                          "14 key down RIGHT\n16 key up RIGHT\n"
                          "17 key down Z\n18 key up Z\n"
                          "40 key down X\n41 key up X\n"
                          "47 key down Z\n48 key up Z\n"));
    const ReplayRun run = runReplay(386, "--input input.txt --time 0", {12, 17, 82, 83, 382, 385, 386});
    ASSERT_EQ(run.status, 0) << run.err;

    // The movers leave the screen by themselves (frames 23 to 39), the rock falls off the
    // bottom (49); the first shot, at x 96 + 8 (f - 17) in frame f, destroys the square (46),
    // the circle (55), the diamond (68) and, last, the crate, which had landed on its block at
    // (640, 392): the shot comes within 4 + 16 of it in frame 83 (x 624). The jump shot takes
    // the swing, whose whole path lies within 20 of y 209, in frame 64. So frame 83 wins, and
    // 300 frames counted from it end in frame 382: back to the script, which plays its sound
    // in 383 and shows its picture in 386 (bmp in 384, Arm in 385).
    // With seed 0 the first random value (38) is even: the first shot sounds; the second
    // value (7719) is odd: the jump shot is silent.
    const std::map<int64_t, std::vector<std::string>> sounds = {{2, musicStart("././wav/level1.wav")},
                                                                {17, shotSound("./wav/shot00.wav")},
                                                                {83, shotSound("./wav/win.wav")},
                                                                {383, {"effect ./wav/back.wav"}}};
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(386, sounds)), "");
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.value("script_counter"), 5);
    EXPECT_EQ(run.value("countdown"), 0);
    EXPECT_EQ(run.value("result"), 1);
    // The table stays as the stage left it: the player and the three blocks; everything else
    // was destroyed, flew off or ran into the shield.
    EXPECT_EQ(run.value("entities"), 4);

    // Stage frame 10: the middle layer has scrolled 10 pixels (half of 2 a frame), the near
    // layer and the tiles 20.
    const Surface s12 = shot(12);
    EXPECT_EQ(pixel(s12, 400, 10), kFar);
    EXPECT_EQ(pixel(s12, 150, 60), kMiddle);
    EXPECT_EQ(pixel(s12, 189, 60), kMiddle);  // band column 199
    EXPECT_EQ(pixel(s12, 190, 60), kFar);
    EXPECT_EQ(pixel(s12, 789, 60), kFar);
    EXPECT_EQ(pixel(s12, 790, 60), kMiddle);  // band column 0, wrapped round
    EXPECT_EQ(pixel(s12, 79, 110), kNear);    // band column 99
    EXPECT_EQ(pixel(s12, 80, 110), kFar);
    EXPECT_EQ(pixel(s12, 780, 110), kNear);
    // Tiles from y 160, shifted 20 pixels: screen x shows tile column (x + 20) mod 40.
    for (int y : {160, 179, 180, 599}) {
        EXPECT_EQ(pixel(s12, 0, y), kTileRight) << y;
        EXPECT_EQ(pixel(s12, 19, y), kTileRight) << y;
        EXPECT_EQ(pixel(s12, 20, y), kTileLeft) << y;
        EXPECT_EQ(pixel(s12, 39, y), kTileLeft) << y;
    }
    EXPECT_EQ(pixel(s12, 20, 159), kFar);
    // The player stands on its block; each pattern has had 10 frames: the swing, the square
    // and the diamond moved down (and right) 10, the crate and the rock fell 70.
    EXPECT_TRUE(filled(s12, {64, 368, 32, 32}, kPlayer));
    EXPECT_TRUE(filled(s12, {48, 400, 64, 16}, kBlock));
    EXPECT_TRUE(filled(s12, {120, 360, 64, 16}, kBlock));
    EXPECT_TRUE(filled(s12, {250, 203, 32, 32}, kSwing));
    EXPECT_TRUE(filled(s12, {330, 382, 32, 32}, kSquare));
    EXPECT_TRUE(filled(s12, {530, 380, 32, 32}, kDiamond));
    // The circle has taken ten truncated steps round its ring to (428, 401); one of its own
    // shots, just fired, covers a corner of it.
    EXPECT_EQ(countEverywhere(s12, kCircle), countColour(s12, {428, 401, 32, 32}, kCircle));
    EXPECT_GT(countEverywhere(s12, kCircle), 32 * 28);
    EXPECT_TRUE(filled(s12, {640, 270, 32, 32}, kCrate));
    // The movers, 5 pixels a frame: right (pattern 1), right again (pattern 6, direction 8:
    // sin is exactly 1, and the tiny cosine step is truncated away), left (7 and 8).
    EXPECT_TRUE(filled(s12, {750, 40, 32, 32}, kMover));
    EXPECT_TRUE(filled(s12, {690, 80, 32, 32}, kMover));
    EXPECT_TRUE(filled(s12, {100, 120, 32, 32}, kMover));
    EXPECT_TRUE(filled(s12, {50, 20, 32, 32}, kMover));
    EXPECT_TRUE(filled(s12, {760, 240, 16, 16}, kRock));

    // The firing frame shows the player's alternate picture while its weapon reloads, and
    // the shot, already moved once, on the player's centre row.
    const Surface s17 = shot(17);
    EXPECT_EQ(countColour(s17, {72, 368, 32, 32}, kPlayerFiring), 32 * 32 - 8 * 8);
    EXPECT_TRUE(filled(s17, {96, 384, 8, 8}, kPlayerShot));  // drawn over the player

    // Just before the last opponent goes, and as it goes: the won banner at (320, 288).
    const Surface s82 = shot(82);
    EXPECT_TRUE(filled(s82, {640, 392, 32, 32}, kCrate));
    for (uint32_t gone : {kSwing, kSquare, kDiamond, kCircle}) EXPECT_EQ(countEverywhere(s82, gone), 0) << gone;
    EXPECT_GT(countEverywhere(s82, kSpark), 0);
    EXPECT_EQ(countColour(s82, kBannerOnScreen, kWonColour), 0);
    const Surface s83 = shot(83);
    EXPECT_EQ(countEverywhere(s83, kCrate), 0);
    EXPECT_TRUE(filled(s83, kBannerOnScreen, kWonColour));

    // The stage's last frame stays on the window until the script's picture is up.
    EXPECT_TRUE(filled(shot(382), kBannerOnScreen, kWonColour));
    EXPECT_EQ(differences(shot(385), shot(382)), 0);
    EXPECT_TRUE(filled(shot(386), {0, 0, 800, 600}, kAfter));
}

TEST_F(ShootingReplay, APlayerThatFallsOffTheBottomLosesAndTheStageIsReplayed) {
    // Holding Right from the start carries the player past its block: in stage frame 10,
    // when it first falls within 48 of the block's y, it is already 56 to the right. It falls
    // on, at y 308 + 10 (k - 5) after stage frame k: 608 after frame 35, so the clamp of
    // frame 36 (game frame 38) removes it: lost. The restart comes in frame 38 + 299 = 337,
    // and the replay, with Right still held, loses again 36 frames later, in 373.
    ASSERT_TRUE(writeText("input.txt", "1 key down RIGHT\n"));
    const ReplayRun run = runReplay(373, "--input input.txt --time 0", {30, 38, 337, 338});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::map<int64_t, std::vector<std::string>> sounds = {{2, musicStart("././wav/level1.wav")},
                                                                {38, shotSound("./wav/lost.wav")},
                                                                {337, musicStart("././wav/level1.wav")},
                                                                {373, shotSound("./wav/lost.wav")}};
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(373, sounds)), "");
    EXPECT_EQ(run.value("mode"), 3);
    EXPECT_EQ(run.value("script_counter"), 2);
    EXPECT_EQ(run.value("countdown"), 299);
    EXPECT_EQ(run.value("result"), 0);

    EXPECT_TRUE(filled(shot(30), {176, 538, 32, 32}, kPlayer));  // stage frame 28
    const Surface lost = shot(38);
    EXPECT_EQ(countEverywhere(lost, kPlayer), 0);
    EXPECT_TRUE(filled(lost, kBannerOnScreen, kLostColour));
    // The restart frame is still drawn as the lost stage; the next one is the replay's first.
    EXPECT_TRUE(filled(shot(337), kBannerOnScreen, kLostColour));
    const Surface replayed = shot(338);
    EXPECT_TRUE(filled(replayed, {68, 288, 32, 32}, kPlayer));
    EXPECT_TRUE(filled(replayed, {250, 194, 32, 32}, kSwing));  // back at its start, one frame on
    EXPECT_EQ(countColour(replayed, kBannerOnScreen, kLostColour), 0);
}

}  // namespace
