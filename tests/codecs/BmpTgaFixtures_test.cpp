// BMP and TGA files written by ImageMagick and netpbm, or laid out by hand
// (scripts/make-bmp-tga-fixtures.sh), read back with the colours that script
// put into them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>

#include "codecs/CodecFactory.h"
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
    std::optional<bool> runLength;  // whether a TGA file was run-length encoded
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
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Rgba want = Expected(f.source, x, y);
            const Bgra got = PixelOf(image, x, y);
            EXPECT_LE(std::abs(got.r - want.r), f.tolerance) << f.path << " red at " << x << "," << y;
            EXPECT_LE(std::abs(got.g - want.g), f.tolerance) << f.path << " green at " << x << "," << y;
            EXPECT_LE(std::abs(got.b - want.b), f.tolerance) << f.path << " blue at " << x << "," << y;
            if (f.bpp == 32) {
                EXPECT_EQ(got.a, want.a) << f.path << " alpha at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ImageMagickFiles, BmpTgaFixture,
    ::testing::Values(Fixture{"bmp/pal1.bmp", Source::Two, 1, 0, std::nullopt},
                      Fixture{"bmp/pal4.bmp", Source::Sixteen, 4, 0, std::nullopt},
                      Fixture{"bmp/pal8.bmp", Source::Gradient, 8, 0, std::nullopt},
                      Fixture{"bmp/rgb565.bmp", Source::Gradient, 16, 16, std::nullopt},
                      Fixture{"bmp/rgb24.bmp", Source::Gradient, 24, 0, std::nullopt},
                      Fixture{"bmp/rgba32.bmp", Source::GradientAlpha, 32, 0, std::nullopt},
                      Fixture{"bmp/rgba32-v5.bmp", Source::GradientAlpha, 32, 0, std::nullopt},
                      Fixture{"bmp/pal1-top.bmp", Source::Two, 1, 0, std::nullopt},
                      Fixture{"bmp/pal4-top.bmp", Source::Sixteen, 4, 0, std::nullopt},
                      Fixture{"bmp/pal8-top.bmp", Source::Gradient, 8, 0, std::nullopt},
                      Fixture{"bmp/rgb24-top.bmp", Source::Gradient, 24, 0, std::nullopt},
                      Fixture{"bmp/rgba32-top.bmp", Source::GradientAlpha, 32, 0, std::nullopt},
                      Fixture{"bmp/core-pal4.bmp", Source::Sixteen, 4, 0, std::nullopt},
                      Fixture{"bmp/core-pal8.bmp", Source::Gradient, 8, 0, std::nullopt},
                      Fixture{"bmp/core-rgb24.bmp", Source::Gradient, 24, 0, std::nullopt},
                      Fixture{"bmp/os2-pal8.bmp", Source::Gradient, 8, 0, std::nullopt},
                      Fixture{"bmp/os2-rgb24.bmp", Source::Gradient, 24, 0, std::nullopt},
                      Fixture{"tga/rgb24.tga", Source::Gradient, 24, 0, false},
                      Fixture{"tga/rgb24-top.tga", Source::Gradient, 24, 0, false},
                      Fixture{"tga/rgb24-rle.tga", Source::Gradient, 24, 0, true},
                      Fixture{"tga/rgba32.tga", Source::GradientAlpha, 32, 0, false},
                      Fixture{"tga/rgba32-rle.tga", Source::GradientAlpha, 32, 0, true},
                      Fixture{"tga/rgba32-rle-top.tga", Source::GradientAlpha, 32, 0, true},
                      Fixture{"tga/rgb16.tga", Source::Gradient, 16, 16, false},
                      Fixture{"tga/rgb16-rle.tga", Source::Gradient, 16, 16, true},
                      Fixture{"tga/map8.tga", Source::Gradient, 8, 0, false},
                      Fixture{"tga/map8-rle.tga", Source::Gradient, 8, 0, true},
                      Fixture{"tga/map16.tga", Source::Gradient, 8, 16, false},
                      Fixture{"tga/map16-rle.tga", Source::Gradient, 8, 16, true},
                      Fixture{"tga/grey-alpha.tga", Source::GreyAlpha, 32, 0, false},
                      Fixture{"tga/grey-alpha-rle-top.tga", Source::GreyAlpha, 32, 0, true},
                      Fixture{"tga/rgb24-right.tga", Source::Gradient, 24, 0, false},
                      Fixture{"tga/rgba32-rle-right-top.tga", Source::GradientAlpha, 32, 0, true}),
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
