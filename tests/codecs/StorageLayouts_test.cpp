// Pictures other tools stored in the layouts the readers must all take:
// run-length BMPs, 32-bit BMPs whose fourth byte is unused, tiled TIFFs of
// every tile size and TIFF pages stored turned.
#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"

using namespace stampora;

namespace {

CRasterImage LoadFixture(const std::string& relative) {
    CRasterImage image;
    Status status;
    EXPECT_TRUE(image.Load(FixturePath(relative), nullptr, &status)) << relative << ": " << status.Error();
    EXPECT_EQ(status.damage, "") << relative;
    return image;
}

// Same size, same colours; alpha is not compared.
void ExpectSameColours(const CRasterImage& a, const CRasterImage& b) {
    EXPECT_EQ(DifferenceOf(a, b).worst, 0);
}

TEST(StorageLayouts, RunLengthBitmapsDecodeLikeTheirUncompressedPictures) {
    const CRasterImage rle8 = LoadFixture("bmp/rle8.bmp");
    EXPECT_EQ(rle8.Bpp(), 8);
    ExpectSameColours(rle8, LoadFixture("bmp/rle8-reference.bmp"));
    const CRasterImage rle4 = LoadFixture("bmp/rle4.bmp");
    EXPECT_EQ(rle4.Bpp(), 4);
    ExpectSameColours(rle4, LoadFixture("bmp/rle-reference.bmp"));
}

TEST(StorageLayouts, ThirtyTwoBitBitmapsWithoutAlphaLoadOpaque) {
    const CRasterImage v5 = LoadFixture("bmp/v5-alpha-mask-0.bmp");
    ASSERT_EQ(v5.Bpp(), 32);
    ExpectSameColours(v5, LoadFixture("tiff/stripped.tif"));
    EachPixel(v5, [](int32_t x, int32_t y, const uint8_t* p) { ASSERT_EQ(p[3], 255) << x << "," << y; });
    // A bitmap with a real alpha channel keeps it.
    const CRasterImage withAlpha = LoadFixture("bmp/rgba32-v5.bmp");
    EXPECT_LT(PixelOf(withAlpha, 6, 4).a, 255);
}

TEST(StorageLayouts, EveryTileSizeDecodesLikeTheStrippedPicture) {
    const CRasterImage stripped = LoadFixture("tiff/stripped.tif");
    for (const char* tiled : {"tiff/tiled-16.tif", "tiff/tiled-48.tif"}) {
        SCOPED_TRACE(tiled);
        ExpectSamePixels(LoadFixture(tiled), stripped);
    }
}

TEST(StorageLayouts, PagesStoredTurnedLoadUprightWhateverTheirLayout) {
    const CRasterImage upright = LoadFixture("tiff/stripped.tif");
    for (const char* turned :
         {"tiff/orientation-3-stripped.tif", "tiff/orientation-3-tiled.tif", "png/orientation-3.png"}) {
        SCOPED_TRACE(turned);
        CRasterImage image;
        CImageProperties metadata;
        ASSERT_TRUE(image.Load(FixturePath(turned), &metadata));
        ExpectSamePixels(image, upright);
        EXPECT_EQ(metadata.orientation, 1);
    }
}

}  // namespace
