#include "codecs/metadata/ExifProperties.h"

#include <gtest/gtest.h>

#include <exiv2/exiv2.hpp>

using namespace stampora;

// A file's EXIF may hold any tag (GDI+'s loop count 0x5101 among them, and
// ids no program defines); each stays an EXIF item and never poses as the
// timing or TIFF page tags that the program hands its writers.
TEST(ExifProperties, ForeignTagsStayExifItems) {
    constexpr uint16_t foreignTags[] = {0x5101, 0x07D0, 0x0834};
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "Maker";
    exif["Exif.Image.Orientation"] = uint16_t{6};
    const Exiv2::AsciiValue text("254=1");
    for (const uint16_t tag : foreignTags) exif.add(Exiv2::ExifKey(tag, "Image"), &text);
    Exiv2::Blob block;
    Exiv2::ExifParser::encode(block, Exiv2::littleEndian, exif);

    CImageProperties properties;
    ASSERT_TRUE(ReadExifBlock(block.data(), block.size(), properties));
    EXPECT_EQ(properties.exif.Text(ExifTag::Make), "Maker");
    EXPECT_EQ(properties.orientation, 6);
    for (const uint16_t tag : foreignTags)
        EXPECT_EQ(properties.exif.Text(static_cast<ExifTag>(tag)), "254=1");
    EXPECT_TRUE(properties.frameDelays.empty() && properties.tiffPages.empty() && !properties.loopCount);
}
