#include <gtest/gtest.h>

#include "platform/surface.h"
#include "shooting/shooting_draw.h"
#include "stage_fixture.h"

namespace {

constexpr uint32_t kFar = 0x101010;
constexpr uint32_t kMid = 0x00FF00;
constexpr uint32_t kNear = 0xFF0000;
constexpr uint32_t kGround = 0x0000FF;
constexpr uint32_t kTileEdge = 0x0000F0;  // the tile's left column
constexpr uint32_t kTileTop = 0x0000F1;   // the tile's top row
constexpr uint32_t kSprite = 0xFFFF00;
constexpr uint32_t kAltSprite = 0x00FFFF;
constexpr uint32_t kFoeSprite = 0xFF00FF;
constexpr uint32_t kWonBanner = 0x123456;
constexpr uint32_t kLostBanner = 0x654321;

void fillRect(Surface& s, int x, int y, int w, int h, uint32_t colour) {
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) s.row(yy)[xx] = colour;
}

void maskOf(int maskSlot, int pictureSlot) {
    SurfaceTable[maskSlot] = SurfaceTable[pictureSlot];
    buildMask(maskSlot);
}

uint32_t back(int x, int y) { return SurfaceTable[kBackBuffer].row(y)[x]; }

// Scenery with one stripe per scrolling layer, a ground tile with marked edges, three
// sprites and both banners on the sheet.
class ShootingScene : public ShootingStage {
protected:
    void SetUp() override {
        ShootingStage::SetUp();
        for (int slot : {kBackBuffer, kCharSheet, kNearLayer, kMiddleLayer, kFarLayer})
            resizeSurface(SurfaceTable[slot], kScreenWidth, kScreenHeight, kBlack);
        resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
        fillRect(SurfaceTable[kFarLayer], 0, 0, 800, 600, kFar);
        fillRect(SurfaceTable[kMiddleLayer], 100, 0, 10, 600, kMid);
        fillRect(SurfaceTable[kNearLayer], 105, 0, 10, 600, kNear);
        maskOf(kMiddleMask, kMiddleLayer);
        maskOf(kNearMask, kNearLayer);

        Surface& sheet = SurfaceTable[kCharSheet];
        fillRect(sheet, 0, 0, 16, 16, kSprite);
        sheet.row(5)[5] = kBlack;  // a transparent hole
        fillRect(sheet, 16, 0, 16, 16, kAltSprite);
        fillRect(sheet, 32, 0, 16, 16, kFoeSprite);
        fillRect(sheet, 0, 200, 40, 20, kGround);
        fillRect(sheet, 0, 200, 1, 20, kTileEdge);
        fillRect(sheet, 0, 200, 40, 1, kTileTop);
        fillRect(sheet, 0, 82, 138, 19, kWonBanner);
        fillRect(sheet, 0, 101, 138, 19, kLostBanner);
        maskOf(kCharMask, kCharSheet);

        StageParams = StageParamsRecord{0, 0, 200, 40, 20, 300};
        CharTable[kPlayerRow].WID = 16;
        CharTable[kPlayerRow].HEI = 16;
        CharTable[kPlayerRow].TAX = 16;
        CharTable[kFoeRow].LEF = 32;
        CharTable[kFoeRow].WID = 16;
        CharTable[kFoeRow].HEI = 16;
        resetShootingStage();
        player().x = 100;
        player().y = 290;
        opponentsLeft = 1;  // undecided: no banner
    }
};

}  // namespace

TEST_F(ShootingScene, LayersAreDrawnFarMiddleNearGroundObjectsAndPresented) {
    place(kFoeRow, 1, 108, 296);
    shootingDraw();
    EXPECT_EQ(back(50, 10), kFar);
    EXPECT_EQ(back(102, 10), kMid);
    EXPECT_EQ(back(107, 10), kNear);  // covers the middle layer, no mixing
    EXPECT_EQ(back(112, 10), kNear);
    EXPECT_EQ(back(120, 10), kFar);
    EXPECT_EQ(back(102, 350), kGround);  // the ground band hides the scenery
    EXPECT_EQ(back(0, 300), kTileTop);
    EXPECT_EQ(back(0, 301), kTileEdge);
    EXPECT_EQ(back(40, 321), kTileEdge);
    EXPECT_EQ(back(39, 321), kGround);
    EXPECT_EQ(back(101, 291), kSprite);
    EXPECT_EQ(back(101, 305), kSprite);  // objects over the ground
    EXPECT_EQ(back(105, 295), kNear);    // black sprite pixels show what lies beneath
    EXPECT_EQ(back(110, 300), kFoeSprite);  // later slots cover the player
    EXPECT_EQ(back(325, 302), kGround);     // no banner while undecided
    EXPECT_EQ(hp.presentCount, 1);
    EXPECT_EQ(hp.shown.pixels, SurfaceTable[kBackBuffer].pixels);
}

TEST_F(ShootingScene, AReloadingObjectShowsItsAlternateFrame) {
    player().cool[0] = 2;
    shootingDraw();
    EXPECT_EQ(back(101, 291), kAltSprite);
    EXPECT_EQ(back(105, 295), kAltSprite);
    player().cool[0] = 0;
    shootingDraw();
    EXPECT_EQ(back(101, 291), kSprite);
}

TEST_F(ShootingScene, TheBannerFollowsTheOpponentsAndThePlayer) {
    place(kFoeRow, 1, 320, 288);  // under the banner
    opponentsLeft = 0;
    shootingDraw();
    EXPECT_EQ(back(320, 288), kWonBanner);
    EXPECT_EQ(back(457, 306), kWonBanner);
    EXPECT_EQ(back(458, 295), kFar);
    player().inUse = 0;
    shootingDraw();
    EXPECT_EQ(back(325, 290), kWonBanner);  // a clear screen wins even without the player
    opponentsLeft = 3;
    shootingDraw();
    EXPECT_EQ(back(325, 290), kLostBanner);
    player().inUse = 1;
    shootingDraw();
    EXPECT_EQ(back(325, 290), kFoeSprite);
}

TEST_F(ShootingStage, AtScrollSpeed1TheMiddleLayerStandsStill) {
    StageParams = StageParamsRecord{1, 0, 0, 40, 20, 300};
    for (int f = 1; f <= 801; ++f) {
        shootingDraw();
        ASSERT_EQ(shootMidScroll, 0);
        ASSERT_EQ(shootNearScroll, f <= 800 ? f : f - 800);
        ASSERT_EQ(shootGroundScroll, (f - 1) % 40 + 1);  // 40 itself is drawn
    }
}

TEST_F(ShootingStage, AtScrollSpeed5TheMiddleLayerReaches800BeforeWrapping) {
    StageParams = StageParamsRecord{5, 0, 0, 40, 20, 300};
    for (int f = 1; f <= 401; ++f) {
        shootingDraw();
        ASSERT_EQ(shootMidScroll, f <= 400 ? 2 * f : 2);
        ASSERT_EQ(shootNearScroll, f <= 160 ? 5 * f : (5 * f - 1) % 800 + 1);
        ASSERT_EQ(shootGroundScroll, (5 * f - 1) % 40 + 1);
    }
}

TEST_F(ShootingScene, AScrolledLayerWrapsAroundTheScreen) {
    StageParams.scrollSpeed = 5;
    shootMidScroll = 796;
    shootNearScroll = 400;
    shootingDraw();  // middle at 798, near at 405
    EXPECT_EQ(back(102, 10), kMid);
    EXPECT_EQ(back(101, 10), kFar);
    EXPECT_EQ(back(500, 10), kNear);
    shootingDraw();  // middle at 800: the whole picture from the second piece
    EXPECT_EQ(shootMidScroll, 800);
    EXPECT_EQ(back(100, 10), kMid);
    EXPECT_EQ(back(109, 10), kMid);
    EXPECT_EQ(back(99, 10), kFar);
    EXPECT_EQ(back(110, 10), kFar);
    shootingDraw();  // 802 - 800
    EXPECT_EQ(back(98, 10), kMid);
    EXPECT_EQ(back(108, 10), kFar);
    EXPECT_EQ(back(25, 301), kTileEdge);  // ground at 15: tiles start at -15
}

TEST_F(ShootingScene, OutOfRangeScrollSpeedsWrapByModulo) {
    StageParams.scrollSpeed = -3;
    shootingDraw();
    EXPECT_EQ(shootMidScroll, 799);
    EXPECT_EQ(shootNearScroll, 797);
    EXPECT_EQ(shootGroundScroll, 37);
    EXPECT_EQ(back(108, 10), kNear);  // stripe at 105 + 3
    EXPECT_EQ(back(101, 10), kMid);   // stripe at 100 + 1
    EXPECT_EQ(back(3, 301), kTileEdge);

    StageParams.scrollSpeed = 2000;
    shootingDraw();
    EXPECT_EQ(shootMidScroll, (799 + 1000) % 800);
    EXPECT_EQ(shootNearScroll, (797 + 2000) % 800);
    EXPECT_EQ(shootGroundScroll, (37 + 2000) % 40);
}

TEST_F(ShootingScene, TilesWithoutAPeriodAreNotDrawn) {
    StageParams.groundWidth = 0;
    shootingDraw();
    EXPECT_EQ(back(102, 350), kMid);
    StageParams.groundWidth = 40;
    StageParams.groundHeight = -5;
    shootingDraw();
    EXPECT_EQ(back(102, 350), kMid);
}

TEST_F(ShootingScene, GroundFromFarAboveTheScreenKeepsItsRowPhase) {
    StageParams.groundTop = -2000000000;  // rows every 7 pixels; one starts at -5
    StageParams.groundHeight = 7;
    shootingDraw();
    EXPECT_EQ(back(10, 0), kGround);
    EXPECT_EQ(back(10, 2), kTileTop);
    EXPECT_EQ(back(10, 3), kGround);
    EXPECT_EQ(back(10, 597), kTileTop);
    EXPECT_EQ(back(102, 10), kGround);
}
