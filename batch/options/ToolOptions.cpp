#include "batch/options/ToolOptions.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <system_error>

#include "batch/SourceSelection.h"
#include "batch/options/MarkSizeOptions.h"
#include "batch/options/ShownName.h"
#include "platform/Utf8Path.h"
#include "watermark/MarkAlignment.h"
#include "watermark/MarkText.h"

namespace stampora {

namespace {

std::optional<int32_t> ParseInteger(const std::string& text, int32_t low, int32_t high) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc() || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<RgbColour> ParseColour(std::string text) {
    if (!text.empty() && text.front() == '#') text.erase(0, 1);
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value, 16);
    if (text.size() != 6 || status != std::errc() || stop != end) return std::nullopt;
    return RgbColour{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                     static_cast<uint8_t>(value)};
}

bool ParseStyle(const std::string& text, TextMarkOptions& mark) {
    static const std::map<std::string, std::pair<bool, bool>> kStyles = {
        {"normal", {false, false}},
        {"bold", {true, false}},
        {"italic", {false, true}},
        {"bold-italic", {true, true}},
    };
    const auto found = kStyles.find(text);
    if (found == kStyles.end()) return false;
    mark.bold = found->second.first;
    mark.italic = found->second.second;
    return true;
}

// The file named by the last --preset of the arguments, if any.
std::optional<std::string> PresetPath(const std::vector<std::string>& arguments) {
    std::optional<std::string> path;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--") break;
        if (arguments[i] == "--preset" && i + 1 < arguments.size()) path = arguments[++i];
        if (arguments[i].rfind("--preset=", 0) == 0) path = arguments[i].substr(9);
    }
    return path;
}

// "2G", "500M", "64k", "1048576": bytes, with a binary K, M, G or T.
bool ParseMemorySize(const std::string& text, int64_t& bytes) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc() || value <= 0) return false;
    const std::string unit(stop, end);
    static const std::map<std::string, int> kShifts = {{"", 0},   {"k", 10}, {"K", 10}, {"M", 20}, {"m", 20},
                                                       {"G", 30}, {"g", 30}, {"T", 40}, {"t", 40}};
    const auto shift = kShifts.find(unit);
    if (shift == kShifts.end() || value > (INT64_MAX >> shift->second)) return false;
    bytes = value << shift->second;
    return true;
}

// A preset is used from any folder, so the image mark's file is kept by its
// full path.
std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), error);
    return error ? path : Utf8FromPath(absolute.lexically_normal());
}

}  // namespace

std::optional<int32_t> AlignmentFromName(const std::string& name) {
    static const std::map<std::string, int32_t> kNames = {
        {"top", Top},
        {"right-top", RightTop},
        {"top-right", RightTop},
        {"right", Right},
        {"right-bottom", RightBottom},
        {"bottom-right", RightBottom},
        {"bottom", Bottom},
        {"left-bottom", LeftBottom},
        {"bottom-left", LeftBottom},
        {"left", Left},
        {"left-top", LeftTop},
        {"top-left", LeftTop},
        {"center", Center},
        {"centre", Center},
    };
    const auto found = kNames.find(name);
    if (found == kNames.end()) return std::nullopt;
    return found->second;
}

std::optional<ToolOptions> ParseToolOptions(const std::vector<std::string>& arguments, std::string& error) {
    ToolOptions options;
    TextMarkOptions text;
    ImageMarkOptions image;
    bool textGiven = false;
    bool imageGiven = false;
    std::string textOnlyOption;
    std::string imageOnlyOption;
    std::vector<std::string> positional;

    using Setter = std::function<bool(const std::string&)>;
    auto integer = [](int32_t& field, int32_t low, int32_t high) -> Setter {
        return [&field, low, high](const std::string& value) {
            const auto parsed = ParseInteger(value, low, high);
            if (parsed) field = *parsed;
            return parsed.has_value();
        };
    };
    auto colour = [](RgbColour& field) -> Setter {
        return [&field](const std::string& value) {
            const auto parsed = ParseColour(value);
            if (parsed) field = *parsed;
            return parsed.has_value();
        };
    };
    auto alignment = [](int32_t& field) -> Setter {
        return [&field](const std::string& value) {
            const auto parsed = AlignmentFromName(value);
            if (parsed) field = *parsed;
            return parsed.has_value();
        };
    };

    enum class Group { General, Output, Text, Image };
    // The preset section of a group's options; the general ones are not kept.
    auto SectionOf = [](Group group) -> const char* {
        return group == Group::Text     ? "Text"
               : group == Group::Image  ? "Image"
               : group == Group::Output ? "Output"
                                        : nullptr;
    };
    static const std::string kTypeWords = "all, or a comma list of " + TypeWords();
    struct Option {
        Group group;
        Setter set;
        const char* expects;
    };
    const std::map<std::string, Option> table = {
        {"--types",
         {Group::Output, [&](const std::string& v) { return ParseTypeList(v, options.types); },
          kTypeWords.c_str()}},
        {"--jobs", {Group::General, integer(options.jobs, 1, 256), "a number of jobs from 1 to 256"}},
        {"--memory",
         {Group::General, [&](const std::string& v) { return ParseMemorySize(v, options.memoryBudget); },
          "a size such as 2G or 500M"}},
        {"--quality",
         {Group::Output,
          [&](const std::string& v) {
              options.qualityFromSource = v == "source";
              return options.qualityFromSource || integer(options.quality, 1, 100)(v);
          },
          "a quality from 1 to 100, or source"}},
        {"--files-from",
         {Group::General,
          [&](const std::string& v) {
              options.filesFrom = v;
              return !v.empty();
          },
          "a file listing the pictures, or - for standard input"}},
        {"--shard",
         {Group::General,
          [&](const std::string& v) { return ParseShard(v, options.shardIndex, options.shardCount); },
          "K/N with 1 <= K <= N"}},
        {"--preset", {Group::General, [](const std::string& v) { return !v.empty(); }, "a preset file"}},
        {"--save-preset",
         {Group::General,
          [&](const std::string& v) {
              options.savePreset = v;
              return !v.empty();
          },
          "a preset file to write"}},
        {"--text",
         {Group::Text,
          [&](const std::string& v) {
              text.text = v;
              textGiven = true;
              return !v.empty();
          },
          "a text that is not empty"}},
        {"--font",
         {Group::Text,
          [&](const std::string& v) {
              text.font = v;
              return !v.empty();
          },
          "a font family"}},
        {"--size",
         {Group::Text, [&](const std::string& v) { return ParseTextSize(v, text); },
          "a size in points from 1 to 1000, or a percentage of the shorter side from 0.1% to 100%"}},
        {"--style",
         {Group::Text, [&](const std::string& v) { return ParseStyle(v, text); },
          "normal, bold, italic or bold-italic"}},
        {"--color", {Group::Text, colour(text.colour), "a colour RRGGBB"}},
        {"--opacity", {Group::Text, integer(text.opacity, 0, 100), "a percentage from 0 to 100"}},
        {"--rotation", {Group::Text, integer(text.rotation, 0, 360), "degrees from 0 to 360"}},
        {"--shadow-color", {Group::Text, colour(text.shadowColour), "a colour RRGGBB"}},
        {"--shadow-opacity",
         {Group::Text, integer(text.shadowOpacity, 0, 100), "a percentage from 0 to 100"}},
        {"--shadow-distance", {Group::Text, integer(text.shadowDistance, 0, 1000), "pixels from 0 to 1000"}},
        {"--shadow-smooth", {Group::Text, integer(text.shadowSmooth, 0, 100), "pixels from 0 to 100"}},
        {"--text-align",
         {Group::Text, alignment(text.alignment), "an anchor such as right-bottom or center"}},
        {"--image",
         {Group::Image,
          [&](const std::string& v) {
              image.file = v;
              imageGiven = true;
              return !v.empty();
          },
          "a picture file"}},
        {"--image-size",
         {Group::Image, [&](const std::string& v) { return ParseImageSize(v, image); },
          "WxH, W, best, real, or a percentage from 0.1% to 100% of the width (20%) or height (x20%)"}},
        {"--image-opacity", {Group::Image, integer(image.opacity, 0, 100), "a percentage from 0 to 100"}},
        {"--image-rotation", {Group::Image, integer(image.rotation, 0, 360), "degrees from 0 to 360"}},
        {"--image-align",
         {Group::Image, alignment(image.alignment), "an anchor such as right-bottom or center"}},
        {"--margin",
         {Group::Output, [&](const std::string& v) { return ParseMargin(v, options.layout); },
          "pixels, or a percentage of the shorter side from 0.1% to 100%"}},
        {"--tile-gap",
         {Group::Output, [&](const std::string& v) { return ParseTileGap(v, options.layout); },
          "X or X,Y, each in pixels or a percentage of the shorter side from 0.1% to 100%"}},
    };
    bool tileGapGiven = false;

    const std::map<std::string, bool*> flags = {
        {"--recursive", &options.recursive},
        {"--skip-existing", &options.skipExisting},
        {"--null", &options.nullSeparated},
        {"--verbose", &options.verbose},
        {"--version", &options.version},
        {"--strip-gps", &options.stripGps},
        {"--strip-metadata", &options.stripMetadata},
    };

    // The flags a preset keeps, written "on".
    struct KeptFlag {
        Group group;
        bool* value;
    };
    const std::map<std::string, KeptFlag> keptFlags = {
        {"--shadow", {Group::Text, &text.shadow}},
        {"--tile", {Group::Output, &options.layout.tile}},
        {"--strip-gps", {Group::Output, &options.stripGps}},
        {"--strip-metadata", {Group::Output, &options.stripMetadata}},
    };

    // Every mark and output option in effect, for --save-preset: the last
    // value of each, by name.
    std::map<std::string, std::pair<Group, std::string>> inEffect;
    auto remember = [&](Group group, const std::string& name, const std::string& value) {
        if (group != Group::General) inEffect[name] = {group, value};
    };

    // A preset comes first, so that the command line overrides it. Every
    // line of it must name an option of its section.
    if (const auto preset = PresetPath(arguments)) {
        std::vector<PresetEntry> entries;
        if (!LoadPreset(*preset, entries, error)) return std::nullopt;
        for (const PresetEntry& entry : entries) {
            const std::string name = "--" + entry.key;
            const std::string where = ShownName(*preset) + ":" + std::to_string(entry.line) + ": ";
            const auto flag = keptFlags.find(name);
            const auto option = table.find(name);
            const char* section = flag != keptFlags.end() ? SectionOf(flag->second.group)
                                  : option != table.end() ? SectionOf(option->second.group)
                                                          : nullptr;
            if (section == nullptr) {
                error = where + "unknown key '" + ShownName(entry.key) + "' in [" + entry.section + "]";
                return std::nullopt;
            }
            if (entry.section != section) {
                error =
                    where + "'" + entry.key + "' belongs in [" + section + "], not [" + entry.section + "]";
                return std::nullopt;
            }
            const bool isFlag = flag != keptFlags.end();
            const bool set =
                isFlag ? entry.value == "on" || entry.value == "off" : option->second.set(entry.value);
            if (!set) {
                error = where + "bad value '" + ShownName(entry.value) + "' for " + entry.key +
                        ": expected " + (isFlag ? "on or off" : option->second.expects);
                return std::nullopt;
            }
            if (isFlag) *flag->second.value = entry.value == "on";
            if (!isFlag || entry.value == "on")
                remember(isFlag ? flag->second.group : option->second.group, name, entry.value);
        }
    }

    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--in-place") {
            options.inPlace = true;
        } else if (argument == "--tile") {
            options.layout.tile = true;
            remember(Group::Output, argument, "on");
        } else if (const auto flag = flags.find(argument); flag != flags.end()) {
            *flag->second = true;
            if (const auto kept = keptFlags.find(argument); kept != keptFlags.end())
                remember(kept->second.group, argument, "on");
        } else if (argument == "--lossless-jpeg") {
            options.losslessJpeg = true;
        } else if (argument == "--shadow") {
            text.shadow = true;
            textOnlyOption = argument;
            remember(Group::Text, argument, "on");
        } else {
            const size_t equals = argument.find('=');
            const std::string name = argument.substr(0, equals);
            const auto found = table.find(name);
            if (found == table.end()) {
                error = "unknown option " + ShownName(name);
                return std::nullopt;
            }
            std::string value;
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                error = name + " needs a value: " + found->second.expects;
                return std::nullopt;
            }
            if (!found->second.set(value)) {
                error = "bad value '" + ShownName(value) + "' for " + name + ": expected " +
                        found->second.expects;
                return std::nullopt;
            }
            remember(found->second.group, name, name == "--image" ? AbsolutePath(value) : value);
            if (found->second.group == Group::Text && name != "--text") textOnlyOption = name;
            if (found->second.group == Group::Image && name != "--image") imageOnlyOption = name;
            tileGapGiven = tileGapGiven || name == "--tile-gap";
        }
    }
    if (options.help || options.version) return options;
    for (const auto& [name, entry] : inEffect) {
        options.presetEntries.push_back(PresetEntry{SectionOf(entry.first), name.substr(2), entry.second});
    }

    if (!textOnlyOption.empty() && !textGiven) {
        error = textOnlyOption + " needs --text";
        return std::nullopt;
    }
    if (!imageOnlyOption.empty() && !imageGiven) {
        error = imageOnlyOption + " needs --image";
        return std::nullopt;
    }
    if (tileGapGiven && !options.layout.tile) {
        error = "--tile-gap needs --tile";
        return std::nullopt;
    }
    if (textGiven && !CheckMarkText(text.text, error)) {
        error = "--text: " + error;
        return std::nullopt;
    }
    if (positional.empty() && options.savePreset) return options;
    if (positional.empty() || positional.size() > 2) {
        error = positional.empty() ? "missing SOURCE_DIR"
                                   : "too many arguments: expected SOURCE_DIR [OUTPUT_DIR]";
        return std::nullopt;
    }
    options.sourceDirectory = positional[0];
    if (positional.size() == 2) options.outputDirectory = positional[1];
    if (textGiven) options.textMark = text;
    if (imageGiven) options.imageMark = image;
    return options;
}

}  // namespace stampora
