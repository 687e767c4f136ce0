// The scenery both stages draw around their objects: the still far layer, the two layers
// that scroll left and wrap around, the band of ground tiles, masked sprites from the
// character sheet, and the outcome banner. Each stage keeps its own scroll offsets.
#pragma once
#include <cstdint>

// The outcome banner shows at (kBannerX, kBannerY); both banners sit at the sheet's left edge.
constexpr int kBannerX = 320;
constexpr int kBannerY = 288;
constexpr int kBannerWidth = 138;
constexpr int kBannerHeight = 19;
constexpr int kWonBannerTop = 82;
constexpr int kLostBannerTop = 101;

// Adds `step` to a scroll offset that wraps every `period` pixels: above the period it loses
// one period (so the period itself is drawn). A value one subtraction cannot bring back into
// 0 to period (a negative or huge step) is wrapped by a true modulo, so no copy reads outside
// its picture.
int32_t advanceScroll(int32_t offset, int32_t step, int32_t period);

// Opaque copy of the far layer over the whole back buffer.
void drawFarLayer();
// The layer in `pictureSlot` moved left by `offset` (0 to 800) and wrapped: both mask pieces
// by AND, then both picture pieces by OR.
void drawScrollingLayer(int maskSlot, int pictureSlot, int32_t offset);
// What drawFarLayer and drawScrollingLayer for the middle layer (offset `middle`) then the
// near layer (offset `near`) leave, in one pass over the screen when every picture covers
// it. Rows from `coveredFrom` down may be left as they are: the caller covers them whole.
void drawLayers(int32_t middle, int32_t near, int32_t coveredFrom);
// The first row that opaque ground tiles (drawGroundTiles, not transparent) will cover from
// edge to edge this frame, or the screen height when they may leave gaps.
int32_t opaqueGroundTop();
// Tiles the ground rectangle of the character sheet from groundTop down to the bottom edge,
// starting `groundScroll` pixels left of the screen's edge; opaque or masked. Draws nothing
// without a positive tile width and height.
void drawGroundTiles(int32_t groundScroll, bool transparent);
// A rectangle of the character sheet at (dx, dy), pure black transparent.
void drawSprite(int64_t dx, int64_t dy, int64_t w, int64_t h, int64_t sx, int64_t sy);
// The won banner when no opponent is left, else the lost banner when the player is gone.
void drawOutcomeBanner();
