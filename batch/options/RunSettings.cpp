#include "batch/options/RunSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "batch/options/MarkSetup.h"
#include "batch/options/MarkSizeOptions.h"
#include "batch/options/PresetFile.h"
#include "platform/Utf8Text.h"

namespace stampora {

namespace {

// The anchors by the names --text-align and --image-align take.
constexpr const char* kAlignmentNames[kMarkAlignmentCount] = {
    "top", "right-top", "right", "right-bottom", "bottom", "left-bottom", "left", "left-top", "center"};

std::string Number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string Length(const RelativeLength& length) {
    return Number(length.value) + (length.percent ? "%" : "");
}

std::string Colour(const RgbColour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", colour.red, colour.green, colour.blue);
    return text;
}

void AddAlignment(std::vector<std::string>& arguments, const char* option, int32_t alignment) {
    if (alignment == AutoPlace) arguments.insert(arguments.end(), {option, "auto"});
    if (alignment < 0 || alignment >= kMarkAlignmentCount) return;
    arguments.insert(arguments.end(), {option, kAlignmentNames[alignment]});
}

void AddTextMark(std::vector<std::string>& arguments, const TextWatermark& mark, const MarkFit& fit) {
    const FontSpec& font = mark.font;
    const bool bold = font.weight >= kFontWeightBold;
    const char* style = bold && font.italic ? "bold-italic"
                        : bold              ? "bold"
                        : font.italic       ? "italic"
                                            : "normal";
    arguments.insert(
        arguments.end(),
        {"--text", Utf8FromUtf16(mark.text), "--size",
         fit.SizeFollowsPicture() ? Number(fit.sizePercent) + "%" : std::to_string(font.height), "--style",
         style, "--color", mark.autoColour ? "auto" : Colour(mark.colour), "--opacity",
         std::to_string(mark.base.opacity), "--rotation", std::to_string(mark.base.rotation)});
    if (!font.faceName.empty()) arguments.insert(arguments.end(), {"--font", Utf8FromUtf16(font.faceName)});
    if (mark.shadowEnabled) {
        arguments.insert(arguments.end(), {"--shadow", "--shadow-color", Colour(mark.shadowColour),
                                           "--shadow-opacity", std::to_string(mark.shadowOpacity),
                                           "--shadow-distance", std::to_string(mark.shadowDistance),
                                           "--shadow-smooth", std::to_string(mark.smooth)});
    }
    if (mark.outlineEnabled)
        arguments.insert(arguments.end(),
                         {"--outline", Length(mark.outlineWidth) + "," + Colour(mark.outlineColour)});
    AddAlignment(arguments, "--text-align", mark.base.alignment);
}

std::string ImageSize(const ImageWatermark& mark, const MarkFit& fit) {
    if (fit.SizeFollowsPicture())
        return (fit.side == FitSide::Height ? "x" : "") + Number(fit.sizePercent) + "%";
    if (mark.base.width == mark.source.Width() && mark.base.height == mark.source.Height()) return "real";
    return std::to_string(std::max(1, mark.base.width)) + "x" + std::to_string(std::max(1, mark.base.height));
}

void AddImageMark(std::vector<std::string>& arguments, const ImageWatermark& mark, const MarkFit& fit) {
    arguments.insert(arguments.end(), {"--image", mark.file, "--image-size", ImageSize(mark, fit),
                                       "--image-opacity", std::to_string(mark.base.opacity),
                                       "--image-rotation", std::to_string(mark.base.rotation)});
    AddAlignment(arguments, "--image-align", mark.base.alignment);
}

void AddLayout(std::vector<std::string>& arguments, const MarkLayout& layout) {
    arguments.insert(arguments.end(), {"--margin", Length(layout.margin)});
    if (!layout.tile) return;
    arguments.push_back("--tile");
    if (layout.gapX && layout.gapY)
        arguments.insert(arguments.end(), {"--tile-gap", Length(*layout.gapX) + "," + Length(*layout.gapY)});
}

void AddOutput(std::vector<std::string>& arguments, const OutputSettings& output) {
    if (output.qualityFromSource) {
        arguments.insert(arguments.end(), {"--quality", "source"});
    } else if (output.quality >= 1 && output.quality <= 100) {
        arguments.insert(arguments.end(), {"--quality", std::to_string(output.quality)});
    }
    if (output.metadata == MetadataKept::NoGps) arguments.push_back("--strip-gps");
    if (output.metadata == MetadataKept::Essential) arguments.push_back("--strip-metadata");
    if (output.losslessJpeg) arguments.push_back("--lossless-jpeg");
    if (output.recursive) arguments.push_back("--recursive");
    if (output.skipExisting) arguments.push_back("--skip-existing");
    if (output.types && !TypeListOf(*output.types).empty())
        arguments.insert(arguments.end(), {"--types", TypeListOf(*output.types)});
}

bool PresetGives(const ToolOptions& options, const std::string& key) {
    return std::any_of(options.presetEntries.begin(), options.presetEntries.end(),
                       [&key](const PresetEntry& entry) { return entry.key == key; });
}

}  // namespace

std::vector<std::string> SettingsArguments(const RunSettings& settings) {
    std::vector<std::string> arguments;
    const bool text = settings.textMark.base.enabled && !settings.textMark.text.empty();
    const bool image = settings.imageMark.base.enabled && !settings.imageMark.file.empty();
    if (text) AddTextMark(arguments, settings.textMark, settings.textFit);
    if (image) AddImageMark(arguments, settings.imageMark, settings.imageFit);
    AddLayout(arguments, text || !image ? settings.textFit.layout : settings.imageFit.layout);
    AddOutput(arguments, settings.output);
    return arguments;
}

bool SettingsFromOptions(const ToolOptions& options, RunSettings& settings, Status& status) {
    RunSettings made;
    if ((options.textMark && !SetUpTextMark(*options.textMark, made.textMark, status)) ||
        (options.imageMark && !SetUpImageMark(*options.imageMark, made.imageMark, status)))
        return false;
    made.textFit = TextMarkFit(options);
    made.imageFit = ImageMarkFit(options);
    OutputSettings& output = made.output;
    output.quality = options.quality;
    output.qualityFromSource = options.qualityFromSource;
    output.metadata = options.stripMetadata ? MetadataKept::Essential
                      : options.stripGps    ? MetadataKept::NoGps
                                            : MetadataKept::All;
    output.losslessJpeg = options.losslessJpeg;
    output.recursive = options.recursive;
    output.skipExisting = options.skipExisting;
    if (PresetGives(options, "types")) output.types = options.types;
    settings = std::move(made);
    return true;
}

bool LoadRunSettings(const std::string& path, RunSettings& settings, Status& status) {
    const auto options = MarkAndOutputOptions({}, path, status);
    return options && SettingsFromOptions(*options, settings, status);
}

bool SaveRunSettings(const std::string& path, const RunSettings& settings, Status& status) {
    const auto options = MarkAndOutputOptions(SettingsArguments(settings), std::nullopt, status);
    return options && SavePreset(path, options->presetEntries, status);
}

void TakeRunSettings(const RunSettings& settings, CBatchJob& job) {
    if (settings.textMark.base.enabled) {
        job.textMark = settings.textMark;
        job.textFit = settings.textFit;
    }
    if (settings.imageMark.base.enabled) {
        job.imageMark = settings.imageMark;
        job.imageFit = settings.imageFit;
    }
    TakeOutputSettings(settings.output, job);
}

void TakeOutputSettings(const OutputSettings& output, CBatchJob& job) {
    job.quality = output.quality;
    job.qualityFromSource = output.qualityFromSource;
    job.metadata = output.metadata;
    job.losslessJpeg = output.losslessJpeg;
    job.selection.recursive = output.recursive;
    job.skipExisting = output.skipExisting;
    if (output.types) job.typeFlags = *output.types;
}

OutputSettings OutputSettingsOf(const CBatchJob& job) {
    OutputSettings output;
    output.quality = job.quality;
    output.qualityFromSource = job.qualityFromSource;
    output.metadata = job.metadata;
    output.losslessJpeg = job.losslessJpeg;
    output.recursive = job.selection.recursive;
    output.skipExisting = job.skipExisting;
    output.types = job.typeFlags;
    return output;
}

}  // namespace stampora
