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

TEST(StorageLayouts, RunLengthBitmapsDecodeLikeTheirUncompressedPictures) {
    const CRasterImage rle8 = LoadFixture("bmp/rle8.bmp");
    EXPECT_EQ(rle8.Bpp(), 8);
    EXPECT_EQ(DifferenceOf(rle8, LoadFixture("bmp/rle8-reference.bmp")).worst, 0);
    const CRasterImage rle4 = LoadFixture("bmp/rle4.bmp");
    EXPECT_EQ(rle4.Bpp(), 4);
    EXPECT_EQ(DifferenceOf(rle4, LoadFixture("bmp/rle-reference.bmp")).worst, 0);
}

TEST(StorageLayouts, ThirtyTwoBitBitmapsWithoutAlphaLoadOpaque) {
    const CRasterImage v5 = LoadFixture("bmp/v5-alpha-mask-0.bmp");
    ASSERT_EQ(v5.Bpp(), 32);
    EXPECT_EQ(DifferenceOf(v5, LoadFixture("tiff/stripped.tif")).worst, 0);
    EachPixel(v5, [](int32_t x, int32_t y, const uint8_t* p) { ASSERT_EQ(p[3], 255) << x << "," << y; });
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
