#include "codecs/ico/IcoCodec.h"

#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "image/LittleEndian.h"

using namespace stampora;

namespace {

bool LoadIco(const std::vector<uint8_t>& bytes, ImageList& images) {
    CIcoCodec codec;
    PropertiesSlot properties;
    return LoadBytes(codec, bytes, images, properties);
}

// Both fixtures hold a 16 x 16 bitmap icon (red left half, transparent right
// half) followed by a 256 x 256 PNG (a blue disc on transparency).
void ExpectHalfRedAndDisc(const ImageList& images) {
    ASSERT_EQ(images.Size(), 2u);
    const CRasterImage& icon = *images.At(0);
    ASSERT_EQ(icon.Width(), 16);
    ASSERT_EQ(icon.Height(), 16);
    ASSERT_EQ(icon.Bpp(), 32);
    EXPECT_TRUE(ColourNear(icon, 3, 2, 255, 0, 0));
    EXPECT_EQ(PixelOf(icon, 3, 2).a, 255);
    EXPECT_EQ(PixelOf(icon, 3, 14).a, 255);
    EXPECT_EQ(PixelOf(icon, 12, 2).a, 0);

    const CRasterImage& disc = *images.At(1);
    ASSERT_EQ(disc.Width(), 256);
    EXPECT_EQ(disc.Bpp(), 32);
    EXPECT_TRUE(ColourNear(disc, 128, 128, 0, 0, 255));
    EXPECT_EQ(PixelOf(disc, 128, 128).a, 255);
    EXPECT_EQ(PixelOf(disc, 2, 2).a, 0);
}

TEST(IcoCodec, BitmapWithMaskAndPngIconsLoadInDirectoryOrder) {
    ImageList masked;
    ASSERT_TRUE(LoadIco(FixtureBytes("ico/mask-and-png.ico"), masked));
    ExpectHalfRedAndDisc(masked);
    ImageList alpha;
    ASSERT_TRUE(LoadIco(FixtureBytes("ico/alpha-and-png.ico"), alpha));
    ExpectHalfRedAndDisc(alpha);
}

TEST(IcoCodec, EntriesOutsideTheFileOrTooLargeAreSkipped) {
    std::vector<uint8_t> bytes = FixtureBytes("ico/mask-and-png.ico");
    // The PNG entry's offset points past the end: only the bitmap remains.
    std::vector<uint8_t> pastEnd = bytes;
    StoreLE32(pastEnd.data() + 6 + 16 + 12, static_cast<uint32_t>(bytes.size() + 10));
    ImageList images;
    ASSERT_TRUE(LoadIco(pastEnd, images));
    EXPECT_EQ(images.Size(), 1u);

    // A bitmap header claiming 100000 x 100000 pixels is refused, so with the
    // PNG also gone nothing is left.
    const uint32_t bitmapOffset = LoadLE32(bytes.data() + 6 + 12);
    StoreLE32(pastEnd.data() + bitmapOffset + 4, 100000);
    StoreLE32(pastEnd.data() + bitmapOffset + 8, 200000);
    ImageList none;
    EXPECT_FALSE(LoadIco(pastEnd, none));
    EXPECT_TRUE(none.Empty());
}

}  // namespace
