// A whole battle stage played through sortie-replay: units of kinds 0 and 3, a block, a
// timed hazard, straight, lobbed and homing shots; one run steers with the right button,
// turns with the arrow keys and fires with the left button and wins, another does nothing
// and loses; either way variable 0 carries the result back to the script. The numbers below
// follow from the stage's rules; the comments say how.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"

namespace {

using namespace replay;

constexpr uint32_t kAfter = 0x5050A0;
constexpr uint32_t kReady = 0x336699;
constexpr uint32_t kFar = 0x202060;
constexpr uint32_t kMiddle = 0xD0D030;
constexpr uint32_t kNear = 0x30D0D0;
constexpr uint32_t kTile = 0x806040;
constexpr uint32_t kLobbed = 0xFF8000;
constexpr uint32_t kTower = 0x8000FF;
constexpr uint32_t kBlock = 0xA0A0A0;
constexpr uint32_t kHazard = 0xFF4040;

// Directional sprites have eight frames side by side, each of its own colour.
uint32_t playerFrame(int f) { return 0xE00000 + 0x10 * f; }
uint32_t gunnerFrame(int f) { return 0x00E000 + 0x10 * f; }
uint32_t homingFrame(int f) { return 0xE0E000 + 0x10 * f; }
uint32_t towerShotFrame(int f) { return 0x00E0E0 + f; }

std::vector<Paint> frames(int x, int y, int w, int h, uint32_t (*colour)(int)) {
    std::vector<Paint> paints;
    for (int f = 0; f < 8; ++f) paints.push_back({{x + w * f, y, w, h}, colour(f)});
    return paints;
}

class BattleReplay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, kWhite));
        ASSERT_TRUE(writePlainBmp("bmp/zyunbi.bmp", 800, 600, kReady));
        ASSERT_TRUE(writePlainBmp("bmp/after.bmp", 800, 600, kAfter));
        std::vector<Paint> sheet = frames(0, 0, 24, 24, playerFrame);
        for (const auto& more : {frames(0, 24, 24, 24, gunnerFrame), frames(0, 48, 16, 16, homingFrame),
                                 frames(0, 64, 8, 8, towerShotFrame),
                                 frames(64, 64, 8, 8, [](int f) { return 0x606060u + f; })})
            sheet.insert(sheet.end(), more.begin(), more.end());
        for (const Paint& p : std::vector<Paint>{{{0, 120, 8, 8}, 0xFFFF80},      // straight shot
                                                 {{16, 120, 12, 12}, kLobbed},
                                                 {{32, 120, 32, 32}, kTower},
                                                 {{64, 120, 32, 32}, 0x404040},  // wreck
                                                 {{96, 120, 40, 40}, kBlock},
                                                 {{136, 120, 40, 40}, kHazard},
                                                 {{176, 120, 48, 48}, 0xFFC0C0},  // blast
                                                 {{0, 200, 20, 20}, kTile}})      // its right half is black
            sheet.push_back(p);
        writeSheet(sheet);
        writePainted("bmp/back1.bmp", 800, 600, kBlack, {{{0, 100, 100, 40}, kNear}});
        writePainted("bmp/back2.bmp", 800, 600, kBlack, {{{0, 40, 200, 40}, kMiddle}});
        ASSERT_TRUE(writePlainBmp("bmp/back3.bmp", 800, 600, kFar));
        ASSERT_TRUE(writeWav("wav/level2.wav", 60000));
        ASSERT_TRUE(writeText("data/advfile.dat",
                              "varset 0 5\nkh 2\nwav ./wav/back.wav\ndrawtext 0 380 200 @0\nbmp ./bmp/after.bmp\n"));
        ASSERT_TRUE(writeText(
            "data/charlist.txt",
            "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN\n"
            "0,0,0,24,24,30,2,4,16,10,20,0,0,0,0,0,0,400\n"       // player: manual weapon 0 fires 10,
            "0,0,0,24,24,30,2,4,16,11,60,0,0,0,0,0,0,300\n"       // automatic weapon 1 lobs 11
            "10,0,120,8,8,1,5,8,8,0,0,1,0,0,0,0,0,0\n"            // straight shot (TYP 1)
            "11,16,120,12,12,1,0,12,8,0,0,10,0,12,0,0,0,0\n"      // lobbed shot (TYP 10), leaves 12
            "12,176,120,48,48,99,5,0,120,0,0,7,0,0,0,0,0,0\n"     // blast (TYP 7): hurts kind 3
            "20,0,24,24,24,3,0,0,24,21,34,0,0,26,0,0,0,500\n"     // gunner (TYP 0), fires homing 21
            "21,0,48,16,16,1,3,3,8,0,0,22,0,0,0,0,0,0\n"          // homing shot (TYP 22)
            "22,32,120,32,32,5,0,0,32,23,0,3,0,26,0,0,0,300\n"    // tower (TYP 3), fires 23
            "23,0,64,8,8,1,2,4,8,0,0,12,0,0,0,0,0,0\n"            // tower shot (TYP 12)
            "24,96,120,40,40,99,0,0,40,0,0,2,0,0,0,0,0,0\n"       // block (TYP 2)
            "25,136,120,40,40,99,15,0,40,0,0,6,0,0,0,0,0,0\n"     // hazard (TYP 6): 15 damage
            "26,64,120,32,32,1,0,0,8,0,0,5,0,0,0,0,0,0\n"         // wreck (TYP 5)
            "63,64,64,8,8,1,0,0,4,0,0,5,0,0,0,0,0,0\n"));         // trail mark (TYP 5)
        ASSERT_TRUE(writeText("data/level2.txt",
                              "50,1,2,3\n"
                              "54,4,0,200,40,20,500 / scroll 4; tiles of 40 x 20 from y 500\n"
                              "61,2\n"
                              "53,20,1,0,700,342,0,0 / 1: gunner, pushed up to y 298 by the block\n"
                              "53,22,1,0,420,520,0,0 / 2: tower\n"
                              "53,24,1,0,700,362,0,0 / 3: block\n"
                              "53,25,1,500,64,400,0,0 / 4: hazard for 501 frames\n"));
    }

    TempGameFolder folder;
};

// Frame 1 sets variable 0 to 5, frame 2 runs `kh 2`, frame 3 builds the stage, battle frame
// k is game frame k + 3. The player starts at (64, 288) heading down (angle 0) at 4 pixels a
// frame; the hazard lies 112 pixels below it.
TEST_F(BattleReplay, SteeringTurningAndFiringWinTheBattle) {
    // The right button at (400, 288) in frame 4 turns the player 1/16 a frame toward that
    // point, away from the hazard; it arrives within 64 of it in frame 105, heading 1.9375,
    // and drives up and right. Right held for frames 113 to 118 turns it by 6/16 to 1.5625,
    // where each frame adds trunc(4 sin) = 3 to x and trunc(4 cos) = 0 to y: it drives level
    // along y 298, the row of the gunner. The left click on the gunner in frame 121, from
    // (390, 298), fires the manual weapon due right (bearing exactly pi/2): 8 pixels a frame
    // from x 398 after that frame, within (24 + 8) / 2 of the gunner at x 700 in frame 157.
    ASSERT_TRUE(writeText("input.txt",
                          "4 mouse move 400 288\n4 mouse down right\n5 mouse up right\n"
                          "113 key down RIGHT\n119 key up RIGHT\n"
                          "121 mouse move 700 298\n121 mouse down left\n122 mouse up left\n"));
    const ReplayRun run = runReplay(461, "--input input.txt --time 0", {2, 3, 4, 141, 157, 456, 460, 461});
    ASSERT_EQ(run.status, 0) << run.err;

    // Before that, the automatic weapon lobbed a shot at the tower as soon as it came within
    // 300 (frame 53); its blast, where it landed in frame 78, destroyed the tower. So the
    // gunner is the last opponent: won in frame 157, handed back in 157 + 299 = 456 with
    // variable 0 = 1, and the script's next command plays its sound in 457. With seed 0 the
    // manual shot's random value (38) is even: it sounds. One of the gunner's homing shots,
    // met head on, still hits the player in frame 174, during the countdown.
    const std::map<int64_t, std::vector<std::string>> sounds = {{3, musicStart("././wav/level2.wav")},
                                                                {121, shotSound("./wav/shot00.wav")},
                                                                {157, shotSound("./wav/win.wav")},
                                                                {174, shotSound("./wav/mehit.wav")},
                                                                {457, {"effect ./wav/back.wav"}}};
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(461, sounds)), "");
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.value("stage"), 2);
    EXPECT_EQ(run.value("script_counter"), 13);
    EXPECT_EQ(run.vars()[0], 1);
    EXPECT_EQ(run.value("countdown"), 0);
    EXPECT_EQ(run.value("result"), 1);
    EXPECT_EQ(run.value("entities"), 4);  // the player, its trail mark, the block and the hazard

    // `kh` draws nothing; the stage is built behind the ready screen in frame 3.
    EXPECT_TRUE(filled(shot(2), {0, 20, 800, 580}, kWhite));  // still the loading screen
    EXPECT_TRUE(filled(shot(3), {0, 0, 800, 600}, kReady));

    // Battle frame 1: the middle layer has moved 2 pixels, the near layer and the tiles 4;
    // the tiles' black half shows the far layer. The player turned once (1/16, frame 0); the
    // gunner, pushed up out of the block, turned once toward the player, to 2 pi - 1/24
    // (frame 0 as well).
    const Surface s4 = shot(4);
    EXPECT_EQ(pixel(s4, 197, 60), kMiddle);
    EXPECT_EQ(pixel(s4, 198, 60), kFar);
    EXPECT_EQ(pixel(s4, 798, 60), kMiddle);
    EXPECT_EQ(pixel(s4, 95, 110), kNear);
    EXPECT_EQ(pixel(s4, 96, 110), kFar);
    EXPECT_EQ(pixel(s4, 796, 110), kNear);
    for (int y : {500, 599}) {
        EXPECT_EQ(pixel(s4, 0, y), kTile) << y;  // tile column 4
        EXPECT_EQ(pixel(s4, 15, y), kTile) << y;
        EXPECT_EQ(pixel(s4, 16, y), kFar) << y;  // tile column 20: black
        EXPECT_EQ(pixel(s4, 35, y), kFar) << y;
        EXPECT_EQ(pixel(s4, 36, y), kTile) << y;
    }
    EXPECT_EQ(pixel(s4, 0, 499), kFar);
    EXPECT_TRUE(filled(s4, {52, 279, 24, 24}, playerFrame(0)));  // centred on (64, 291)
    EXPECT_TRUE(filled(s4, {688, 286, 24, 24}, gunnerFrame(0)));
    EXPECT_TRUE(filled(s4, {404, 504, 32, 32}, kTower));
    EXPECT_TRUE(filled(s4, {680, 342, 40, 40}, kBlock));
    EXPECT_TRUE(filled(s4, {44, 380, 40, 40}, kHazard));

    // Frame 141: the player at (453, 298) faces right (frame 2), the gunner faces it (frame
    // 6), as do its homing shots; a tower shot still flies at heading 4.03 (frame 5). The
    // second lobbed shot, fired at the gunner from (402, 298) in frame 125 with vspeed
    // (298 / 12) / 2 = 12, has flown 17 frames: at (606, 298) and 12 + 11 + ... - 4 = 68 up.
    const Surface s141 = shot(141);
    EXPECT_TRUE(filled(s141, {441, 286, 24, 24}, playerFrame(2)));
    EXPECT_TRUE(filled(s141, {699, 286, 13, 24}, gunnerFrame(6)));  // a homing shot covers its left
    EXPECT_TRUE(filled(s141, {618, 290, 16, 16}, homingFrame(6)));
    EXPECT_TRUE(filled(s141, {203, 374, 8, 8}, towerShotFrame(5)));
    EXPECT_TRUE(filled(s141, {600, 224, 12, 12}, kLobbed));
    EXPECT_EQ(countEverywhere(s141, kLobbed), 12 * 12);
    EXPECT_EQ(countEverywhere(s141, kTower), 0);

    EXPECT_EQ(countEverywhere(shot(157), gunnerFrame(6)), 0);
    EXPECT_TRUE(filled(shot(157), kBannerOnScreen, kWonColour));
    // The battle's last frame stays up until the script's picture shows variable 0.
    EXPECT_TRUE(filled(shot(456), kBannerOnScreen, kWonColour));
    EXPECT_EQ(differences(shot(460), shot(456)), 0);
    EXPECT_EQ(differences(shot(461), pictureScreen(kAfter, {{380, 200, "1"}})), 0);
    EXPECT_GT(glyphPixels(shot(461), {380, 200, "1"}), 10);
}

TEST_F(BattleReplay, DrivingIntoTheHazardLosesTheBattle) {
    // Without input the player drives straight down, 4 pixels a frame: after battle frame 22
    // (game frame 25) it is at y 376, less than (16 + 40) / 2 from the hazard's centre: 15
    // damage and 8 frames of guard, during which it blinks (drawn on even battle frames
    // only). The hit of frame 33 takes its last 15: lost, and the result goes back in frame
    // 33 + 299 = 332.
    const ReplayRun run = runReplay(337, "--time 0", {25, 26, 27, 33, 337});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::map<int64_t, std::vector<std::string>> sounds = {{3, musicStart("././wav/level2.wav")},
                                                                {25, shotSound("./wav/mehit.wav")},
                                                                {33, shotSound("./wav/lost.wav")},
                                                                {333, {"effect ./wav/back.wav"}}};
    EXPECT_EQ(firstDifference(run.trace, expectedTrace(337, sounds)), "");
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.vars()[0], 0);
    EXPECT_EQ(run.value("result"), 0);
    // The gunner, the tower, the block, the hazard and the gunner's trail mark of the moment.
    EXPECT_EQ(run.value("entities"), 5);

    // The hazard, drawn after the player, covers its rows from y 380.
    EXPECT_TRUE(filled(shot(25), {52, 364, 24, 16}, playerFrame(0)));
    EXPECT_EQ(countEverywhere(shot(26), playerFrame(0)), 0);
    EXPECT_TRUE(filled(shot(27), {52, 372, 24, 8}, playerFrame(0)));
    const Surface lost = shot(33);
    EXPECT_EQ(countEverywhere(lost, playerFrame(0)), 0);
    EXPECT_TRUE(filled(lost, kBannerOnScreen, kLostColour));
    EXPECT_EQ(differences(shot(337), pictureScreen(kAfter, {{380, 200, "0"}})), 0);
}

}  // namespace
