#include "image/transform/ResizeImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codecs/PictureFiles.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace {

struct ReferenceCase {
    const char* source;
    int32_t width;
    int32_t height;
    const char* reference;
};

}  // namespace

// The references were made by ImageMagick's Catmull-Rom resize of the same
// pictures with the same repeated edge (scripts/make-resize-references.sh).
TEST(ResizeImage, MatchesAnotherToolsCatmullRomResize) {
    for (const ReferenceCase& c : {ReferenceCase{"photo-300x200.bmp", 150, 100, "catrom-150x100.bmp"},
                                   ReferenceCase{"photo-300x200.bmp", 100, 67, "catrom-100x67.bmp"},
                                   ReferenceCase{"photo-300x200.bmp", 30, 20, "catrom-30x20.bmp"},
                                   ReferenceCase{"photo-60x40.bmp", 180, 120, "catrom-180x120.bmp"}}) {
        CRasterImage picture, reference;
        ASSERT_TRUE(picture.Load(FixturePath(std::string("resize/") + c.source)));
        ASSERT_TRUE(reference.Load(FixturePath(std::string("resize/") + c.reference)));
        ASSERT_EQ(picture.Bpp(), 24);
        ASSERT_TRUE(ResizeImage(picture, c.width, c.height));
        ASSERT_EQ(picture.Width(), reference.Width());
        ASSERT_EQ(picture.Height(), reference.Height());
        const PictureDifference d = DifferenceOf(picture, reference);
        EXPECT_LE(d.mean, 1.5) << c.reference;
        EXPECT_LE(d.worst, 24) << c.reference;
    }
}

TEST(ResizeImage, TransparentPixelsLendNoColour) {
    // Left half transparent black, right half opaque red.
    const CRasterImage layer = PaintedImage(
        30, 12, 32, [](int32_t x, int32_t, uint8_t* p) { StoreLE32(p, x < 15 ? 0 : 0xFFFF0000u); });
    for (const auto& [w, h] : {std::pair{15, 6}, {10, 4}, {3, 2}, {90, 36}, {41, 17}}) {
        CRasterImage resized = layer;
        ASSERT_TRUE(ResizeImage(resized, w, h));
        bool sawEdge = false;
        EachPixel(resized, [&](int32_t x, int32_t y, const uint8_t*) {
            const uint32_t v = resized.ReadPixel(x, y);
            if ((v >> 24) == 0) return;
            EXPECT_EQ(v & 0xFFFFFF, 0xFF0000u) << w << "x" << h << " at " << x << "," << y;
            sawEdge = sawEdge || (v >> 24) < 255;
        });
        EXPECT_TRUE(sawEdge) << w << "x" << h;
    }
}

TEST(ResizeImage, KeepsDepthMasksPositionAndUniformColours) {
    for (const int32_t bpp : {24, 32}) {
        CRasterImage image = UniformImage(37, 23, bpp, 0x80C86432);
        image.offsetX = -7, image.offsetY = 4;
        ASSERT_TRUE(ResizeImage(image, 101, 9));
        EXPECT_TRUE(image.offsetX == -7 && image.offsetY == 4);
        EXPECT_TRUE(SamePixels(image, UniformImage(101, 9, bpp, 0x80C86432))) << bpp;
    }

    // A 5-6-5 picture stays 5-6-5 and keeps its colour.
    CRasterImage rgb565 = BitFieldImage(20, 10, 0xF800, 0x07E0, 0x001F);
    EachPixel(rgb565, [](int32_t, int32_t, uint8_t* p) { StoreLE16(p, 0xA2C5); });
    ASSERT_TRUE(ResizeImage(rgb565, 7, 31));
    EXPECT_EQ(rgb565.Bpp(), 16);
    EXPECT_EQ(rgb565.GreenMask(), 0x07E0u);
    EXPECT_EQ(rgb565.ReadPixel(3, 15), 0xA2C5u);
    EXPECT_EQ(rgb565.ReadPixel(6, 30), 0xA2C5u);
}

TEST(ResizeImage, ShrinkingAveragesInsteadOfAliasing) {
    // One-pixel black and white stripes become an even grey at a tenth.
    CRasterImage stripes =
        PaintedImage(200, 20, 24, [](int32_t x, int32_t, uint8_t* p) { std::memset(p, x % 2 ? 255 : 0, 3); });
    ASSERT_TRUE(ResizeImage(stripes, 20, 2));
    // Near the ends the repeated edge stripe (black left, white right) weighs in.
    for (int32_t x = 2; x < 18; ++x) {
        EXPECT_NEAR(static_cast<int>(stripes.PixelAt(x, 1)[0]), 128, 2) << x;
    }
}

TEST(ResizeImage, RefusesWhatItCannotResize) {
    CRasterImage palette = UniformImage(10, 10, 8, 5);
    EXPECT_FALSE(ResizeImage(palette, 5, 5));
    EXPECT_EQ(palette.Width(), 10);
    CRasterImage image = NoiseImage(10, 10, 24, 2);
    const CRasterImage before = image;
    EXPECT_FALSE(ResizeImage(image, 0, 5));
    EXPECT_FALSE(ResizeImage(image, 5, -1));
    EXPECT_TRUE(SamePixels(image, before));
    CRasterImage empty;
    EXPECT_FALSE(ResizeImage(empty, 5, 5));
    // One pixel wide or high pictures still resize, from their only column or line.
    CRasterImage line = UniformImage(1, 3, 24, 0x123456);
    ASSERT_TRUE(ResizeImage(line, 4, 9));
    EXPECT_EQ(line.ReadPixel(3, 8), 0x123456u);
}
