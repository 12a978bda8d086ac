#include "codecs/ico/IcoCodec.h"

#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"

using namespace stampora;

namespace {

Decoded Read(const std::vector<uint8_t>& bytes) {
    return Decoded(CIcoCodec(), bytes);
}

// Both fixtures hold a 16 x 16 bitmap icon (red left half, transparent right
// half) followed by a 256 x 256 PNG (a blue disc on transparency).
TEST(IcoCodec, BitmapWithMaskAndPngIconsLoadInDirectoryOrder) {
    for (const char* name : {"ico/mask-and-png.ico", "ico/alpha-and-png.ico"}) {
        SCOPED_TRACE(name);
        const Decoded read = Read(FixtureBytes(name));
        ASSERT_TRUE(read.ok);
        ASSERT_EQ(read.images.Size(), 2u);
        const CRasterImage& icon = *read.images.At(0);
        ASSERT_EQ(icon.Width(), 16);
        ASSERT_EQ(icon.Height(), 16);
        ASSERT_EQ(icon.Bpp(), 32);
        EXPECT_TRUE(ColourNear(icon, 3, 2, 255, 0, 0));
        EXPECT_EQ(PixelOf(icon, 3, 2).a, 255);
        EXPECT_EQ(PixelOf(icon, 3, 14).a, 255);
        EXPECT_EQ(PixelOf(icon, 12, 2).a, 0);

        const CRasterImage& disc = *read.images.At(1);
        ASSERT_EQ(disc.Width(), 256);
        EXPECT_EQ(disc.Bpp(), 32);
        EXPECT_TRUE(ColourNear(disc, 128, 128, 0, 0, 255));
        EXPECT_EQ(PixelOf(disc, 128, 128).a, 255);
        EXPECT_EQ(PixelOf(disc, 2, 2).a, 0);
    }
}

TEST(IcoCodec, EntriesOutsideTheFileOrTooLargeAreSkipped) {
    std::vector<uint8_t> bytes = FixtureBytes("ico/mask-and-png.ico");
    // The PNG entry's offset points past the end: only the bitmap remains.
    std::vector<uint8_t> pastEnd = bytes;
    StoreLE32(pastEnd.data() + 6 + 16 + 12, static_cast<uint32_t>(bytes.size() + 10));
    EXPECT_EQ(Read(pastEnd).images.Size(), 1u);

    // A bitmap header claiming 100000 x 100000 pixels is refused, so with the
    // PNG also gone nothing is left.
    const uint32_t bitmapOffset = LoadLE32(bytes.data() + 6 + 12);
    StoreLE32(pastEnd.data() + bitmapOffset + 4, 100000);
    StoreLE32(pastEnd.data() + bitmapOffset + 8, 200000);
    const Decoded none = Read(pastEnd);
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.images.Empty());
}

}  // namespace
