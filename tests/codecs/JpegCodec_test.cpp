#include "codecs/jpeg/JpegCodec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/SaveQuality.h"
#include "codecs/metadata/ExifProperties.h"

using namespace stampora;

namespace {

CImageProperties WithQuality(int32_t quality) {
    CImageProperties p;
    p.saveQuality = quality;
    return p;
}

bool SaveJpeg(const std::string& path, CRasterImage& image, const CImageProperties* properties) {
    CJpegCodec codec;
    return SaveThrough(codec, path, image, properties);
}

TEST(JpegCodec, CameraItemsBecomeProperties) {
    const Decoded read(CJpegCodec(), FixtureBytes("jpeg/orientation-6.jpg"));
    ASSERT_TRUE(read.ok && read.properties);
    const ExifItems& exif = read.properties->exif;
    for (const auto& [tag, text] : {std::pair{ExifTag::Make, "TestMake"},
                                    {ExifTag::Model, "Model 7"},
                                    {ExifTag::DateTimeOriginal, "2024:05:06 07:08:09"},
                                    {ExifTag::ExposureTime, "1/125"},
                                    {ExifTag::FNumber, "28/10"},
                                    {ExifTag::IsoSpeed, "200"},
                                    {ExifTag::ExposureBias, "-1/3"},
                                    {ExifTag::Flash, "16"}})
        EXPECT_EQ(exif.Text(tag), text) << text;
}

TEST(JpegCodec, SaveQualityFollowsTheQualityProperties) {
    for (const auto& [given, used] : {std::pair{-1, 80}, {150, 100}, {0, 1}}) {
        const CImageProperties properties = WithQuality(given);
        EXPECT_EQ(SaveQualityFromProperties(&properties), used) << given;
    }
    EXPECT_EQ(SaveQualityFromProperties(nullptr), 80);
    CImageProperties fallback;
    fallback.jpegQuality = 55;
    EXPECT_EQ(SaveQualityFromProperties(&fallback), 55);
}

TEST(JpegCodec, PalettePicturesAreWritten) {
    ScratchDir dir;
    CRasterImage palette = BlankImage(32, 16, 4);
    PaletteColour red{0, 0, 255, 0};
    palette.SetPalette(1, 1, &red);
    for (int32_t y = 0; y < 16; ++y) palette.Row(y)[0] = 0x11;  // first two pixels red
    const CImageProperties quality = WithQuality(90);
    ASSERT_TRUE(SaveJpeg(dir.File("p.jpg"), palette, &quality));

    const Decoded read(CJpegCodec(), FileBytes(dir.File("p.jpg")));
    EXPECT_TRUE(read.ok && ColourNear(read.Image(), 0, 8, 255, 0, 0, 40));
}

// Given metadata segments replace the EXIF made from the properties; a
// segment whose length runs past the end is not written, nor what follows.
TEST(JpegCodec, GivenSegmentsAreWrittenAfterTheJfifHeader) {
    ScratchDir dir;
    CRasterImage picture = BlankImage(16, 16, 24);
    CImageProperties options = WithQuality(90);
    options.exif.Set(ExifTag::Make, "Maker");
    const std::string comment("\xFF\xFE\x00\x07hello", 9);
    const std::string overlong("\xFF\xE5\x10\x00short", 9);
    const std::string segments = comment + overlong;
    options.jpegSegments.assign(segments.begin(), segments.end());
    ASSERT_TRUE(SaveJpeg(dir.File("p.jpg"), picture, &options));

    const std::vector<uint8_t> file = FileBytes(dir.File("p.jpg"));
    ASSERT_GT(file.size(), 20u + comment.size());
    EXPECT_EQ(file[3], 0xE0);  // libjpeg's own JFIF header first
    EXPECT_EQ(std::string(file.begin() + 20, file.begin() + 20 + static_cast<long>(comment.size())), comment);
    EXPECT_EQ(file[20 + comment.size()], 0xFF);
    EXPECT_EQ(file[21 + comment.size()], 0xDB);  // then the tables: no EXIF, no overlong segment
}

TEST(JpegCodec, FailedSaveLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.File("keep.jpg");
    CRasterImage small = PhotoLikePicture(8, 8, 24);
    ASSERT_TRUE(SaveJpeg(path, small, nullptr));
    const auto before = std::filesystem::file_size(path);
    // libjpeg refuses lines longer than 65500 pixels half-way through a save.
    CRasterImage tooWide = BlankImage(70000, 1, 24);
    EXPECT_FALSE(SaveJpeg(path, tooWide, nullptr));
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(FileNamesIn(dir.Path()), std::vector<std::string>{"keep.jpg"});
}

TEST(JpegCodec, OversizedFramesAreRefused) {
    // A frame header claiming 16000 x 16000 pixels, which no file of a few
    // hundred bytes can describe, is refused before any pixel memory is taken.
    std::vector<uint8_t> bytes = FixtureBytes("jpeg/orientation-1.jpg");
    size_t sof = 0;
    // The baseline or progressive frame header: FF C0 or FF C2.
    while (sof + 8 < bytes.size() && !(bytes[sof] == 0xFF && (bytes[sof + 1] & 0xFD) == 0xC0)) ++sof;
    ASSERT_LT(sof + 8, bytes.size());
    bytes[sof + 5] = bytes[sof + 7] = 0x3E;  // height and width 0x3E80
    bytes[sof + 6] = bytes[sof + 8] = 0x80;
    const Decoded read(CJpegCodec(), bytes);
    EXPECT_FALSE(read.ok);
    EXPECT_TRUE(read.images.Empty());
    EXPECT_EQ(read.status.Error().substr(0, 43), "the header claims 16000 x 16000 pixels, mor");
}

}  // namespace
