#include "codecs/tiff/TiffCodec.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include "codecs/FormatTestSupport.h"

using namespace stampora;

namespace {

TEST(TiffCodec, EveryPageIsAFrame) {
    const Decoded read(CTiffCodec(), FixtureBytes("tiff/two-pages.tif"));
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.images.Size(), 2u);
    EXPECT_EQ(read.images.At(0)->Bpp(), 24);
    ExpectQuadrants(*read.images.At(0), 0);
    const CRasterImage& gradient = *read.images.At(1);
    EXPECT_EQ(gradient.Bpp(), 4);
    EXPECT_TRUE(ColourNear(gradient, 5, 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(gradient, 5, 15, 0, 0, 255));
}

TEST(TiffCodec, CameraItemsComeFromTheFirstPage) {
    const Decoded read(CTiffCodec(), FixtureBytes("tiff/camera.tif"));
    ASSERT_TRUE(read.ok && read.properties);
    EXPECT_EQ(read.properties->exif.Text(ExifTag::Make), "TiffMake");
    EXPECT_EQ(read.properties->exif.Text(ExifTag::Model), "TiffModel");
}

// A page's descriptive tags come back as they were given, whatever
// characters its texts hold.
TEST(TiffCodec, PageTagsTravelWithTheirPage) {
    CImageProperties options;
    options.tiffPages = {{{TIFFTAG_XRESOLUTION, "300"},
                          {TIFFTAG_YRESOLUTION, "150"},
                          {TIFFTAG_PAGENAME, "front\x1e\x1f page"}}};
    CRasterImage picture = PhotoLikePicture(16, 8, 24);
    CTiffCodec codec;
    PropertiesSlot back;
    RoundTripThrough(codec, "x.tif", picture, &options, &back);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tiffPages, options.tiffPages);
}

}  // namespace
