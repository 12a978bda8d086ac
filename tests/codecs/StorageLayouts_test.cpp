// Pictures other tools stored in the layouts the readers must all take:
// run-length BMPs, 32-bit BMPs whose fourth byte is unused, tiled TIFFs of
// every tile size and pages stored turned, each against the same picture
// stored plainly.
#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"

using namespace stampora;

namespace {

struct Layout {
    const char* file;
    const char* plain;
    int32_t bpp;
};

void PrintTo(const Layout& layout, std::ostream* out) {
    *out << layout.file;
}

class StorageLayouts : public ::testing::TestWithParam<Layout> {};

// The same colours and alpha (an unused fourth byte reads opaque), upright,
// no longer asking to be turned.
TEST_P(StorageLayouts, DecodeLikeThePlainlyStoredPicture) {
    const Layout& layout = GetParam();
    CRasterImage image, plain;
    CImageProperties metadata;
    Status status;
    ASSERT_TRUE(image.Load(FixturePath(layout.file), &metadata, &status)) << status.Error();
    EXPECT_EQ(status.damage, "");
    EXPECT_EQ(image.Bpp(), layout.bpp);
    EXPECT_EQ(metadata.orientation.value_or(1), 1);
    ASSERT_TRUE(plain.Load(FixturePath(layout.plain)));
    ExpectSamePixels(image, plain);
}

INSTANTIATE_TEST_SUITE_P(OtherToolsFiles, StorageLayouts,
                         ::testing::Values(Layout{"bmp/rle8.bmp", "bmp/rle8-reference.bmp", 8},
                                           Layout{"bmp/rle4.bmp", "bmp/rle-reference.bmp", 4},
                                           Layout{"bmp/v5-alpha-mask-0.bmp", "tiff/stripped.tif", 32},
                                           Layout{"tiff/tiled-16.tif", "tiff/stripped.tif", 24},
                                           Layout{"tiff/tiled-48.tif", "tiff/stripped.tif", 24},
                                           Layout{"tiff/orientation-3-stripped.tif", "tiff/stripped.tif", 24},
                                           Layout{"tiff/orientation-3-tiled.tif", "tiff/stripped.tif", 24},
                                           Layout{"png/orientation-3.png", "tiff/stripped.tif", 24}),
                         [](const auto& info) { return TestNameOf(info.param.file); });

}  // namespace
