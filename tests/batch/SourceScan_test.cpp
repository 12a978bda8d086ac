#include "batch/SourceScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/BatchTestSupport.h"
#include "batch/BatchTypeFilter.h"
#include "batch/SameDirectory.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

using batchtest::WriteTextFile;
using Names = std::vector<std::string>;

constexpr uint32_t kJpegBit = FormatBit(FormatJpeg);
constexpr uint32_t kBmpPngBits = FormatBit(FormatBmp) | FormatBit(FormatPng);

TEST(BatchTypeFilter, AllImagesTakesEveryWritableFormatOtherwiseTheCheckedOnesInTableOrder) {
    EXPECT_EQ(BuildTypeFilter({1}),
              ".jpg.jpeg.jpe.bmp.dib.rle.png.gif.tga.tif.tiff.webp.heic.heif.hif.avif.jxl");
    EXPECT_EQ(BuildTypeFilter({1, kJpegBit}), BuildTypeFilter({1}));
    EXPECT_EQ(BuildTypeFilter({0}), "");
    EXPECT_EQ(BuildTypeFilter({0, FormatBit(FormatTga) | FormatBit(FormatGif) | kJpegBit}),
              ".jpg.jpeg.jpe.gif.tga");
    // A format the batch cannot write back is never selected.
    EXPECT_EQ(BuildTypeFilter({0, FormatBit(FormatIco)}), "");
}

TEST(BatchTypeFilter, TypeWordsAreAnyExtensionOfAWritableFormat) {
    BatchTypeFlags flags;
    ASSERT_TRUE(ParseTypeList("jpe,TIFF,dib", flags));
    EXPECT_EQ(flags.formats, kJpegBit | FormatBit(FormatTiff) | FormatBit(FormatBmp));
    ASSERT_TRUE(ParseTypeList("all", flags));
    EXPECT_EQ(flags.allImages, 1);
    for (const char* refused : {"", "jpg,", "ico", "pcx", "jpg,,png", "all,png"}) {
        EXPECT_FALSE(ParseTypeList(refused, flags)) << refused;
    }
    EXPECT_EQ(TypeWords(), "jpg, bmp, png, gif, tga, tif, webp, heic, avif, jxl");
}

TEST(SourceScan, SelectsRegularFilesByTheirWholeExtensionInAnyCaseAndAnyScript) {
    ScratchDir dir;
    for (const char* name : {"a.JPG", "b.png", "c.txt", "README", "notes.e", "x.pe", "y.jpe", "z.dib",
                             "w.RLE", "name.", "v.tga.bak", "u.jpgx", "t.Jpeg", "Ünïcødé 東京.BMP"}) {
        WriteTextFile(dir.Path() / name, "not a picture");
    }
    std::filesystem::create_directory(dir.Path() / "d.jpg");
    std::filesystem::create_directory_symlink(dir.Path() / "d.jpg", dir.Path() / "link.jpg");
    std::filesystem::create_symlink(dir.Path() / "a.JPG", dir.Path() / "alias.jpeg");
    // Reading a FIFO would wait for a writer forever.
    ASSERT_EQ(::mkfifo((dir.Path() / "pipe.jpg").c_str(), 0600), 0);

    Names names{"left over"};
    ASSERT_TRUE(ScanSourceDirectory(dir.Path().string(), BuildTypeFilter({0, kJpegBit}), names));
    EXPECT_EQ(names, (Names{"a.JPG", "alias.jpeg", "t.Jpeg", "y.jpe"}));

    ASSERT_TRUE(ScanSourceDirectory(dir.Path().string(), BuildTypeFilter({0, kBmpPngBits}), names));
    EXPECT_EQ(names, (Names{"b.png", "w.RLE", "z.dib", "Ünïcødé 東京.BMP"}));

    ASSERT_TRUE(ScanSourceDirectory(dir.Path().string(), "", names));
    EXPECT_TRUE(names.empty());
}

TEST(SourceScan, AMissingFolderFailsAndKeepsTheList) {
    ScratchDir dir;
    Names names{"kept"};
    EXPECT_FALSE(ScanSourceDirectory(dir.File("missing"), BuildTypeFilter({1}), names));
    EXPECT_EQ(names, Names{"kept"});
}

TEST(SameDirectory, RecognisesOneFolderUnderDifferentSpellings) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "pics");
    std::filesystem::create_directory(dir.Path() / "out");
    std::filesystem::create_directory_symlink(dir.Path() / "pics", dir.Path() / "alias");
    const std::string pics = dir.File("pics");
    EXPECT_TRUE(IsSameDirectory(pics, pics + "/"));
    EXPECT_TRUE(IsSameDirectory(pics, dir.File("out/../pics")));
    EXPECT_TRUE(IsSameDirectory(pics, dir.File("alias")));
    EXPECT_FALSE(IsSameDirectory(pics, dir.File("out")));
    EXPECT_FALSE(IsSameDirectory(pics, dir.File("missing")));
}

}  // namespace
