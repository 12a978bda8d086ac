// Every writable format, every depth it takes: a picture saved by path and
// read back keeps its size and colours (exactly where the format is
// lossless), in the depth the format stores it as.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "codecs/CodecFactory.h"
#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"

using namespace stampora;

namespace {

enum class Kind { Palette, Grey, Rgb555, Rgb565, Rgb, Rgba };

struct RoundTripCase {
    const char* extension;
    Kind kind;
    int32_t bpp;          // of the picture saved
    int32_t expectedBpp;  // of the picture read back
    int meanError;        // -1: every pixel exact, alpha included
    int quality = -1;     // the writer's default
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
    *out << c.extension << "-" << c.bpp << "-" << int(c.kind) << "-" << c.quality;
}

CRasterImage Sixteen(uint32_t red, uint32_t green, uint32_t blue) {
    CRasterImage image = BitFieldImage(21, 11, red, green, blue);
    EachPixel(image, [](int32_t x, int32_t y, uint8_t* p) {
        StoreLE16(p, static_cast<uint16_t>(x * 3119 + y * 977));
    });
    return image;
}

CRasterImage Picture(Kind kind, int32_t bpp) {
    switch (kind) {
        case Kind::Palette:
        case Kind::Grey: {
            CRasterImage image;
            image.Create(23, 9, bpp);
            for (int32_t i = 0; kind == Kind::Palette && i < image.PaletteSize(); ++i) {
                const PaletteColour entry{static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                                          static_cast<uint8_t>(i * 7), 0};
                image.SetPalette(i, 1, &entry);
            }
            for (int32_t y = 0; y < image.Height(); ++y) {
                for (size_t i = 0; i < image.Stride(); ++i)
                    image.Row(y)[i] = static_cast<uint8_t>(y * 37 + i * 11);
            }
            return image;
        }
        case Kind::Rgb555:
            return Sixteen(0x7C00, 0x03E0, 0x001F);
        case Kind::Rgb565:
            return Sixteen(0xF800, 0x07E0, 0x001F);
        default:
            return PhotoLikePicture(41, 29, bpp);
    }
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, KeepsThePicture) {
    const RoundTripCase& c = GetParam();
    const CRasterImage picture = Picture(c.kind, c.bpp);
    ASSERT_FALSE(picture.IsEmpty());
    ScratchDir dir;
    const std::string path = dir.File(std::string("picture.") + c.extension);
    Status status;
    ASSERT_TRUE(picture.Save(path, c.quality, &status)) << status.Error();
    CRasterImage back;
    ASSERT_TRUE(back.Load(path, nullptr, &status)) << status.Error();
    EXPECT_EQ(status.damage, "");
    EXPECT_EQ(back.Bpp(), c.expectedBpp);
    if (c.meanError < 0) {
        ExpectSamePixels(back, picture);
        return;
    }
    // A format without alpha keeps the picture as it shows over white.
    CRasterImage shown = picture;
    if (c.bpp == 32 && c.expectedBpp != 32) {
        EachPixel(shown, [](int32_t, int32_t, uint8_t* p) {
            for (int i = 0; i < 3; ++i)
                p[i] = static_cast<uint8_t>((p[i] * p[3] + 255 * (255 - p[3]) + 127) / 255);
        });
    }
    EXPECT_LT(DifferenceOf(back, shown).mean, c.meanError + 1);
}

// 16-bit pictures go out as 5-5-5 (TGA) or as 24-bit colour (PNG, TIFF),
// whose 8-bit channels hold the widened 5- and 6-bit ones exactly.
INSTANTIATE_TEST_SUITE_P(
    EveryFormat, RoundTrip,
    ::testing::Values(
        RoundTripCase{"bmp", Kind::Palette, 1, 1, -1}, RoundTripCase{"bmp", Kind::Palette, 4, 4, -1},
        RoundTripCase{"bmp", Kind::Palette, 8, 8, -1}, RoundTripCase{"bmp", Kind::Rgb555, 16, 16, -1},
        RoundTripCase{"bmp", Kind::Rgb565, 16, 16, -1}, RoundTripCase{"bmp", Kind::Rgb, 24, 24, -1},
        RoundTripCase{"bmp", Kind::Rgba, 32, 32, -1}, RoundTripCase{"tga", Kind::Palette, 8, 8, -1},
        RoundTripCase{"tga", Kind::Rgb555, 16, 16, -1}, RoundTripCase{"tga", Kind::Rgb565, 16, 16, 4},
        RoundTripCase{"tga", Kind::Rgb, 24, 24, -1}, RoundTripCase{"tga", Kind::Rgba, 32, 32, -1},
        RoundTripCase{"png", Kind::Palette, 1, 1, -1}, RoundTripCase{"png", Kind::Palette, 4, 4, -1},
        RoundTripCase{"png", Kind::Palette, 8, 8, -1}, RoundTripCase{"png", Kind::Grey, 8, 8, -1},
        RoundTripCase{"png", Kind::Rgb565, 16, 24, -1}, RoundTripCase{"png", Kind::Rgb, 24, 24, -1},
        RoundTripCase{"png", Kind::Rgba, 32, 32, -1}, RoundTripCase{"tif", Kind::Palette, 1, 1, -1},
        RoundTripCase{"tif", Kind::Palette, 4, 4, -1}, RoundTripCase{"tif", Kind::Palette, 8, 8, -1},
        RoundTripCase{"tif", Kind::Grey, 8, 8, -1}, RoundTripCase{"tif", Kind::Rgb555, 16, 24, -1},
        RoundTripCase{"tif", Kind::Rgb, 24, 24, -1}, RoundTripCase{"tif", Kind::Rgba, 32, 32, -1},
        RoundTripCase{"gif", Kind::Palette, 1, 1, -1}, RoundTripCase{"gif", Kind::Palette, 4, 4, -1},
        RoundTripCase{"gif", Kind::Palette, 8, 8, -1}, RoundTripCase{"gif", Kind::Rgb, 24, 8, 12},
        RoundTripCase{"jpg", Kind::Grey, 8, 8, 6}, RoundTripCase{"jpg", Kind::Rgb, 24, 24, 8},
        RoundTripCase{"jpg", Kind::Rgba, 32, 24, 8}, RoundTripCase{"webp", Kind::Rgb, 24, 32, 8},
        RoundTripCase{"webp", Kind::Rgba, 32, 32, 8}, RoundTripCase{"avif", Kind::Rgb, 24, 32, 8},
        RoundTripCase{"avif", Kind::Rgba, 32, 32, 8}, RoundTripCase{"heic", Kind::Rgb, 24, 32, 8},
        RoundTripCase{"jxl", Kind::Grey, 8, 32, 8}, RoundTripCase{"jxl", Kind::Rgba, 32, 32, 8},
        // Quality 100 is lossless.
        RoundTripCase{"webp", Kind::Rgba, 32, 32, -1, 100},
        RoundTripCase{"jxl", Kind::Rgba, 32, 32, -1, 100}));

// Camera items given to a save come back as they were given, in every
// format that holds EXIF; items no writer carries are left out.
TEST(CameraItems, TravelInEveryFormatWithExif) {
    const std::pair<ExifTag, const char*> items[] = {
        {ExifTag::Make, "Maker"},       {ExifTag::Model, "Model"},       {ExifTag::MeteringMode, "5"},
        {ExifTag::FocalLength, "35/1"}, {ExifTag::ExposureBias, "-2/3"}, {ExifTag::IsoSpeed, "400"}};
    CImageProperties camera;
    for (const auto& [tag, value] : items) camera.exif.Set(tag, value);
    camera.exif.Set(ExifTag::DateTime, "not carried");
    for (const char* name : {"x.jpg", "x.png", "x.tif", "x.webp", "x.avif", "x.jxl"}) {
        CRasterImage picture = PhotoLikePicture(33, 21, 32);
        const auto codec = GetCodecFactory().CreateCodec(FormatFromPath(name));
        PropertiesSlot back;
        RoundTripThrough(*codec, name, picture, &camera, &back);
        ASSERT_TRUE(back) << name;
        for (const auto& [tag, value] : items) EXPECT_EQ(back->exif.Text(tag), value) << name << " " << value;
        EXPECT_FALSE(back->exif.Has(ExifTag::DateTime)) << name;
    }
}

}  // namespace
