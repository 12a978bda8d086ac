#include "codecs/ExifProperties.h"

#include <gtest/gtest.h>

#include <exiv2/exiv2.hpp>

using namespace stampora;

namespace {

// Tags other programs once used for bookkeeping of their own: GDI+'s loop
// count, and two that no program defines.
constexpr uint16_t kForeignTags[] = {0x5101, 0x07D0, 0x0834};

// A file's EXIF may hold any tag; whatever it holds stays an EXIF item and
// never poses as the timing or TIFF page tags that the program hands its
// writers.
TEST(ExifProperties, ForeignTagsStayExifItems) {
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "Maker";
    exif["Exif.Image.Orientation"] = uint16_t{6};
    for (const uint16_t tag : kForeignTags) {
        const Exiv2::AsciiValue text("254=1");
        exif.add(Exiv2::ExifKey(tag, "Image"), &text);
    }
    Exiv2::Blob block;
    Exiv2::ExifParser::encode(block, Exiv2::littleEndian, exif);

    CImageProperties properties;
    ASSERT_TRUE(ReadExifBlock(block.data(), block.size(), properties));
    EXPECT_EQ(properties.exif.Text(ExifTag::Make), "Maker");
    EXPECT_EQ(properties.orientation, 6);
    for (const uint16_t tag : kForeignTags) EXPECT_EQ(properties.exif.Text(static_cast<ExifTag>(tag)), "254=1");
    EXPECT_TRUE(properties.frameDelays.empty());
    EXPECT_FALSE(properties.loopCount);
    EXPECT_TRUE(properties.tiffPages.empty());
}

}  // namespace
