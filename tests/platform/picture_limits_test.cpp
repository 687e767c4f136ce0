// Pictures whose headers claim any size: refused before a pixel is decoded, so that memory
// over all picture slots stays within ten of the largest pictures allowed.
#include <gtest/gtest.h>

#include <string>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "support/hostile_files.h"
#include "support/test_files.h"

namespace {

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
