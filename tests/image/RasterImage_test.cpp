#include "image/RasterImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/TestPictures.h"

using namespace stampora;

TEST(RasterImageLayout, StrideBottomUpRowTableAndGreyPalettes) {
    CRasterImage image = BlankImage(3, 2, 24);
    EXPECT_EQ(image.Stride(), 12u);
    EXPECT_EQ(image.Row(0), image.Pixels() + 12);
    EXPECT_EQ(image.Row(1), image.Pixels());
    EXPECT_EQ(DibStride(1, 1), 4u);
    EXPECT_EQ(DibStride(33, 1), 8u);
    EXPECT_EQ(DibStride(5, 4), 4u);
    // Fresh palette pictures have grey palettes.
    for (const int32_t bpp : {1, 4, 8}) EXPECT_TRUE(HasGreyRampPalette(BlankImage(2, 2, bpp))) << bpp;
}

TEST(RasterImageCreate, RefusalsKeepTheOldPictureAndFailedAllocationsEmptyIt) {
    CRasterImage image = BlankImage(4, 4, 24);
    image.PixelAt(1, 1)[0] = 77;
    EXPECT_FALSE(image.Create(0, 10, 24));
    EXPECT_FALSE(image.Create(10, -5, 24));
    EXPECT_FALSE(image.Create(10, 10, 12));
    EXPECT_FALSE(image.Create(nullptr));
    DibInfoHeader rle{};
    rle.biWidth = rle.biHeight = 2;
    rle.biBitCount = 8, rle.biCompression = 1;
    EXPECT_FALSE(image.Create(&rle));
    ASSERT_EQ(image.Width(), 4);
    EXPECT_EQ(image.PixelAt(1, 1)[0], 77);
    // A size that cannot be allocated leaves the image empty.
    EXPECT_FALSE(image.Create(0x7FFFFFFF, 0x7FFFFFFF, 32));
    EXPECT_TRUE(image.IsEmpty() && image.Width() == 0 && image.Palette() == nullptr);
}

TEST(RasterImageRead, ReadPixelPerDepth) {
    CRasterImage bilevel = BlankImage(9, 1, 1);
    bilevel.Row(0)[0] = 0x80;
    bilevel.Row(0)[1] = 0x80;
    EXPECT_EQ(PixelValues(bilevel), (std::vector<uint32_t>{1, 0, 0, 0, 0, 0, 0, 0, 1}));
    CRasterImage nibbles = BlankImage(2, 1, 4);
    nibbles.Row(0)[0] = 0xAB;
    EXPECT_EQ(PixelValues(nibbles), (std::vector<uint32_t>{0xA, 0xB}));
    CRasterImage rgb = BlankImage(2, 2, 24);
    std::memcpy(rgb.PixelAt(1, 1), "\x01\x02\x03", 3);
    EXPECT_EQ(rgb.ReadPixel(1, 1), 0x030201u);
    EXPECT_EQ(rgb.ReadPixel(2, 1), 0u);
    EXPECT_EQ(rgb.ReadPixel(-1, 0), 0u);
    CRasterImage rgba = BlankImage(1, 1, 32);
    std::memcpy(rgba.PixelAt(0, 0), "\x10\x20\x30\x40", 4);
    EXPECT_EQ(rgba.ReadPixel(0, 0), 0x40302010u);
}

TEST(RasterImagePalette, SetSkipsIndicesOutOfRange) {
    CRasterImage image = BlankImage(2, 2, 1);
    PaletteColour entries[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    EXPECT_TRUE(image.SetPalette(1, 3, entries));
    EXPECT_EQ(image.Palette()[0].rgbBlue, 0);
    EXPECT_EQ(image.Palette()[1].rgbBlue, 1);
    EXPECT_FALSE(image.SetPalette(-1, 1, entries));
    EXPECT_FALSE(image.SetPalette(0, 1, nullptr));
    CRasterImage rgb = BlankImage(2, 2, 24);
    EXPECT_FALSE(rgb.SetPalette(0, 1, entries));
}

TEST(RasterImagePromote, SixteenBitMasksExpand) {
    CRasterImage rgb565 = BitFieldImage(1, 1, 0xF800, 0x07E0, 0x001F);
    StoreLE16(rgb565.PixelAt(0, 0), 0xFFFF);
    rgb565.PromoteDepth(24);
    EXPECT_EQ(rgb565.ReadPixel(0, 0), 0xF8FCF8u);

    CRasterImage rgb555 = BlankImage(1, 1, 16);
    StoreLE16(rgb555.PixelAt(0, 0), 0x7FFF);
    rgb555.PromoteDepth(32);
    EXPECT_EQ(rgb555.ReadPixel(0, 0), 0xFFF8F8F8u);

    // Other bit fields (4-4-4 here) expand each channel by its own mask.
    CRasterImage rgb444 = BitFieldImage(1, 1, 0x0F00, 0x00F0, 0x000F);
    StoreLE16(rgb444.PixelAt(0, 0), 0x038F);  // red 3, green 8, blue F
    rgb444.PromoteDepth(24);
    EXPECT_EQ(rgb444.ReadPixel(0, 0), 0x3388FFu);
}

TEST(RasterImagePromote, TrueColourGoesUpOrToTwentyFourBits) {
    CRasterImage rgb = UniformImage(2, 2, 32, 0xFF030201);
    rgb.PixelAt(0, 0)[3] = 9;
    rgb.PromoteDepth(32);
    rgb.PromoteDepth(16);
    EXPECT_EQ(rgb.ReadPixel(0, 0) >> 24, 9u);
    rgb.PromoteDepth(24);
    EXPECT_EQ(rgb.Bpp(), 24);
    EXPECT_EQ(rgb.ReadPixel(1, 0), 0x030201u);
}

// 24 to 32 bits works eight pixels at a time with a tail; every width from 1
// to 17 exercises both parts.
TEST(PromoteDepthTrueColour, EveryPixelKeepsItsColourAndBecomesOpaque) {
    for (int32_t width = 1; width <= 17; ++width) {
        CRasterImage image = PaintedImage(width, 3, 24, [](int32_t x, int32_t y, uint8_t* p) {
            for (int b = 0; b < 3; ++b) p[b] = static_cast<uint8_t>(x * 3 + b + y * 60);
        });
        image.offsetX = 4;
        image.PromoteDepth(32);
        ASSERT_EQ(image.Bpp(), 32);
        EXPECT_EQ(image.offsetX, 4);
        EachPixel(image, [width](int32_t x, int32_t y, const uint8_t* p) {
            for (int b = 0; b < 3; ++b)
                EXPECT_EQ(p[b], (x * 3 + b + y * 60) & 0xFF) << width << ": " << x << "," << y;
            EXPECT_EQ(p[3], 255) << width << ": " << x << "," << y;
        });
    }
}

TEST(PromoteDepthPalette, IndicesTakeTheirPaletteColourOpaque) {
    CRasterImage image = BlankImage(5, 2, 8);
    PaletteColour entries[2] = {{1, 2, 3, 0}, {200, 150, 100, 7}};
    ASSERT_TRUE(image.SetPalette(254, 2, entries));
    image.PixelAt(0, 0)[0] = 254;
    image.PixelAt(4, 1)[0] = 255;
    image.PixelAt(2, 1)[0] = 9;
    image.PromoteDepth(32);
    ASSERT_EQ(image.Bpp(), 32);
    EXPECT_EQ(image.ReadPixel(0, 0), 0xFF030201u);
    EXPECT_EQ(image.ReadPixel(4, 1), 0xFF6496C8u);
    EXPECT_EQ(image.ReadPixel(2, 1), 0xFF090909u);
    EXPECT_EQ(image.ReadPixel(1, 0), 0xFF000000u);

    CRasterImage indexed = BlankImage(3, 1, 4);
    PaletteColour red{0, 0, 255, 0};
    indexed.SetPalette(5, 1, &red);
    indexed.Row(0)[0] = 0x05;
    indexed.PromoteDepth(32);
    EXPECT_EQ(PixelValues(indexed), (std::vector<uint32_t>{0xFF000000u, 0xFFFF0000u, 0xFF000000u}));
}

TEST(RasterImageCopy, AssignCopiesPixelsPaletteAndPosition) {
    CRasterImage src = BlankImage(3, 3, 8);
    PaletteColour c{1, 2, 3, 4};
    src.SetPalette(9, 1, &c);
    *src.PixelAt(2, 2) = 9;
    src.offsetX = -4, src.offsetY = 6;
    CRasterImage copy;
    copy = src;
    EXPECT_EQ(*copy.PixelAt(2, 2), 9);
    EXPECT_EQ(copy.Palette()[9].rgbReserved, 4);
    EXPECT_EQ(copy.offsetX, -4);
    EXPECT_EQ(copy.offsetY, 6);
    EXPECT_NE(copy.Pixels(), src.Pixels());

    CRasterImage empty;
    copy.Assign(empty);
    EXPECT_EQ(copy.Width(), 3);
    copy.Assign(copy);
    EXPECT_EQ(*copy.PixelAt(2, 2), 9);
    copy.Destroy();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.offsetX, -4);
}

TEST(RasterImageFill, AlphaOnlyOfThirtyTwoBits) {
    CRasterImage image = BlankImage(4, 3, 32), rgb = BlankImage(2, 2, 24);
    image.FillAlpha(128);
    rgb.FillAlpha(1);
    EXPECT_EQ(image.ReadPixel(3, 2), 0x80000000u);
    EXPECT_EQ(PixelValues(rgb), std::vector<uint32_t>(4, 0));
}
