#include "codecs/PngCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>

#include "codecs/FormatTestSupport.h"
#include "image/LittleEndian.h"

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

CRasterImage RoundTrip(CRasterImage& image, const CImageProperties* properties = nullptr,
                       PropertiesSlot* readBack = nullptr) {
    CPngCodec codec;
    return RoundTripThrough(codec, "x.png", image, properties, readBack);
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

TEST(PngCodec, CameraItemsTravelInTheFile) {
    CRasterImage picture = PhotoLikePicture(8, 8, 24);
    CImageProperties camera;
    camera.SetValue(0x0110, "PngModel");
    camera.SetValue(0x920A, "35/1");
    PropertiesSlot back;
    RoundTrip(picture, &camera, &back);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetValue(0x0110), "PngModel");
    EXPECT_EQ(back->GetValue(0x920A), "35/1");
}

TEST(PngCodec, DamagedAndOversizedFilesAreSafe) {
    CPngCodec codec;
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("png/interlaced.png"));
    ExpectDamagedCopiesAreSafe(codec, FixtureBytes("png/palette-trns.png"));

    // A header of 40000 x 40000 pixels with a valid checksum is refused.
    std::vector<uint8_t> bytes = FixtureBytes("png/rgb.png");
    const uint8_t size[8] = {0, 0, 0x9C, 0x40, 0, 0, 0x9C, 0x40};
    std::memcpy(bytes.data() + 16, size, sizeof size);
    const uLong crc = crc32(0, bytes.data() + 12, 17);
    const uint8_t crcBytes[4] = {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16),
                                 static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
    std::memcpy(bytes.data() + 29, crcBytes, 4);
    ImageList images;
    PropertiesSlot properties;
    EXPECT_FALSE(LoadBytes(codec, bytes, images, properties));
}

TEST(PngCodec, TruncatedFileKeepsTheLinesItHolds) {
    // Cut inside the pixel data of a non-interlaced picture: the picture
    // comes back at full size with its upper lines intact.
    // Noise does not compress, so the pixel data spans many reads.
    CRasterImage picture;
    ASSERT_TRUE(picture.Create(128, 128, 24));
    uint32_t seed = 7;
    for (int32_t y = 0; y < 128; ++y) {
        for (size_t i = 0; i < 128 * 3; ++i) {
            seed = seed * 1664525u + 1013904223u;
            picture.Row(y)[i] = static_cast<uint8_t>(seed >> 24);
        }
    }
    ScratchDir dir;
    ImageList list(false);
    list.Append(&picture);
    CPngCodec codec;
    ASSERT_TRUE(codec.SaveFile(dir.File("t.png"), list, nullptr));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(dir.File("t.png"), bytes, 1 << 20));
    bytes.resize(bytes.size() * 2 / 3);
    ImageList images;
    PropertiesSlot properties;
    ASSERT_TRUE(LoadBytes(codec, bytes, images, properties));
    EXPECT_EQ(images.First()->Height(), 128);
    EXPECT_TRUE(ColourNear(*images.First(), 5, 0, PixelOf(picture, 5, 0).r, PixelOf(picture, 5, 0).g,
                           PixelOf(picture, 5, 0).b));
}

}  // namespace
