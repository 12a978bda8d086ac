// A JPEG decoded at libjpeg-turbo's reduced scales for a first view: the
// smallest scale that still fills the fitted view, upright, and damage told
// in lines of the whole picture.
#include <gtest/gtest.h>

#include <cstdlib>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"
#include "codecs/jpeg/JpegCodec.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

std::vector<uint8_t> PhotoJpeg(const ScratchDir& dir, int32_t width, int32_t height) {
    const std::string path = dir.File("photo.jpg");
    EXPECT_TRUE(PhotoLikePicture(width, height, 24).Save(path));
    return FileBytes(path);
}

}  // namespace

TEST(ScaledJpeg, TheSmallestScaleThatFillsTheFittedViewIsTaken) {
    ScratchDir dir;
    const std::vector<uint8_t> bytes = PhotoJpeg(dir, 600, 400);
    struct Case {
        FitBox box;
        int32_t scale, width, height;
    };
    for (const Case& c : {Case{{75, 50}, 8, 75, 50}, Case{{80, 60}, 4, 150, 100},
                          Case{{640, 480}, 1, 600, 400}, Case{{300, 1000}, 2, 300, 200}}) {
        ScaledJpeg scaled;
        Status status;
        ASSERT_TRUE(ReadScaledJpeg(bytes.data(), bytes.size(), c.box, scaled, status)) << status.Error();
        EXPECT_EQ(scaled.scale, c.scale) << c.box.width;
        EXPECT_EQ(scaled.picture.Width(), c.width);
        EXPECT_EQ(scaled.picture.Height(), c.height);
        EXPECT_EQ(scaled.fullWidth, 600);
    }
    // Turned upright by its EXIF orientation: stored 16 x 32, shown 32 x 16.
    const std::vector<uint8_t> turned = FixtureBytes("jpeg/orientation-6.jpg");
    ScaledJpeg scaled;
    Status status;
    ASSERT_TRUE(ReadScaledJpeg(turned.data(), turned.size(), {4, 2}, scaled, status));
    EXPECT_EQ(scaled.scale, 8);
    EXPECT_EQ(scaled.fullWidth, 32);
    EXPECT_EQ(scaled.fullHeight, 16);
    EXPECT_TRUE(ColourNear(scaled.picture, 0, 0, 255, 0, 0, 40));  // red top-left, white bottom-right
    EXPECT_TRUE(ColourNear(scaled.picture, 3, 1, 255, 255, 255, 40));
}

TEST(ScaledJpeg, DamageIsToldInLinesOfTheWholePicture) {
    ScratchDir dir;
    std::vector<uint8_t> bytes = PhotoJpeg(dir, 600, 400);
    bytes.resize(bytes.size() * 6 / 10);
    ScaledJpeg scaled;
    Status status;
    ASSERT_TRUE(ReadScaledJpeg(bytes.data(), bytes.size(), {75, 50}, scaled, status));
    const Decoded whole(CJpegCodec(), bytes);
    ASSERT_TRUE(whole.ok);
    // "only N of 400 lines", N within a row of blocks of the whole decode's.
    const auto line = [](const std::string& damage) { return std::atoi(damage.c_str() + 5); };
    EXPECT_NE(status.damage.find(" of 400 lines"), std::string::npos) << status.damage;
    EXPECT_NEAR(line(status.damage), line(whole.status.damage), 16);
}
