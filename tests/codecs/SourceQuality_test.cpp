#include "codecs/metadata/SourceQuality.h"

#include <gtest/gtest.h>

#include <vector>

#include "batch/BatchTestSupport.h"
#include "codecs/PictureFiles.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

// Files ImageMagick wrote (scripts/make-quality-fixtures.sh), in colour with
// either subsampling and in grey.
TEST(SourceQuality, ReadsTheQualityOfFilesOtherToolsWrote) {
    EXPECT_EQ(JpegFileQuality(FixturePath("jpeg/quality92-420.jpg")), 92);
    EXPECT_EQ(JpegFileQuality(FixturePath("jpeg/quality75-444.jpg")), 75);
    EXPECT_EQ(JpegFileQuality(FixturePath("jpeg/quality40-grey.jpg")), 40);
}

// Our own writer's files, across the two halves of libjpeg's scaling.
TEST(SourceQuality, ReadsTheQualityOurWriterUsed) {
    ScratchDir dir;
    const CRasterImage picture = batchtest::PatternPicture(32, 24, 3);
    for (int quality : {5, 30, 50, 51, 80, 97, 100}) {
        const std::string path = dir.File("q" + std::to_string(quality) + ".jpg");
        ASSERT_TRUE(CRasterImage(picture).Save(path, quality));
        EXPECT_EQ(JpegFileQuality(path), quality);
    }
}

TEST(SourceQuality, OtherAndBrokenFilesHaveNone) {
    ScratchDir dir;
    EXPECT_EQ(JpegFileQuality(dir.File("missing.jpg")), std::nullopt);
    ASSERT_TRUE(batchtest::PatternPicture(8, 8, 1).Save(dir.File("p.png")));
    EXPECT_EQ(JpegFileQuality(dir.File("p.png")), std::nullopt);

    // Cut inside the headers, and a table segment longer than the file.
    std::vector<uint8_t> bytes = batchtest::FileBytes(FixturePath("jpeg/quality92-420.jpg"));
    for (size_t cut : {size_t{3}, size_t{30}, size_t{100}}) {
        batchtest::WriteTextFile(dir.File("cut.jpg"), std::string(bytes.begin(), bytes.begin() + cut));
        EXPECT_EQ(JpegFileQuality(dir.File("cut.jpg")), std::nullopt) << cut;
    }
    const std::string hostile = std::string("\xFF\xD8\xFF\xDB\xFF\xF0\x00", 7) + std::string(70, '\x10');
    batchtest::WriteTextFile(dir.File("hostile.jpg"), hostile);
    EXPECT_EQ(JpegFileQuality(dir.File("hostile.jpg")), std::nullopt);
    EXPECT_EQ(EstimateJpegQuality({}), std::nullopt);
}

}  // namespace
