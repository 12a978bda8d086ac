#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"
#include "codecs/TiffCodec.h"

namespace {

bool LoadTiff(const std::string& fixture, ImageList& images, PropertiesSlot& properties) {
    CTiffCodec codec;
    return LoadBytes(codec, FixtureBytes("tiff/" + fixture), images, properties);
}

CRasterImage RoundTrip(CRasterImage& image, const CImageProperties* properties = nullptr,
                       PropertiesSlot* readBack = nullptr) {
    CTiffCodec codec;
    return RoundTripThrough(codec, "x.tif", image, properties, readBack);
}

TEST(TiffCodec, EveryPageIsAFrame) {
    ImageList pages;
    PropertiesSlot properties;
    ASSERT_TRUE(LoadTiff("two-pages.tif", pages, properties));
    ASSERT_EQ(pages.Size(), 2u);
    EXPECT_EQ(pages.At(0)->Bpp(), 24);
    ExpectQuadrants(*pages.At(0), 0);
    const CRasterImage& gradient = *pages.At(1);
    EXPECT_EQ(gradient.Bpp(), 4);
    EXPECT_TRUE(ColourNear(gradient, 5, 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(gradient, 5, 15, 0, 0, 255));
}

TEST(TiffCodec, AlphaSixteenBitCmykAndTiledPagesLoad) {
    ImageList rgba, cmyk, tiled;
    PropertiesSlot properties;
    ASSERT_TRUE(LoadTiff("rgba16.tif", rgba, properties));
    const CRasterImage& logo = *rgba.First();
    ASSERT_EQ(logo.Bpp(), 32);
    EXPECT_EQ(PixelOf(logo, 3, 3).r, 255);
    EXPECT_EQ(PixelOf(logo, 3, 3).a, 255);
    EXPECT_EQ(PixelOf(logo, 12, 3).a, 0);

    ASSERT_TRUE(LoadTiff("cmyk.tif", cmyk, properties));
    EXPECT_EQ(cmyk.First()->Bpp(), 24);
    ExpectQuadrants(*cmyk.First(), 2);

    ASSERT_TRUE(LoadTiff("tiled.tif", tiled, properties));
    ExpectQuadrants(*tiled.First(), 0);
}

TEST(TiffCodec, CameraItemsComeFromTheFirstPage) {
    ImageList pages;
    PropertiesSlot properties;
    ASSERT_TRUE(LoadTiff("camera.tif", pages, properties));
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->GetValue(0x010F), "TiffMake");
    EXPECT_EQ(properties->GetValue(0x0110), "TiffModel");
}

TEST(TiffCodec, RoundTripsAreExactAndCarryCameraItems) {
    CRasterImage rgba = PhotoLikePicture(33, 21, 32);
    CImageProperties camera;
    camera.SetValue(0x010F, "Maker");
    camera.SetValue(0x9207, "5");
    PropertiesSlot back;
    ExpectSamePixels(RoundTrip(rgba, &camera, &back), rgba);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetValue(0x010F), "Maker");
    EXPECT_EQ(back->GetValue(0x9207), "5");

    CRasterImage rgb = PhotoLikePicture(31, 17, 24);
    ExpectSamePixels(RoundTrip(rgb), rgb);

    for (int32_t bpp : {1, 4, 8}) {
        SCOPED_TRACE(bpp);
        CRasterImage palette;
        ASSERT_TRUE(palette.Create(13, 5, bpp));
        for (int32_t i = 0; i < palette.PaletteSize(); ++i) {
            PaletteColour entry{static_cast<uint8_t>(i * 9), static_cast<uint8_t>(i), static_cast<uint8_t>(200 - i), 0};
            palette.SetPalette(i, 1, &entry);
        }
        for (int32_t y = 0; y < 5; ++y) {
            for (size_t i = 0; i < palette.Stride(); ++i) palette.Row(y)[i] = static_cast<uint8_t>(y * 41 + i * 7);
        }
        const CRasterImage back = RoundTrip(palette);
        EXPECT_EQ(back.Bpp(), bpp);
        ExpectSamePixels(back, palette);
    }

    CRasterImage grey;
    ASSERT_TRUE(grey.Create(9, 4, 8));
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 9; ++x) grey.Row(y)[x] = static_cast<uint8_t>(x * 30 + y);
    }
    ExpectSamePixels(RoundTrip(grey), grey);
}

TEST(TiffCodec, DamagedFilesAreSafe) {
    CTiffCodec codec;
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("tiff/two-pages.tif"));
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("tiff/rgba16.tif"));
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("tiff/tiled.tif"));
}

}  // namespace
