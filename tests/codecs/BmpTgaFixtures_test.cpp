// BMP and TGA files written by ImageMagick and netpbm, or laid out by hand
// (scripts/make-bmp-tga-fixtures.sh), read back with the colours that script
// put into them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "codecs/PictureFiles.h"
#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace {

struct Rgba {
    int r, g, b, a;
};

enum class Source { Gradient, GradientAlpha, GreyAlpha, Sixteen, Two };

Rgba Expected(Source source, int x, int y) {
    switch (source) {
        case Source::Gradient:
            return {40 * x, 60 * y, 20 * (x + y), 255};
        case Source::GradientAlpha:
            return {40 * x, 60 * y, 20 * (x + y), 255 - 30 * x - 10 * y};
        case Source::GreyAlpha:  // the blue of GradientAlpha as grey
            return {20 * (x + y), 20 * (x + y), 20 * (x + y), 255 - 30 * x - 10 * y};
        case Source::Sixteen:
            return {80 * (x % 4), 80 * (y % 4), 40, 255};
        case Source::Two:
            return (x + y) % 2 ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 128, 255};
    }
    return {};
}

struct Fixture {
    const char* path;
    Source source;
    int32_t bpp;
    // 16-bit files keep 5 or 6 bits a channel (the writer truncates or rounds)
    // and reading leaves the low bits zero.
    int tolerance;
    std::optional<bool> runLength = std::nullopt;  // whether a TGA file was run-length encoded
};

class BmpTgaFixture : public ::testing::TestWithParam<Fixture> {};

}  // namespace

TEST_P(BmpTgaFixture, PixelsMatchTheSourcePicture) {
    const Fixture& f = GetParam();
    CRasterImage image;
    CImageProperties properties;
    ASSERT_TRUE(image.Load(FixturePath(f.path), &properties));
    EXPECT_EQ(image.Bpp(), f.bpp);
    const bool two = f.source == Source::Two;
    ASSERT_EQ(image.Width(), two ? 9 : 7);
    ASSERT_EQ(image.Height(), two ? 3 : 5);
    EXPECT_EQ(properties.tgaRunLength, f.runLength);
    EachPixel(image, [&](int32_t x, int32_t y, const uint8_t*) {
        const Rgba want = Expected(f.source, x, y);
        EXPECT_TRUE(ColourNear(image, x, y, want.r, want.g, want.b, f.tolerance)) << f.path;
        if (f.bpp == 32) {
            EXPECT_EQ(PixelOf(image, x, y).a, want.a) << f.path << " alpha at " << x << "," << y;
        }
    });
}

using enum Source;
using F = Fixture;

INSTANTIATE_TEST_SUITE_P(
    OtherToolsFiles, BmpTgaFixture,
    ::testing::Values(
        F{"bmp/pal1.bmp", Two, 1, 0}, F{"bmp/pal4.bmp", Sixteen, 4, 0}, F{"bmp/pal8.bmp", Gradient, 8, 0},
        F{"bmp/rgb565.bmp", Gradient, 16, 16}, F{"bmp/rgb24.bmp", Gradient, 24, 0},
        F{"bmp/rgba32.bmp", GradientAlpha, 32, 0}, F{"bmp/rgba32-v5.bmp", GradientAlpha, 32, 0},
        F{"bmp/pal1-top.bmp", Two, 1, 0}, F{"bmp/pal4-top.bmp", Sixteen, 4, 0},
        F{"bmp/pal8-top.bmp", Gradient, 8, 0}, F{"bmp/rgb24-top.bmp", Gradient, 24, 0},
        F{"bmp/rgba32-top.bmp", GradientAlpha, 32, 0}, F{"bmp/core-pal4.bmp", Sixteen, 4, 0},
        F{"bmp/core-pal8.bmp", Gradient, 8, 0}, F{"bmp/core-rgb24.bmp", Gradient, 24, 0},
        F{"bmp/os2-pal8.bmp", Gradient, 8, 0}, F{"bmp/os2-rgb24.bmp", Gradient, 24, 0},
        F{"tga/rgb24.tga", Gradient, 24, 0, false}, F{"tga/rgb24-top.tga", Gradient, 24, 0, false},
        F{"tga/rgb24-rle.tga", Gradient, 24, 0, true}, F{"tga/rgba32.tga", GradientAlpha, 32, 0, false},
        F{"tga/rgba32-rle.tga", GradientAlpha, 32, 0, true},
        F{"tga/rgba32-rle-top.tga", GradientAlpha, 32, 0, true}, F{"tga/rgb16.tga", Gradient, 16, 16, false},
        F{"tga/rgb16-rle.tga", Gradient, 16, 16, true}, F{"tga/map8.tga", Gradient, 8, 0, false},
        F{"tga/map8-rle.tga", Gradient, 8, 0, true}, F{"tga/map16.tga", Gradient, 8, 16, false},
        F{"tga/map16-rle.tga", Gradient, 8, 16, true}, F{"tga/grey-alpha.tga", GreyAlpha, 32, 0, false},
        F{"tga/grey-alpha-rle-top.tga", GreyAlpha, 32, 0, true},
        F{"tga/rgb24-right.tga", Gradient, 24, 0, false},
        F{"tga/rgba32-rle-right-top.tga", GradientAlpha, 32, 0, true}),
    [](const auto& info) { return TestNameOf(info.param.path); });

TEST(BmpTgaFixtures, GreyTgaFilesKeepTheGreyRamp) {
    CRasterImage raw;
    CRasterImage rle;
    ASSERT_TRUE(raw.Load(FixturePath("tga/grey8.tga")));
    ASSERT_TRUE(rle.Load(FixturePath("tga/grey8-rle.tga")));
    ASSERT_EQ(raw.Bpp(), 8);
    EXPECT_EQ(raw.Palette()[128].rgbRed, 128);
    EXPECT_EQ(raw.ReadPixel(0, 0), 0u);
    EXPECT_TRUE(SamePixels(raw, rle));
    EachPixel(raw, [&](int32_t x, int32_t y, const uint8_t*) {
        if (y > 0) {
            EXPECT_GT(raw.ReadPixel(x, y), raw.ReadPixel(x, y - 1)) << x << "," << y;
        }
    });
}
