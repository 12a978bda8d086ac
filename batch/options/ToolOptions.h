#pragma once
// The command line of stampora-batch.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchTypeFilter.h"
#include "batch/options/PresetFile.h"
#include "platform/Status.h"
#include "watermark/MarkFit.h"
#include "watermark/RgbColour.h"

namespace stampora {

// How the image mark is sized: the picture's own size, a tenth of it, a
// chosen width (and height, else kept in proportion), or a percentage of each
// stamped picture's width or height.
enum class ImageSizeMode { Real, Best, Chosen, Relative };

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
    // Above 0: the size in pixels as this percentage of each picture's
    // shorter side, in place of `size` points.
    double sizePercent = 0.0;
    // Readable on every picture: an outline, white or black chosen per picture.
    std::optional<RelativeLength> outline;
    RgbColour outlineColour;  // black
    bool autoColour = false;
};

struct ImageMarkOptions {
    std::string file;  // the image mark is active when this is given
    ImageSizeMode sizeMode = ImageSizeMode::Real;
    int32_t width = 0;
    int32_t height = 0;  // 0 with a chosen width: keep the proportions
    int32_t opacity = 100;
    int32_t rotation = 0;
    int32_t alignment = 3;
    // Relative: the percentage of each picture's width, or of its height.
    double sizePercent = 0.0;
    bool percentOfHeight = false;
};

struct ToolOptions {
    std::string sourceDirectory;
    std::optional<std::string> outputDirectory;
    BatchTypeFlags types{1};
    std::optional<TextMarkOptions> textMark;
    std::optional<ImageMarkOptions> imageMark;
    int32_t jobs = 0;          // 0: one per processor core
    int64_t memoryBudget = 0;  // bytes; 0: half the machine's memory
    int32_t quality = -1;
    bool qualityFromSource = false;  // --quality source
    bool inPlace = false;
    bool losslessJpeg = false;  // keep a JPEG's blocks outside the marks
    bool help = false;
    // Margin and tiling of both marks.
    MarkLayout layout;

    // Big folders and many machines.
    bool recursive = false;
    bool skipExisting = false;
    std::optional<std::string> filesFrom;  // a list file, "-" for standard input
    bool nullSeparated = false;            // the list's names end in NUL, not a line feed
    int32_t shardIndex = 1;
    int32_t shardCount = 1;
    // A CSV file of marks moved on single pictures (see PlacementsFile.h).
    std::optional<std::string> placementsFile;
    // Presets: every mark and output option in effect, from the preset given
    // with --preset and then the command line, in the order of the options.
    std::optional<std::string> savePreset;
    std::vector<PresetEntry> presetEntries;
    bool verbose = false;
    bool version = false;
    // The copies keep the sources' metadata, less these.
    bool stripGps = false;
    bool stripMetadata = false;
};

// Parses the arguments after the program name. On a usage error answers
// nothing, with a one-line explanation in `status`.
std::optional<ToolOptions> ParseToolOptions(const std::vector<std::string>& arguments, Status& status);

// The mark and output options of `preset` (when given) and then of the
// arguments, which name no directories; the same refusals as
// ParseToolOptions, with "FILE:LINE: reason" for a line of the preset.
std::optional<ToolOptions> MarkAndOutputOptions(const std::vector<std::string>& arguments,
                                                const std::optional<std::string>& preset, Status& status);

// The options a preset keeps ("--size", "--lossless-jpeg", ...).
std::vector<std::string> KeptOptionNames();

// The anchor named by an option value ("right-bottom", "center", ...), or
// nothing for an unknown name.
std::optional<int32_t> AlignmentFromName(const std::string& name);

}  // namespace stampora
