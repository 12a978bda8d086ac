#include "batch/options/ToolOptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace stampora;

namespace {

// A command line and what the tool makes of it: the refusal it gives, or
// (with no refusal) the fields it must have set.
struct CommandLine {
    using Check = std::function<void(const ToolOptions&)>;
    CommandLine(std::vector<std::string> given, std::string reason)
        : arguments(std::move(given)), refusal(std::move(reason)) {}
    CommandLine(std::vector<std::string> given, Check accepted)
        : arguments(std::move(given)), check(std::move(accepted)) {}

    std::vector<std::string> arguments;
    std::string refusal;
    Check check;
};

const TextMarkOptions& Text(const ToolOptions& options) {
    EXPECT_TRUE(options.textMark.has_value());
    static const TextMarkOptions kNone;
    return options.textMark ? *options.textMark : kNone;
}

const ImageMarkOptions& Image(const ToolOptions& options) {
    EXPECT_TRUE(options.imageMark.has_value());
    static const ImageMarkOptions kNone;
    return options.imageMark ? *options.imageMark : kNone;
}

const std::vector<CommandLine> kCommandLines = {
    // Folders, and the end of the options.
    {{"src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(o.sourceDirectory, "src");
         EXPECT_FALSE(o.outputDirectory);
         EXPECT_FALSE(o.textMark || o.imageMark);
     }},
    {{"--text", "x", "--", "--jobs", "-"},
     [](const ToolOptions& o) {
         EXPECT_EQ(o.sourceDirectory, "--jobs");
         EXPECT_EQ(o.outputDirectory, "-");
     }},
    {{}, "missing SOURCE_DIR"},
    {{"a", "b", "c"}, "too many arguments: expected SOURCE_DIR [OUTPUT_DIR]"},
    {{"--help"}, [](const ToolOptions& o) { EXPECT_TRUE(o.help); }},

    // Readable on every picture: outline, automatic colour and place.
    {{"--text", "x", "--outline", "5%,#00ff00", "--color", "auto", "--text-align", "auto", "src"},
     [](const ToolOptions& o) {
         EXPECT_TRUE(Text(o).outline && Text(o).outline->percent && Text(o).outline->value == 5.0);
         EXPECT_EQ(Text(o).outlineColour.green, 255);
         EXPECT_TRUE(Text(o).autoColour);
         EXPECT_EQ(Text(o).alignment, AutoPlace);
     }},
    {{"--text", "x", "--outline", "0", "src"},
     "bad value '0' for --outline: expected WIDTH[,RRGGBB]: 1 to 1000 pixels, or 0.1% to 50% of the text "
     "size"},
    {{"--text", "x", "--outline", "60%", "src"},
     "bad value '60%' for --outline: expected WIDTH[,RRGGBB]: 1 to 1000 pixels, or 0.1% to 50% of the text "
     "size"},

    // Unknown options and missing values.
    {{"--bogus", "src"}, "unknown option --bogus"},
    {{"--bogus=1", "src"}, "unknown option --bogus"},
    {{"--text"}, "--text needs a value: a text that is not empty"},
    {{"--text", "", "src"}, "bad value '' for --text: expected a text that is not empty"},
    {{"--text", "{name} by {author}", "src"},
     "--text: unknown placeholder {author} (known: {name} {ext} {width} {height} {date} {year} {camera} "
     "{n})"},

    // The text mark: rotation, colour, opacity, style, anchor.
    {{"--text", "x", "--rotation", "360", "--color", "#10A0ff", "--opacity=0", "--style", "bold-italic",
      "--text-align", "centre", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Text(o).rotation, 360);
         EXPECT_EQ(OpaqueArgb(Text(o).colour), 0xFF10A0FFu);
         EXPECT_EQ(Text(o).opacity, 0);
         EXPECT_TRUE(Text(o).bold && Text(o).italic);
         EXPECT_EQ(Text(o).alignment, Center);
     }},
    {{"--text", "x", "--rotation", "361", "src"},
     "bad value '361' for --rotation: expected degrees from 0 to 360"},
    {{"--text", "x", "--rotation", "1.5", "src"},
     "bad value '1.5' for --rotation: expected degrees from 0 to 360"},
    {{"--text", "x", "--opacity", "101", "src"},
     "bad value '101' for --opacity: expected a percentage from 0 to 100"},
    {{"--text", "x", "--color", "12345", "src"},
     "bad value '12345' for --color: expected a colour RRGGBB, or auto"},
    {{"--text", "x", "--style", "heavy", "src"},
     "bad value 'heavy' for --style: expected normal, bold, italic or bold-italic"},
    {{"--text", "x", "--text-align", "middle", "src"},
     "bad value 'middle' for --text-align: expected an anchor such as right-bottom or center, or auto"},
    {{"--opacity", "50", "src"}, "--opacity needs --text"},

    // The shadow.
    {{"--text", "x", "--shadow", "--shadow-color", "102030", "--shadow-opacity", "40", "--shadow-distance",
      "1000", "--shadow-smooth", "100", "src"},
     [](const ToolOptions& o) {
         EXPECT_TRUE(Text(o).shadow);
         EXPECT_EQ(OpaqueArgb(Text(o).shadowColour), 0xFF102030u);
         EXPECT_EQ(Text(o).shadowOpacity, 40);
         EXPECT_EQ(Text(o).shadowDistance, 1000);
         EXPECT_EQ(Text(o).shadowSmooth, 100);
     }},
    {{"--shadow", "src"}, "--shadow needs --text"},
    {{"--text", "x", "--shadow-smooth", "101", "src"},
     "bad value '101' for --shadow-smooth: expected pixels from 0 to 100"},
    {{"--text", "x", "--shadow-distance", "1001", "src"},
     "bad value '1001' for --shadow-distance: expected pixels from 0 to 1000"},
    {{"--text", "x", "--shadow-opacity", "-5", "src"},
     "bad value '-5' for --shadow-opacity: expected a percentage from 0 to 100"},
    {{"--text", "x", "--shadow-color", "GG0000", "src"},
     "bad value 'GG0000' for --shadow-color: expected a colour RRGGBB"},

    // Text sizes: points or a percentage of the shorter side.
    {{"--text", "x", "--size", "1000", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Text(o).size, 1000);
         EXPECT_EQ(Text(o).sizePercent, 0.0);
     }},
    {{"--text", "x", "--size", "5%", "src"},
     [](const ToolOptions& o) { EXPECT_EQ(Text(o).sizePercent, 5.0); }},
    {{"--text", "x", "--size", "0.1%", "src"},
     [](const ToolOptions& o) { EXPECT_EQ(Text(o).sizePercent, 0.1); }},
    {{"--text", "x", "--size", "150%", "src"},
     "bad value '150%' for --size: expected a size in points from 1 to 1000, or a percentage of the shorter "
     "side from 0.1% to 100%"},
    {{"--text", "x", "--size", "0", "src"},
     "bad value '0' for --size: expected a size in points from 1 to 1000, or a percentage of the shorter "
     "side from 0.1% to 100%"},

    // The image mark: rotation, sizes, anchor.
    {{"--image", "logo.png", "--image-rotation", "90", "--image-opacity", "50", "--image-align", "left-top",
      "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Image(o).file, "logo.png");
         EXPECT_EQ(Image(o).rotation, 90);
         EXPECT_EQ(Image(o).opacity, 50);
         EXPECT_EQ(Image(o).alignment, LeftTop);
         EXPECT_EQ(Image(o).sizeMode, ImageSizeMode::Real);
     }},
    {{"--image", "l.png", "--image-rotation=abc", "src"},
     "bad value 'abc' for --image-rotation: expected degrees from 0 to 360"},
    {{"--image-rotation", "90", "src"}, "--image-rotation needs --image"},
    {{"--image", "l.png", "--image-size", "25%", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Image(o).sizeMode, ImageSizeMode::Relative);
         EXPECT_EQ(Image(o).sizePercent, 25.0);
         EXPECT_FALSE(Image(o).percentOfHeight);
     }},
    {{"--image", "l.png", "--image-size", "x10%", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Image(o).sizePercent, 10.0);
         EXPECT_TRUE(Image(o).percentOfHeight);
     }},
    {{"--image", "l.png", "--image-size", "320x200", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Image(o).sizeMode, ImageSizeMode::Chosen);
         EXPECT_EQ(Image(o).width, 320);
         EXPECT_EQ(Image(o).height, 200);
     }},
    {{"--image", "l.png", "--image-size", "320", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(Image(o).width, 320);
         EXPECT_EQ(Image(o).height, 0);
     }},
    {{"--image", "l.png", "--image-size", "best", "src"},
     [](const ToolOptions& o) { EXPECT_EQ(Image(o).sizeMode, ImageSizeMode::Best); }},
    {{"--image", "l.png", "--image-size", "x0%", "src"},
     "bad value 'x0%' for --image-size: expected WxH, W, best, real, or a percentage from 0.1% to 100% of "
     "the width (20%) or height (x20%)"},
    {{"--image", "l.png", "--image-size", "0x10", "src"},
     "bad value '0x10' for --image-size: expected WxH, W, best, real, or a percentage from 0.1% to 100% of "
     "the width (20%) or height (x20%)"},

    // Margin and tiles.
    {{"--text", "x", "--margin", "2%", "--tile", "--tile-gap", "20,3%", "src"},
     [](const ToolOptions& o) {
         EXPECT_EQ(o.layout.margin.value, 2.0);
         EXPECT_TRUE(o.layout.margin.percent);
         EXPECT_TRUE(o.layout.tile);
         ASSERT_TRUE(o.layout.gapX && o.layout.gapY);
         EXPECT_EQ(o.layout.gapX->value, 20.0);
         EXPECT_FALSE(o.layout.gapX->percent);
         EXPECT_EQ(o.layout.gapY->value, 3.0);
         EXPECT_TRUE(o.layout.gapY->percent);
     }},
    {{"--text", "x", "--tile-gap", "5", "src"}, "--tile-gap needs --tile"},

    // Output and run options.
    {{"--text", "x", "--types", "jpg,tga", "--quality", "source", "--jobs", "4", "--memory", "500M",
      "--shard", "2/3", "src", "out"},
     [](const ToolOptions& o) {
         EXPECT_TRUE(o.types.Has(FormatJpeg) && o.types.Has(FormatTga));
         EXPECT_FALSE(o.types.Has(FormatBmp));
         EXPECT_TRUE(o.qualityFromSource);
         EXPECT_EQ(o.jobs, 4);
         EXPECT_EQ(o.memoryBudget, int64_t{500} << 20);
         EXPECT_EQ(o.shardIndex, 2);
         EXPECT_EQ(o.shardCount, 3);
         EXPECT_EQ(o.outputDirectory, "out");
     }},
    {{"--text", "x", "--quality", "0", "src"},
     "bad value '0' for --quality: expected a quality from 1 to 100, or source"},
    {{"--text", "x", "--jobs", "257", "src"},
     "bad value '257' for --jobs: expected a number of jobs from 1 to 256"},
    {{"--text", "x", "--memory", "2X", "src"},
     "bad value '2X' for --memory: expected a size such as 2G or 500M"},
    {{"--text", "x", "--memory", "99999999999T", "src"},
     "bad value '99999999999T' for --memory: expected a size such as 2G or 500M"},
    {{"--shard", "4/3", "--text", "x", "src"}, "bad value '4/3' for --shard: expected K/N with 1 <= K <= N"},
};

TEST(ToolOptions, EachCommandLineParsesOrIsRefusedWithItsReason) {
    for (const CommandLine& line : kCommandLines) {
        std::string shown;
        for (const std::string& argument : line.arguments) shown += " '" + argument + "'";
        SCOPED_TRACE(shown);
        Status status;
        const auto options = ParseToolOptions(line.arguments, status);
        if (!line.refusal.empty()) {
            EXPECT_FALSE(options);
            EXPECT_EQ(status.Error(), line.refusal);
        } else if (options) {
            line.check(*options);
        } else {
            ADD_FAILURE() << "refused: " << status.Error();
        }
    }
}

}  // namespace
