#pragma once
// The command line of stampora-batch.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchTypeFilter.h"
#include "watermark/RgbColour.h"

// How the image mark is sized: the picture's own size, a tenth of it, or a
// chosen width (and height, else kept in proportion).
enum class ImageSizeMode { Real, Best, Chosen };

struct TextMarkOptions {
    std::string text;  // UTF-8; the text mark is active when this is given
    std::string font;  // empty: the tool's default family
    int32_t size = 24;
    bool bold = false;
    bool italic = false;
    RgbColour colour;  // black
    int32_t opacity = 100;
    int32_t rotation = 0;
    bool shadow = false;
    RgbColour shadowColour;  // black
    int32_t shadowOpacity = 100;
    int32_t shadowDistance = 0;
    int32_t shadowSmooth = 0;
    int32_t alignment = 3;  // right bottom
};

struct ImageMarkOptions {
    std::string file;  // the image mark is active when this is given
    ImageSizeMode sizeMode = ImageSizeMode::Real;
    int32_t width = 0;
    int32_t height = 0;  // 0 with a chosen width: keep the proportions
    int32_t opacity = 100;
    int32_t rotation = 0;
    int32_t alignment = 3;
};

struct ToolOptions {
    std::string sourceDirectory;
    std::optional<std::string> outputDirectory;
    BatchTypeFlags types{1, 1, 1, 1, 1, 1};
    std::optional<TextMarkOptions> textMark;
    std::optional<ImageMarkOptions> imageMark;
    int32_t jobs = 0;  // 0: one per processor core
    int32_t quality = -1;
    bool inPlace = false;
    bool losslessJpeg = false;  // keep a JPEG's blocks outside the marks
    bool help = false;
};

// Parses the arguments after the program name. On a usage error answers
// nothing and sets `error` to a one-line explanation.
std::optional<ToolOptions> ParseToolOptions(const std::vector<std::string>& arguments, std::string& error);

// The anchor named by an option value ("right-bottom", "center", ...), or
// nothing for an unknown name.
std::optional<int32_t> AlignmentFromName(const std::string& name);
