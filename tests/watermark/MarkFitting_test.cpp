// Lengths relative to the picture, the tiling grid and self-filling text.
#include <gtest/gtest.h>

#include <set>

#include "codecs/metadata/ImageProperties.h"
#include "watermark/RelativeLength.h"
#include "watermark/TilePattern.h"
#include "watermark/text/MarkText.h"

using namespace stampora;

TEST(RelativeLength, ParsesPixelsAndPercentagesAndRefusesTheRest) {
    Status error;
    const auto pixels = ParseRelativeLength("36", 1, error);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->Resolve(5000), 36);
    const auto share = ParseRelativeLength("4.5%", 1, error);
    ASSERT_TRUE(share);
    EXPECT_EQ(share->Resolve(1000), 45);
    EXPECT_EQ(share->Resolve(300), 14);  // 13.5 rounds to the nearest pixel
    for (const char* bad : {"", "%", "0.05%", "101%", "-3%", "abc", "12px", "0", "3.5", "1e3%"}) {
        error = {};
        EXPECT_FALSE(ParseRelativeLength(bad, 1, error)) << bad;
        EXPECT_TRUE(error.Failed()) << bad;
    }
    EXPECT_TRUE(ParseRelativeLength("0", 0, error));  // a margin may be zero
}

TEST(TilePattern, CoversThePictureWithWholeOrEdgeCutTilesAndShiftsEveryOtherRow) {
    const TilePattern pattern{60, 20, 40, 30, 500, 400};
    const auto places = pattern.PlacesFor(640, 480);
    ASSERT_EQ(static_cast<int64_t>(places.size()), pattern.CountFor(640, 480));
    std::set<std::pair<int, int>> seen;
    bool origin = false;
    for (const TilePlace& place : places) {
        // Every tile touches the picture and none is further than one step out.
        EXPECT_GT(place.x + 60, 0);
        EXPECT_LT(place.x, 640);
        EXPECT_GT(place.y + 20, 0);
        EXPECT_LT(place.y, 480);
        const int row = (place.y - 400) / 50;
        const int shift = (row % 2 != 0) ? 50 : 0;
        EXPECT_EQ(((place.x - 500 - shift) % 100 + 100) % 100, 0) << place.x << "," << place.y;
        EXPECT_EQ(((place.y - 400) % 50 + 50) % 50, 0);
        seen.insert({place.x, place.y});
        origin |= place.x == 500 && place.y == 400;
    }
    EXPECT_TRUE(origin);
    EXPECT_EQ(seen.size(), places.size());
    // Every quadrant of the picture holds tiles.
    for (int qx : {0, 1})
        for (int qy : {0, 1}) {
            bool found = false;
            for (const TilePlace& place : places)
                found |= place.x >= qx * 320 - 30 && place.x < (qx + 1) * 320 && place.y >= qy * 240 - 10 &&
                         place.y < (qy + 1) * 240;
            EXPECT_TRUE(found) << qx << qy;
        }
}

TEST(TilePattern, CountsBeforePlacingAndRefusesTooManyTiles) {
    const TilePattern dense{1, 1, 0, 0, 0, 0};
    EXPECT_EQ(dense.CountFor(1000, 1000), 1000000);
    EXPECT_TRUE(dense.PlacesFor(1000, 1000).empty());
    EXPECT_EQ((TilePattern{0, 10, 0, 0, 0, 0}).CountFor(100, 100), 0);
    // A mark larger than the picture still gives the one tile that covers it.
    EXPECT_EQ((TilePattern{500, 500, 10, 10, -100, -100}).CountFor(200, 200), 1);
}

TEST(MarkText, FillsPlaceholdersAndBraces) {
    MarkTextFacts facts;
    facts.name = "a";
    facts.ext = "png";
    facts.width = 400;
    facts.height = 300;
    facts.date = "2024-05-17";
    facts.camera = "X100";
    facts.number = 7;
    EXPECT_EQ(FillMarkText("{name}.{ext} {width}x{height} {date} {year} {camera} #{n} {{x}}", facts),
              "a.png 400x300 2024-05-17 2024 X100 #7 {x}");
    EXPECT_EQ(FillMarkText("© plain", facts), "© plain");
    EXPECT_FALSE(HasPlaceholders("© plain"));
    EXPECT_TRUE(HasPlaceholders("{n}"));
}

TEST(MarkText, RefusesUnknownPlaceholdersAndStrayBraces) {
    Status error;
    EXPECT_TRUE(CheckMarkText("{name} {{literal}}", error));
    EXPECT_FALSE(CheckMarkText("{name} {author}", error));
    EXPECT_NE(error.Error().find("{author}"), std::string::npos);
    EXPECT_FALSE(CheckMarkText("open { brace", error));
    EXPECT_FALSE(CheckMarkText("close } brace", error));
    EXPECT_FALSE(CheckMarkText("{nested{name}}", error));
}

TEST(MarkText, TakesDateAndCameraFromMetadataElseTheFileDate) {
    CImageProperties exif;
    exif.exif.Set(ExifTag::DateTimeOriginal, "2019:08:30 14:02:11");
    exif.exif.Set(ExifTag::Model, "Canon EOS 5D  ");
    const MarkTextFacts camera = FactsForPicture("/photos/IMG 1.JPG", 10, 20, exif, 3);
    EXPECT_EQ(camera.name, "IMG 1");
    EXPECT_EQ(camera.ext, "JPG");
    EXPECT_EQ(camera.date, "2019-08-30");
    EXPECT_EQ(camera.camera, "Canon EOS 5D");

    CImageProperties none;
    none.exif.Set(ExifTag::DateTimeOriginal, "0000:00:00 00:00:00");
    const MarkTextFacts plain = FactsForPicture(STAMPORA_BINARY_DIR "/CMakeCache.txt", 1, 1, none, 1);
    EXPECT_EQ(plain.date.size(), 10u);  // the file's own date
    EXPECT_EQ(plain.date[4], '-');
    EXPECT_TRUE(plain.camera.empty());

    // A day that never was falls back to the file's date; a leap day is kept.
    for (const char* impossible : {"2021:13:45 10:00:00", "9999:99:99 10:00:00", "2021:02:31 10:00:00"}) {
        none.exif.Set(ExifTag::DateTimeOriginal, impossible);
        EXPECT_EQ(FactsForPicture(STAMPORA_BINARY_DIR "/CMakeCache.txt", 1, 1, none, 1).date, plain.date)
            << impossible;
    }
    none.exif.Set(ExifTag::DateTimeOriginal, "2024:02:29 10:00:00");
    EXPECT_EQ(FactsForPicture("leap.jpg", 1, 1, none, 1).date, "2024-02-29");
}
