#include "codecs/png/PngCodec.h"

#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"

using namespace stampora;

namespace {

CRasterImage LoadPngFixture(const std::string& name) {
    CPngCodec codec;
    ImageList images;
    PropertiesSlot properties;
    CRasterImage image;
    EXPECT_TRUE(LoadBytes(codec, FixtureBytes("png/" + name), images, properties)) << name;
    if (!images.Empty()) image.Swap(*images.First());
    return image;
}

TEST(PngCodec, EachColourTypeLoadsInItsDepth) {
    const struct {
        const char* name;
        int32_t bpp;
    } cases[] = {{"palette4.png", 4}, {"palette8.png", 8}, {"grey.png", 8},       {"bilevel.png", 1},
                 {"rgb.png", 24},     {"rgb16.png", 24},   {"interlaced.png", 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CRasterImage image = LoadPngFixture(c.name);
        EXPECT_EQ(image.Bpp(), c.bpp);
        if (c.bpp >= 4 && std::string(c.name) != "grey.png") ExpectQuadrants(image, 0);
    }
    const CRasterImage grey = LoadPngFixture("grey.png");
    EXPECT_TRUE(HasGreyRampPalette(grey));
    EXPECT_TRUE(ColourNear(grey, 24, 12, 255, 255, 255));
    const CRasterImage bilevel = LoadPngFixture("bilevel.png");
    EXPECT_TRUE(ColourNear(bilevel, 24, 12, 255, 255, 255));
    EXPECT_TRUE(ColourNear(bilevel, 7, 12, 0, 0, 0));
}

TEST(PngCodec, TransparencyKeepsAlphaInEveryForm) {
    // A palette with transparent entries, 8-bit RGBA and 16-bit RGBA.
    for (const char* name : {"palette-trns.png", "rgba.png", "rgba16.png"}) {
        SCOPED_TRACE(name);
        const CRasterImage image = LoadPngFixture(name);
        ASSERT_EQ(image.Bpp(), 32);
        const Bgra left = PixelOf(image, 3, 8), right = PixelOf(image, 12, 8);
        EXPECT_EQ(left.r, 255);
        EXPECT_EQ(left.a, 255);
        EXPECT_EQ(right.a, 0);
    }
}

TEST(PngCodec, DamagedFilesAreSafe) {
    CPngCodec codec;
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("png/interlaced.png"));
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("png/palette-trns.png"));
}

}  // namespace
