// 24 to 32 bits works eight pixels at a time with a tail; every width from 1
// to 17 exercises both parts.
#include <gtest/gtest.h>

#include "image/RasterImage.h"
#include "support/TestPictures.h"

using namespace stampora;

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

TEST(PromoteDepthPalette, EightBitIndicesTakeTheirPaletteColourOpaque) {
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
}
