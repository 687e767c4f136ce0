#include "platform/surface.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <climits>
#include <random>
#include <string>

#include "platform/bitmap.h"
#include "platform/headless_platform.h"
#include "support/hostile_files.h"
#include "support/test_files.h"

namespace {

Surface filled(int w, int h, uint32_t colour) {
    Surface s;
    resizeSurface(s, w, h, colour);
    return s;
}

// A 4 x 1 picture whose pixels are 1, 2, 3, 4, for telling positions apart.
Surface ramp(int w) {
    Surface s = filled(w, 1, 0);
    for (int x = 0; x < w; ++x) s.row(0)[x] = static_cast<uint32_t>(x + 1);
    return s;
}

TEST(Blit, CopyAndOrCombineTheColourBits) {
    Surface dst = filled(2, 1, 0x0F0F0F);
    const Surface src = filled(2, 1, 0x3355FF);
    blit(dst, 0, 0, 1, 1, src, 0, 0, Rop::And);
    blit(dst, 1, 0, 1, 1, src, 0, 0, Rop::Or);
    EXPECT_EQ(dst.row(0)[0], 0x03050Fu);
    EXPECT_EQ(dst.row(0)[1], 0x3F5FFFu);
    blit(dst, 0, 0, 2, 1, src, 0, 0, Rop::Copy);
    EXPECT_EQ(dst.row(0)[0], 0x3355FFu);
    EXPECT_EQ(dst.row(0)[1], 0x3355FFu);
}

TEST(Blit, PixelsWhoseSourceIsOutsideThePictureStayAsTheyAre) {
    Surface dst = filled(6, 1, 0xAAAAAA);
    const Surface src = ramp(4);
    blit(dst, 0, 0, 6, 1, src, 2, 0, Rop::Copy);  // only source x 2 and 3 exist
    EXPECT_EQ(dst.row(0)[0], 3u);
    EXPECT_EQ(dst.row(0)[1], 4u);
    EXPECT_EQ(dst.row(0)[2], 0xAAAAAAu);

    dst = filled(6, 1, 0xAAAAAA);
    blit(dst, 1, 0, 3, 1, src, -1, 0, Rop::Copy);  // source x -1 does not exist
    EXPECT_EQ(dst.row(0)[1], 0xAAAAAAu);
    EXPECT_EQ(dst.row(0)[2], 1u);
    EXPECT_EQ(dst.row(0)[3], 2u);
}

TEST(Blit, ClipsToTheDestination) {
    Surface dst = filled(3, 3, 0);
    const Surface src = filled(3, 3, 0xFFFFFF);
    blit(dst, -2, -2, 3, 3, src, 0, 0, Rop::Copy);
    EXPECT_EQ(dst.row(0)[0], 0xFFFFFFu);
    EXPECT_EQ(dst.row(0)[1], 0u);
    EXPECT_EQ(dst.row(1)[0], 0u);
    blit(dst, 2, 2, 5, 5, src, 0, 0, Rop::Or);
    EXPECT_EQ(dst.row(2)[2], 0xFFFFFFu);
    EXPECT_EQ(dst.row(1)[2], 0u);
}

TEST(Blit, ExtremeCoordinatesAndSizesDrawNothing) {
    Surface dst = filled(4, 4, 7);
    const Surface src = filled(4, 4, 9);
    const Surface empty;
    blit(dst, INT_MIN, INT_MIN, INT_MAX, INT_MAX, src, 0, 0, Rop::Copy);
    blit(dst, INT_MAX, 0, 4, 4, src, 0, 0, Rop::Copy);
    blit(dst, 0, 0, 4, 4, src, INT_MIN, INT_MAX, Rop::Copy);
    blit(dst, 0, 0, -4, 4, src, 0, 0, Rop::Copy);
    blit(dst, 0, 0, 4, 4, empty, 0, 0, Rop::Copy);
    for (uint32_t p : dst.pixels) EXPECT_EQ(p, 7u);
    blit(dst, -10, 0, 14, 1, src, -10, 0, Rop::Copy);  // offsets 10..13 cover x 0..3 of both
    EXPECT_EQ(dst.row(0)[0], 9u);
    EXPECT_EQ(dst.row(0)[3], 9u);
}

// The one-pass masked copy against its definition, the AND copy then the OR copy, over
// random placements: clipped on every side, widths around the eight-pixel steps, far off
// both surfaces, a mask of another size, and the mask or the picture as the destination.
TEST(BlitMasked, LeavesWhatTheTwoCopiesLeaveWherePlaced) {
    std::mt19937 rng(7);
    const auto pick = [&](int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng); };
    const auto random = [&](int w, int h) {
        Surface s = filled(w, h, 0);
        for (uint32_t& p : s.pixels) p = static_cast<uint32_t>(rng()) & 0xFFFFFF;
        return s;
    };
    for (int round = 0; round < 400; ++round) {
        const int w = static_cast<int>(pick(1, 40));
        const int h = static_cast<int>(pick(1, 12));
        const Surface start = random(static_cast<int>(pick(1, 40)), static_cast<int>(pick(1, 12)));
        Surface mask = round % 10 == 0 ? random(w + 1, h) : random(w, h);
        Surface picture = random(w, h);
        const bool far = round % 7 == 0;
        const int64_t dx = far ? pick(INT_MIN, INT_MAX) : pick(-45, 45), dy = pick(-15, 15);
        const int64_t sx = pick(-45, 45), sy = far ? pick(INT_MIN, INT_MAX) : pick(-15, 15);
        const int64_t cw = far ? pick(0, INT_MAX) : pick(-2, 50), ch = pick(-2, 15);
        const int target = round % 13 == 0 ? 1 : round % 13 == 1 ? 2 : 0;  // the screen, the mask, the picture
        Surface want = target == 1 ? mask : target == 2 ? picture : start;
        Surface wantMask = mask, wantPicture = picture;
        Surface& wantDst = target == 1 ? wantMask : target == 2 ? wantPicture : want;
        blit(wantDst, dx, dy, cw, ch, wantMask, sx, sy, Rop::And);
        blit(wantDst, dx, dy, cw, ch, wantPicture, sx, sy, Rop::Or);
        Surface got = start;
        Surface& gotDst = target == 1 ? mask : target == 2 ? picture : got;
        blitMasked(gotDst, dx, dy, cw, ch, mask, picture, sx, sy);
        ASSERT_EQ(gotDst.pixels, wantDst.pixels) << "round " << round;
    }
}

TEST(Mask, PureBlackIsTransparentAndEveryOtherColourOpaque) {
    SurfaceTable[kCharSheet] = filled(3, 1, 0);
    SurfaceTable[kCharSheet].row(0)[1] = 0x000001;  // RGB(0, 0, 1)
    SurfaceTable[kCharSheet].row(0)[2] = 0xFFFFFF;
    SurfaceTable[kCharMask] = SurfaceTable[kCharSheet];
    buildMask(kCharMask);
    EXPECT_EQ(SurfaceTable[kCharMask].pixels, (std::vector<uint32_t>{kWhite, kBlack, kBlack}));

    Surface back = filled(3, 1, 0x808080);
    blit(back, 0, 0, 3, 1, SurfaceTable[kCharMask], 0, 0, Rop::And);
    blit(back, 0, 0, 3, 1, SurfaceTable[kCharSheet], 0, 0, Rop::Or);
    EXPECT_EQ(back.pixels, (std::vector<uint32_t>{0x808080, 0x000001, 0xFFFFFF}));
}

TEST(Mask, CoversTheWholePictureBeyond800x600) {
    SurfaceTable[kNearMask] = filled(900, 700, kBlack);
    buildMask(kNearMask);
    EXPECT_EQ(SurfaceTable[kNearMask].row(650)[850], kWhite);
    buildMask(-1);
    buildMask(kSurfaceCount);
}

TEST(LoadSurfaces, FillsTheStartUpSlots) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/format.bmp", 800, 600, 0x00FF00));
    std::vector<uint32_t> sheet(4 * 2, 0x000000);
    sheet[1] = 0x000001;
    ASSERT_TRUE(writeBmp("bmp/char.bmp", 4, 2, 24, sheet));
    loadSurfaces();
    for (int slot : {1, 2, 5, 6, 7, 8, 9, 10}) {
        EXPECT_EQ(SurfaceTable[slot].width, 800) << slot;
        EXPECT_EQ(SurfaceTable[slot].row(599)[799], 0x00FF00u) << slot;
    }
    EXPECT_EQ(SurfaceTable[kCharSheet].pixels, sheet);
    EXPECT_EQ(SurfaceTable[kCharMask].row(0)[0], kWhite);
    EXPECT_EQ(SurfaceTable[kCharMask].row(0)[1], kBlack);
    for (int slot : {0, 11, 12, 13, 14, 15}) EXPECT_TRUE(SurfaceTable[slot].pixels.empty()) << slot;
}

TEST(LoadSurfaces, WithoutFormatBmpTheFullScreenSlotsAreBlack) {
    TempGameFolder folder;
    loadSurfaces();
    for (int slot : {1, 2, 5, 6, 7, 8, 9, 10}) {
        ASSERT_EQ(SurfaceTable[slot].width, 800) << slot;
        ASSERT_EQ(SurfaceTable[slot].height, 600) << slot;
        EXPECT_EQ(SurfaceTable[slot].row(300)[400], kBlack) << slot;
    }
    EXPECT_TRUE(SurfaceTable[kCharSheet].pixels.empty());  // no char.bmp: nothing to draw
    EXPECT_TRUE(SurfaceTable[kCharMask].pixels.empty());
}

TEST(LoadBitmapInto, ReplacesThePictureOrKeepsThePreviousOne) {
    TempGameFolder folder;
    ASSERT_TRUE(writePlainBmp("bmp/a.bmp", 10, 5, 0x112233));
    ASSERT_TRUE(writePlainBmp("bmp/b.bmp", 3, 2, 0x445566));
    EXPECT_TRUE(loadBitmapInto(kPicture, "./bmp/a.bmp"));
    EXPECT_EQ(SurfaceTable[kPicture].width, 10);
    EXPECT_TRUE(loadBitmapInto(kPicture, "././/bmp/b.bmp"));
    EXPECT_EQ(SurfaceTable[kPicture].width, 3);
    EXPECT_EQ(SurfaceTable[kPicture].row(1)[2], 0x445566u);

    ASSERT_TRUE(writeText("bmp/broken.bmp", "BM not really"));
    EXPECT_FALSE(loadBitmapInto(kPicture, "./bmp/missing.bmp"));
    EXPECT_FALSE(loadBitmapInto(kPicture, "./bmp/broken.bmp"));
    EXPECT_FALSE(loadBitmapInto(kPicture, "./bmp"));
    EXPECT_EQ(SurfaceTable[kPicture].width, 3);
    EXPECT_EQ(SurfaceTable[kPicture].row(1)[2], 0x445566u);

    EXPECT_FALSE(loadBitmapInto(-1, "./bmp/a.bmp"));
    EXPECT_FALSE(loadBitmapInto(kSurfaceCount, "./bmp/a.bmp"));
}

TEST(Bitmap, ReadsPalettedTrueColourAndAlphaFiles) {
    TempGameFolder folder;
    // Three rows of two pixels, with pure black and the darkest blue side by side.
    const std::vector<uint32_t> pixels{0x000000, 0x000001, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int bits : {8, 24, 32}) {
        for (uint8_t alpha : {uint8_t{0}, uint8_t{255}}) {
            const std::string path = "bmp/p" + std::to_string(bits) + "_" + std::to_string(alpha) + ".bmp";
            ASSERT_TRUE(writeBmp(path, 2, 3, bits, pixels, alpha));
            Surface s;
            ASSERT_TRUE(readBitmapFile(path.c_str(), s)) << path;
            EXPECT_EQ(s.width, 2);
            EXPECT_EQ(s.height, 3);
            EXPECT_EQ(s.pixels, pixels) << path;
        }
    }
}

TEST(Bitmap, WrittenShotsReadBackTheSame) {
    TempGameFolder folder;
    Surface s = filled(3, 2, 0);
    for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = static_cast<uint32_t>(0x102030 * (i + 1)) & 0xFFFFFF;
    ASSERT_TRUE(writeBitmapFile("shot.bmp", s));
    Surface back;
    ASSERT_TRUE(readBitmapFile("shot.bmp", back));
    EXPECT_EQ(back.pixels, s.pixels);
    EXPECT_FALSE(writeBitmapFile("no/such/folder/shot.bmp", s));
}

TEST(Bitmap, PngShotsHoldTheSamePixels) {
    TempGameFolder folder;
    Surface s = filled(5, 3, 0);
    for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = static_cast<uint32_t>(0x0A1B2C * (i + 7)) & 0xFFFFFF;
    ASSERT_TRUE(writePngFile("shot.png", s));
    SDL_Surface* png = IMG_Load("shot.png");
    ASSERT_NE(png, nullptr);
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(png, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(png);
    ASSERT_NE(rgb, nullptr);
    ASSERT_EQ(rgb->w, 5);
    ASSERT_EQ(rgb->h, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(static_cast<const uint32_t*>(rgb->pixels)[y * rgb->pitch / 4 + x] & 0xFFFFFF, s.row(y)[x]);
    SDL_FreeSurface(rgb);
    EXPECT_FALSE(writePngFile("no/such/folder/shot.png", s));
}

TEST(Present, CopiesTheBackBufferToTheWindow) {
    HeadlessPlatform hp;
    platform = &hp;
    resizeSurface(windowDC, 800, 600, kWhite);
    SurfaceTable[kBackBuffer] = filled(800, 600, 0x123456);
    SurfaceTable[kBackBuffer].row(599)[799] = 0x654321;
    presentBackBuffer();
    EXPECT_EQ(hp.presentCount, 1);
    EXPECT_EQ(hp.shown.row(0)[0], 0x123456u);
    EXPECT_EQ(hp.shown.row(599)[799], 0x654321u);
    platform = nullptr;
}

// Pictures whose headers claim any size are refused before a pixel is decoded, so that
// memory over all picture slots stays within ten of the largest pictures allowed.
// The files that made the game allocate gigabytes: a 1 KB run-length picture and a
// 118-byte header, both claiming 30000 x 30000, and two sizes a fuzzer found.
std::string rleBomb() {
    std::string body(1024, '\0');  // palette
    for (int i = 0; i < 40; ++i) body += std::string("\xFF\x01", 2);  // runs of 255 pixels
    body += std::string("\x00\x01", 2);                               // end of picture
    return bmpBytes(30000, 30000, 8, 1, body);
}
std::string headerOnly() { return bmpBytes(30000, 30000, 4, 0, std::string(64, '\0')); }

size_t bytesHeld() {
    size_t total = 0;
    for (const Surface& s : SurfaceTable) total += s.pixels.size() * sizeof(uint32_t);
    return total;
}

TEST(PictureLimits, HeadersOverTheLimitsOrCorruptAreRefusedBeforeAnyPixel) {
    TempGameFolder folder;
    ASSERT_EQ(rleBomb().size(), 1024u + 54 + 82);
    ASSERT_EQ(headerOnly().size(), 118u);
    const struct {
        std::string bytes;
        PictureProblem problem;
        int64_t width, height;
    } cases[] = {
        {rleBomb(), PictureProblem::TooLarge, 30000, 30000},
        {headerOnly(), PictureProblem::TooLarge, 30000, 30000},
        {bmpBytes(65772, 4098, 24, 0, ""), PictureProblem::TooLarge, 65772, 4098},
        {bmpBytes(4, 100663808, 24, 0, ""), PictureProblem::TooLarge, 4, 100663808},
        {bmpBytes(8193, 1, 24, 0, std::string(8193 * 3 + 1, '\0')), PictureProblem::TooLarge, 8193, 1},
        {bmpBytes(4097, -2048, 8, 0, ""), PictureProblem::TooLarge, 4097, 2048},  // top-down rows
        {bmpBytes(0, 5, 24, 0, ""), PictureProblem::BadHeader, 0, 5},
        {bmpBytes(5, 5, 7, 0, ""), PictureProblem::BadHeader, 5, 5},
        {bmpBytes(5, 5, 24, 4, ""), PictureProblem::BadHeader, 5, 5},  // JPEG inside
        {"BM" + std::string(30, '\0'), PictureProblem::BadHeader, 0, 0},
        {bmpBytes(5, 5, 24, 0, ""), PictureProblem::Undecodable, 5, 5},  // no pixels after the header
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeBytes("bmp/p.bmp", c.bytes));
        Surface s;
        PictureInfo info;
        EXPECT_FALSE(readBitmapFile("bmp/p.bmp", s, &info));
        EXPECT_EQ(info.problem, c.problem) << c.width << " x " << c.height << " " << info.fault;
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_TRUE(s.pixels.empty());
    }

    // Any of them as format.bmp, char.bmp or a script's picture is a picture that cannot be
    // loaded: the documented fallbacks, and no memory beyond them.
    ASSERT_TRUE(writeBytes("bmp/format.bmp", rleBomb()));
    ASSERT_TRUE(writeBytes("bmp/char.bmp", headerOnly()));
    ASSERT_TRUE(writeBytes("bmp/title.bmp", bmpBytes(65772, 4098, 24, 0, "")));
    loadSurfaces();
    EXPECT_EQ(SurfaceTable[kBackBuffer].width, kScreenWidth);
    EXPECT_EQ(SurfaceTable[kPicture].pixels, std::vector<uint32_t>(kScreenWidth * kScreenHeight, kBlack));
    EXPECT_TRUE(SurfaceTable[kCharSheet].pixels.empty());
    EXPECT_FALSE(loadBitmapInto(kPicture, "bmp/title.bmp"));
    EXPECT_EQ(SurfaceTable[kPicture].width, kScreenWidth);
    EXPECT_EQ(bytesHeld(), size_t{8} * kScreenWidth * kScreenHeight * sizeof(uint32_t));
    releaseSurfaces();
}

TEST(PictureLimits, EverySlotAtTheLargestPictureStaysWithinTheStatedBound) {
    TempGameFolder folder;
    const int w = 4096;
    const int h = static_cast<int>(kPictureMaxPixels / w);
    std::string pixels(1024, '\0');  // a palette of black
    pixels[4] = '\x01';              // and one dark blue, for the mask to turn black
    pixels += std::string(static_cast<size_t>(w) * h, '\0');
    pixels[1024] = 1;  // the bottom-left pixel
    ASSERT_TRUE(writeBytes("bmp/format.bmp", bmpBytes(w, h, 8, 0, pixels)));
    ASSERT_TRUE(writeBytes("bmp/char.bmp", bmpBytes(w, h, 8, 0, pixels)));
    ASSERT_TRUE(writeBytes("bmp/wider.bmp", bmpBytes(w + 1, h, 8, 0, pixels)));

    loadSurfaces();
    EXPECT_TRUE(loadBitmapInto(kPicture, "bmp/char.bmp"));
    EXPECT_FALSE(loadBitmapInto(kNearLayer, "bmp/wider.bmp"));
    for (int slot = kBackBuffer; slot <= kMiddleMask; ++slot) {
        EXPECT_EQ(SurfaceTable[slot].width, w) << slot;
        EXPECT_EQ(SurfaceTable[slot].height, h) << slot;
    }
    EXPECT_EQ(SurfaceTable[kCharSheet].row(h - 1)[0], 0x000001u);
    EXPECT_EQ(SurfaceTable[kCharMask].row(h - 1)[0], kBlack);
    EXPECT_EQ(SurfaceTable[kCharMask].row(0)[0], kWhite);
    // Ten slots of 32 MiB: the 320 MiB the guide states, and nothing more.
    const size_t bound = size_t{320} << 20;
    EXPECT_EQ(bytesHeld(), size_t{10} * kPictureMaxPixels * sizeof(uint32_t));
    EXPECT_LE(bytesHeld(), bound);
    releaseSurfaces();
}

}  // namespace
