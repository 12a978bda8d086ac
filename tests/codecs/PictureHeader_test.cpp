#include "codecs/PictureHeader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codecs/CodecInputFile.h"
#include "codecs/PictureFiles.h"
#include "image/RasterImage.h"
#include "support/TestPaths.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace {

namespace fs = std::filesystem;

struct HeaderCase {
    const char* file;
    int32_t channels;
    int32_t bits;
};

class PictureHeaders : public ::testing::TestWithParam<HeaderCase> {};

// Files other tools wrote: the header gives the size the reader makes, and
// the depth and channels the file holds.
TEST_P(PictureHeaders, MatchWhatTheReadersMake) {
    const std::string path = FixturePath(GetParam().file);
    CRasterImage picture;
    ASSERT_TRUE(picture.Load(path));
    const auto header = ReadPictureHeader(path);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->width, picture.Width());
    EXPECT_EQ(header->height, picture.Height());
    EXPECT_EQ(header->channels, GetParam().channels);
    EXPECT_EQ(header->bitsPerChannel, GetParam().bits);
    // The same from the file opened for reading, which is left at its start.
    CodecInputFile file;
    Status status;
    ASSERT_TRUE(file.Open(path, status));
    const auto fromOpen = ReadPictureHeader(file, FormatFromPath(path));
    ASSERT_TRUE(fromOpen.has_value());
    EXPECT_EQ(fromOpen->width, header->width);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(file.ReadAll(bytes, status));
    EXPECT_EQ(bytes, FileBytes(path));
}

using H = HeaderCase;

INSTANTIATE_TEST_SUITE_P(
    OtherToolsFiles, PictureHeaders,
    ::testing::Values(H{"jpeg/quality92-420.jpg", 3, 8}, H{"jpeg/grey.jpg", 1, 8}, H{"jpeg/cmyk.jpg", 4, 8},
                      H{"png/rgb16.png", 3, 16}, H{"png/rgba.png", 4, 8}, H{"png/palette8.png", 1, 8},
                      H{"tiff/rgba16.tif", 4, 16}, H{"tiff/tiled-48.tif", 3, 8}, H{"gif/animation.gif", 4, 8},
                      H{"bmp/rgb24.bmp", 3, 8}, H{"bmp/rgba32-v5.bmp", 4, 8}, H{"bmp/core-rgb24.bmp", 3, 8},
                      H{"bmp/rgb24-top.bmp", 3, 8}, H{"tga/grey-alpha.tga", 4, 8},
                      H{"newformats/camera.webp", 3, 8}, H{"newformats/alpha-lossless.webp", 4, 8},
                      H{"newformats/animated-5.webp", 3, 8}, H{"newformats/camera.heic", 3, 8},
                      H{"newformats/turned.heic", 3, 8}, H{"newformats/alpha-q80.avif", 4, 8},
                      H{"newformats/deep-10bit.avif", 3, 10}, H{"newformats/camera.jxl", 3, 8},
                      H{"newformats/alpha-lossless.jxl", 4, 8}),
    [](const auto& info) { return TestNameOf(info.param.file); });

TEST(PictureHeaderTest, AProgressiveJpegKeepsItsCoefficientsWhileDecoded) {
    EXPECT_GT(ReadPictureHeader(FixturePath("jpeg/progressive.jpg"))->workingBytesPerPixel, 0);
    EXPECT_EQ(ReadPictureHeader(FixturePath("jpeg/quality92-420.jpg"))->workingBytesPerPixel, 0);
}

TEST(PictureHeaderTest, CutOrForeignFilesHaveNoHeader) {
    ScratchDir dir;
    const std::string png = FixturePath("png/rgb.png");
    const auto bytes = FileBytes(png);
    WriteTextFile(dir.File("cut.png"), std::string(bytes.begin(), bytes.begin() + 20));
    WriteTextFile(dir.File("cut.jpg"), std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
    WriteTextFile(dir.File("cut.tif"), std::string("II*\0\x08\0\0\0", 8));
    WriteTextFile(dir.File("notes.bmp"), "plain text, not a picture");
    for (const char* name : {"cut.png", "cut.jpg", "cut.tif", "notes.bmp", "absent.png"})
        EXPECT_FALSE(ReadPictureHeader(dir.File(name)).has_value()) << name;
}

// A picture each writer made is whole; the same file cut short, emptied,
// replaced by another format's bytes or by text is not.
TEST(PictureHeaderTest, TellsAFinishedPictureFromABrokenOne) {
    ScratchDir dir;
    const CRasterImage picture = NoiseImage(90, 70, 24, 3);
    for (const char* name :
         {"a.jpg", "a.png", "a.gif", "a.bmp", "a.tga", "a.tif", "a.webp", "a.avif", "a.heic", "a.jxl"}) {
        const std::string path = dir.File(name);
        ASSERT_TRUE(picture.Save(path)) << name;
        const ImageFormat format = FormatFromPath(path);
        EXPECT_TRUE(IsWholePicture(path, format)) << name;
        const uintmax_t size = fs::file_size(path);
        fs::resize_file(path, size * 3 / 4);
        EXPECT_FALSE(IsWholePicture(path, format)) << name << " cut short";
        fs::resize_file(path, 0);
        EXPECT_FALSE(IsWholePicture(path, format)) << name << " empty";
        WriteTextFile(path, std::string(4096, 'x'));
        EXPECT_FALSE(IsWholePicture(path, format)) << name << " text";
    }
    ASSERT_TRUE(picture.Save(dir.File("png.jpg")) && picture.Save(dir.File("real.png")));
    fs::rename(dir.Path() / "real.png", dir.Path() / "png.jpg");
    EXPECT_FALSE(IsWholePicture(dir.File("png.jpg"), FormatJpeg));
}

// Metadata longer than any fixed window before the frame header does not
// make a finished picture look broken.
TEST(PictureHeaderTest, LongMetadataBeforeThePixelsIsRead) {
    ScratchDir dir;
    const std::string path = dir.File("long.jpg");
    ASSERT_TRUE(NoiseImage(40, 30, 24, 5).Save(path));
    auto bytes = FileBytes(path);
    const std::string segment = std::string("\xFF\xEF\xFF\xFF", 4) + std::string(65533, 'm');
    for (int i = 0; i < 40; ++i) bytes.insert(bytes.begin() + 2, segment.begin(), segment.end());
    WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(IsWholePicture(path, FormatJpeg));
    EXPECT_EQ(ReadPictureHeader(path)->width, 40);
}

}  // namespace
