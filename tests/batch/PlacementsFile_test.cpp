// The placements file: CSV as RFC 4180 quotes it, refused line by line.
#include "batch/PlacementsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace stampora;
using ::testing::HasSubstr;

namespace {

TEST(PlacementsFile, NamesWithCommasQuotesAndLineBreaksRoundTrip) {
    Placements placements;
    placements.Set("a,b.jpg", MarkKind::Text, MarkPoint{3, 4});
    placements.Set("say \"hi\".png", MarkKind::Image, MarkPoint{-5, 6});
    placements.Set("two\nlines.bmp", MarkKind::Text, MarkPoint{7, 8});
    placements.Set("two\nlines.bmp", MarkKind::Image, MarkPoint{9, 10});
    placements.Set("moved back.bmp", MarkKind::Text, MarkPoint{1, 1});
    placements.Set("moved back.bmp", MarkKind::Text, std::nullopt);
    const std::string text = PlacementsText(placements);
    EXPECT_EQ(text,
              "\"a,b.jpg\",text,3,4\n\"say \"\"hi\"\".png\",image,-5,6\n\"two\nlines.bmp\",text,7,8\n"
              "\"two\nlines.bmp\",image,9,10\n");

    Placements read;
    Status status;
    ASSERT_TRUE(ParsePlacements(text, "p.csv", read, status)) << status.Error();
    EXPECT_EQ(read.byName.size(), 3u);
    for (const auto& [name, placement] : placements.byName) {
        EXPECT_EQ(read.For(name).text, placement.text) << name;
        EXPECT_EQ(read.For(name).image, placement.image) << name;
    }
    // Quoted line breaks and a blank line count as lines; a byte order mark does not.
    ASSERT_TRUE(ParsePlacements("\xEF\xBB\xBF" + text + "\r\nlast.jpg,text,1,2\r\n", "p.csv", read, status));
    EXPECT_EQ(read.lineOf.at({"last.jpg", MarkKind::Text}), 8);
    EXPECT_EQ(UnmatchedPlacements(read, {"a,b.jpg", "last.jpg", "two\nlines.bmp"}),
              std::vector<std::string>{"p.csv:2: no selected picture is named say \"hi\".png"});

    // A name that starts with a byte order mark is not taken for the file's mark.
    Placements marked;
    marked.Set("\xEF\xBB\xBFt.jpg", MarkKind::Image, MarkPoint{1, 2});
    ASSERT_TRUE(ParsePlacements(PlacementsText(marked), "p.csv", read, status)) << status.Error();
    EXPECT_EQ(read.For("\xEF\xBB\xBFt.jpg").image, (MarkPoint{1, 2}));
}

TEST(PlacementsFile, AMalformedLineIsRefusedWithItsPlace) {
    const std::pair<const char*, const char*> refused[] = {
        {"a.jpg,text,1,2\nb.jpg,text,1\n", "f.csv:2: expected 4 fields (name,mark,x,y), found 3"},
        {"a.jpg,logo,1,2\n", "f.csv:1: the mark must be text or image, not 'logo'"},
        {"a.jpg,text,1.5,2\n", "f.csv:1: x is not a whole number of pixels: '1.5'"},
        {"a.jpg,text,1,99999999999\n", "f.csv:1: y is not a whole number of pixels"},
        {",text,1,2\n", "f.csv:1: the picture's name is empty"},
        {"\n\n\"a.jpg,text,1,2\n", "f.csv:3: a quoted field is not closed"},
        {"\"a\"b.jpg,text,1,2\n", "f.csv:1: a quoted field must end at its closing quote"},
        {"a\"b.jpg,text,1,2\n", "f.csv:1: a quote inside a field that is not quoted"},
        {"a.jpg,text,1,2\na.jpg,image,1,2\na.jpg,image,3,4\n",
         "f.csv:3: the image mark of a.jpg is placed already, on line 2"},
    };
    for (const auto& [text, reason] : refused) {
        Placements placements;
        placements.Set("kept.jpg", MarkKind::Text, MarkPoint{1, 1});
        Status status;
        EXPECT_FALSE(ParsePlacements(text, "f.csv", placements, status)) << text;
        EXPECT_THAT(status.Error(), HasSubstr(reason));
        EXPECT_EQ(placements.byName.size(), 1u) << "a refused file changes nothing";
    }
}

}  // namespace
