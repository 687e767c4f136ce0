#include <cmath>
#include <limits>

#include "battle/battle.h"
#include "battle/battle_draw.h"
#include "battle/weapons.h"
#include "battle_support.h"
#include "platform/surface.h"

namespace {

constexpr uint32_t kFar = 0x101010;
constexpr uint32_t kBlockColour = 0x00FF00;
constexpr uint32_t kShotColour = 0x0000FF;
constexpr uint32_t kWonColour = 0xAA0000;
constexpr uint32_t kLostColour = 0x00AA00;
constexpr uint32_t kTileLeft = 0x808080;
constexpr uint32_t kTileRight = 0x404040;
uint32_t frameColour(int f) { return 0x200000 + static_cast<uint32_t>(f) * 0x10; }

constexpr int kUnit = 1;
constexpr int kBlock = 2;
constexpr int kShot = 3;
constexpr int kMark = 4;

void fillRect(Surface& s, int x, int y, int w, int h, uint32_t colour) {
    for (int yy = y; yy < y + h; ++yy) {
        for (int xx = x; xx < x + w; ++xx) s.row(yy)[xx] = colour;
    }
}

class DrawTest : public BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        for (int slot = 0; slot < kSurfaceCount; ++slot) resizeSurface(SurfaceTable[slot], 800, 600, kBlack);
        resizeSurface(SurfaceTable[kFarLayer], 800, 600, kFar);
        resizeSurface(windowDC, 800, 600, kWhite);
        buildMask(kNearMask);  // black layers over white masks: the scrolling layers are clear
        buildMask(kMiddleMask);
        Surface& sheet = SurfaceTable[kCharSheet];
        for (int f = 0; f < 8; ++f) fillRect(sheet, 16 * f, 0, 16, 16, frameColour(f));
        fillRect(sheet, 0, 32, 32, 32, kBlockColour);
        fillRect(sheet, 200, 0, 8, 8, kShotColour);
        fillRect(sheet, 300, 0, 8, 8, kTileLeft);
        fillRect(sheet, 308, 0, 8, 8, kTileRight);
        fillRect(sheet, 0, 82, 138, 19, kWonColour);
        fillRect(sheet, 0, 101, 138, 19, kLostColour);
        SurfaceTable[kCharMask] = sheet;
        buildMask(kCharMask);

        sprite(defineTemplate(0, 0, 10, 1, 0, 16), 0, 0, 16, 16);
        sprite(defineTemplate(kUnit, 0, 10, 1, 0, 16), 0, 0, 16, 16);
        sprite(defineTemplate(kBlock, 2, 1, 0, 0, 32), 0, 32, 32, 32);
        sprite(defineTemplate(kShot, 10, 1, 0, 0, 8), 200, 0, 8, 8);
        sprite(defineTemplate(kMark, 5, 1, 0, 0, 0), 0, 0, 16, 16);
        startStage();
        EntityTable[kPlayerSlot].x = 50;  // out of the way of the pixels under test
        EntityTable[kPlayerSlot].y = 550;
        opponentsLeft = 1;
    }

    static void sprite(CharTemplate& t, int lef, int top, int wid, int hei) {
        t.LEF = lef;
        t.TOP = top;
        t.WID = wid;
        t.HEI = hei;
    }

    uint32_t pixel(int x, int y) { return SurfaceTable[kBackBuffer].row(y)[x]; }
};

}  // namespace

TEST(DirectionFrame, StoredBoundaries) {
    EXPECT_EQ(directionFrame(0.39), 0);
    EXPECT_EQ(directionFrame(0.3927), 1);
    EXPECT_EQ(directionFrame(6.0), 0);
    EXPECT_EQ(directionFrame(0.39269908169872375), 1);
    EXPECT_EQ(directionFrame(1.5707963), 2);
    EXPECT_EQ(directionFrame(3.14159265358979), 4);
    EXPECT_EQ(directionFrame(4.7123889), 6);
    EXPECT_EQ(directionFrame(5.8904862), 7);
    EXPECT_EQ(directionFrame(-0.5), 0);
    EXPECT_EQ(directionFrame(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(DrawTest, UnitsShowTheirDirectionFrame) {
    const int a = place(kUnit, 1, 100, 100);
    const int b = place(kUnit, 1, 200, 100);
    const int c = place(kUnit, 1, 300, 100);
    EntityTable[a].angle = 0.39;
    EntityTable[b].angle = 0.3927;
    EntityTable[c].angle = 4.0;
    battleDraw();
    EXPECT_EQ(pixel(100, 100), frameColour(0));
    EXPECT_EQ(pixel(200, 100), frameColour(1));
    EXPECT_EQ(pixel(300, 100), frameColour(5));
    // Centred: 16 wide from x - 8.
    EXPECT_EQ(pixel(92, 92), frameColour(0));
    EXPECT_EQ(pixel(91, 100), kFar);
    EXPECT_EQ(pixel(108, 100), kFar);
}

TEST_F(DrawTest, BlocksLieUnderEveryUnitWhateverTheSlots) {
    place(kUnit, 1, 200, 200);
    place(kBlock, 1, 200, 200);
    place(kBlock, 1, 400, 200);
    place(kUnit, 1, 400, 200);
    battleDraw();
    EXPECT_EQ(pixel(200, 200), frameColour(0));
    EXPECT_EQ(pixel(400, 200), frameColour(0));
    EXPECT_EQ(pixel(186, 200), kBlockColour);
    EXPECT_EQ(pixel(386, 200), kBlockColour);
}

TEST_F(DrawTest, MarksLieUnderShotsWithTheirDirectionFrame) {
    const int shot = place(kShot, 1, 600, 100);
    const int mark = place(kMark, 1, 600, 100);
    EntityTable[mark].angle = kHalfPi;
    EntityTable[shot].angle = kHalfPi;  // plain: no frame for this kind
    battleDraw();
    EXPECT_EQ(pixel(600, 100), kShotColour);
    EXPECT_EQ(pixel(594, 100), frameColour(2));
}

TEST_F(DrawTest, LobbedShotsAreLiftedByTheirHeight) {
    const int n = place(kShot, 1, 500, 300);
    EntityTable[n].z = 40;
    battleDraw();
    EXPECT_EQ(pixel(500, 260), kShotColour);
    EXPECT_EQ(pixel(496, 256), kShotColour);
    EXPECT_EQ(pixel(500, 300), kFar);
}

TEST_F(DrawTest, GuardedObjectsBlink) {
    const int n = place(kUnit, 1, 300, 300);
    EntityTable[n].guard = 8;
    std::vector<bool> shown;
    for (int frame = 0; frame < 4; ++frame) {
        battleDraw();
        shown.push_back(pixel(300, 300) == frameColour(0));
    }
    EXPECT_EQ(shown, (std::vector<bool>{false, true, false, true}));
    EntityTable[n].guard = 0;
    battleDraw();
    EXPECT_EQ(pixel(300, 300), frameColour(0));
}

TEST_F(DrawTest, BannersFollowTheOpponentsAndThePlayer) {
    battleDraw();
    EXPECT_EQ(pixel(320, 288), kFar);
    EntityTable[kPlayerSlot].inUse = 0;
    battleDraw();
    EXPECT_EQ(pixel(320, 288), kLostColour);
    EXPECT_EQ(pixel(457, 306), kLostColour);
    EXPECT_EQ(pixel(458, 306), kFar);
    opponentsLeft = 0;
    battleDraw();
    EXPECT_EQ(pixel(320, 288), kWonColour);
    EntityTable[kPlayerSlot].inUse = 1;
    battleDraw();
    EXPECT_EQ(pixel(400, 300), kWonColour);
}

TEST_F(DrawTest, FrameIsPresented) {
    place(kUnit, 1, 300, 300);
    battleDraw();
    EXPECT_EQ(hp.presentCount, 1);
    ASSERT_EQ(hp.shown.width, 800);
    EXPECT_EQ(hp.shown.pixels, SurfaceTable[kBackBuffer].pixels);
}

TEST_F(DrawTest, GroundTilesAreTransparentAndScroll) {
    StageParams = StageParamsRecord{4, 300, 0, 16, 16, 500};
    battleDraw();
    EXPECT_EQ(battleGroundScroll, 4);
    EXPECT_EQ(pixel(0, 500), kTileLeft);    // tile column 4
    EXPECT_EQ(pixel(4, 500), kTileRight);   // tile column 8
    EXPECT_EQ(pixel(12, 500), kTileLeft);   // the next tile
    EXPECT_EQ(pixel(0, 510), kFar);         // black half of the tile
    EXPECT_EQ(pixel(0, 499), kFar);
    EXPECT_EQ(pixel(799, 596), kTileLeft);   // column 3 of the last tile, cut by the edge
    EXPECT_EQ(pixel(795, 590), kFar);
    for (int frame = 0; frame < 3; ++frame) battleDraw();
    EXPECT_EQ(battleGroundScroll, 16);  // the full width is kept, not wrapped
    battleDraw();
    EXPECT_EQ(battleGroundScroll, 4);
}

TEST_F(DrawTest, GroundWithoutSizeDrawsNoTiles) {
    StageParams = StageParamsRecord{4, 300, 0, 0, 16, 500};
    battleDraw();
    EXPECT_EQ(pixel(0, 500), kFar);
    StageParams = StageParamsRecord{4, 300, 0, 16, -3, 500};
    battleDraw();
    EXPECT_EQ(pixel(0, 500), kFar);
}

TEST_F(DrawTest, GroundFarAboveTheScreenStartsAtTheFirstVisibleRow) {
    StageParams = StageParamsRecord{0, 300, 0, 16, 1, std::numeric_limits<int32_t>::min()};
    battleDraw();
    EXPECT_EQ(pixel(0, 0), kTileLeft);
    EXPECT_EQ(pixel(0, 599), kTileLeft);
}

TEST_F(DrawTest, ScenerySpeedsAndWrap) {
    StageParams.scrollSpeed = 3;
    for (int frame = 0; frame < 3; ++frame) battleDraw();
    EXPECT_EQ(battleMidScroll, 3);
    EXPECT_EQ(battleNearScroll, 9);
    battleMidScroll = 799;
    battleNearScroll = 798;
    battleDraw();
    EXPECT_EQ(battleMidScroll, 800);  // drawn as the whole second piece
    EXPECT_EQ(battleNearScroll, 1);
    battleDraw();
    EXPECT_EQ(battleMidScroll, 1);
}

TEST_F(DrawTest, ScrollingOutsideTheRangeWrapsByModulo) {
    StageParams.scrollSpeed = -6;
    StageParams.groundWidth = 16;
    battleDraw();
    EXPECT_EQ(battleMidScroll, 797);
    EXPECT_EQ(battleNearScroll, 794);
    EXPECT_EQ(battleGroundScroll, 10);
    StageParams.scrollSpeed = 2000;
    battleDraw();
    EXPECT_EQ(battleMidScroll, (797 + 1000) % 800);
    EXPECT_EQ(battleNearScroll, (794 + 2000) % 800);
}

TEST_F(DrawTest, ScrollingLayersMoveLeftAndWrap) {
    fillRect(SurfaceTable[kMiddleLayer], 10, 0, 1, 600, 0xFF0000);
    fillRect(SurfaceTable[kNearLayer], 20, 0, 1, 600, 0x0000FE);
    SurfaceTable[kMiddleMask] = SurfaceTable[kMiddleLayer];
    SurfaceTable[kNearMask] = SurfaceTable[kNearLayer];
    buildMask(kMiddleMask);
    buildMask(kNearMask);
    StageParams.scrollSpeed = 30;
    battleDraw();
    EXPECT_EQ(pixel(10 - 15 + 800, 5), 0xFF0000u);
    EXPECT_EQ(pixel(20 - 30 + 800, 5), 0x0000FEu);
    EXPECT_EQ(pixel(10, 5), kFar);
    battleMidScroll = 799;  // + 15, then wrapped to 14
    battleDraw();
    EXPECT_EQ(pixel(10 - 14 + 800, 5), 0xFF0000u);
    battleMidScroll = 785;  // + 15 = 800 exactly: unshifted
    battleDraw();
    EXPECT_EQ(battleMidScroll, 800);
    EXPECT_EQ(pixel(10, 5), 0xFF0000u);
}

TEST_F(DrawTest, ObjectsFarOffTheFieldAreClipped) {
    const int n = place(kUnit, 1, std::numeric_limits<int32_t>::min() + 3, 300);
    const int m = place(kShot, 1, 300, std::numeric_limits<int32_t>::max());
    EntityTable[m].z = std::numeric_limits<int32_t>::min();
    EntityTable[n].WID = std::numeric_limits<int32_t>::max();
    EntityTable[n].LEF = std::numeric_limits<int32_t>::max();
    battleDraw();
    EXPECT_EQ(pixel(0, 300), kFar);
}
