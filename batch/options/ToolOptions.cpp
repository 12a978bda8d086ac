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
#include "batch/options/ReadableMarkOptions.h"
#include "batch/options/ShownName.h"
#include "platform/Utf8Path.h"
#include "watermark/MarkAlignment.h"
#include "watermark/text/MarkText.h"

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
        {"auto", AutoPlace},
    };
    const auto found = kNames.find(name);
    if (found == kNames.end()) return std::nullopt;
    return found->second;
}

namespace {

enum class Group { General, Output, Text, Image };

// The preset section of a group's options; the general ones are not kept.
const char* SectionOf(Group group) {
    return group == Group::Text     ? "Text"
           : group == Group::Image  ? "Image"
           : group == Group::Output ? "Output"
                                    : nullptr;
}

using Setter = std::function<bool(const std::string&)>;

// One option of the command line. A flag takes no value there; a preset
// keeps it as "on" or "off", and the command line gives it "on".
struct Option {
    Group group;
    Setter set;
    const char* expects;
    bool flag = false;
};

// What the options fill in as they are read.
struct ParseState {
    ToolOptions options;
    TextMarkOptions text;
    ImageMarkOptions image;
    bool textGiven = false;
    bool imageGiven = false;
};

Setter Integer(int32_t& field, int32_t low, int32_t high) {
    return [&field, low, high](const std::string& value) {
        const auto parsed = ParseInteger(value, low, high);
        if (parsed) field = *parsed;
        return parsed.has_value();
    };
}

Setter Colour(RgbColour& field) {
    return [&field](const std::string& value) {
        const auto parsed = ParseColour(value);
        if (parsed) field = *parsed;
        return parsed.has_value();
    };
}

Setter Alignment(int32_t& field) {
    return [&field](const std::string& value) {
        const auto parsed = AlignmentFromName(value);
        if (parsed) field = *parsed;
        return parsed.has_value();
    };
}

Option Flag(Group group, bool& field) {
    return Option{group,
                  [&field](const std::string& value) {
                      if (value != "on" && value != "off") return false;
                      field = value == "on";
                      return true;
                  },
                  "on or off", true};
}

// Every option of the tool, each once: how it is read, and whether a preset
// keeps it (every option outside the general group).
std::map<std::string, Option> OptionTable(ParseState& state) {
    static const std::string kTypeWords = "all, or a comma list of " + TypeWords();
    ToolOptions& options = state.options;
    TextMarkOptions& text = state.text;
    ImageMarkOptions& image = state.image;
    return {
        {"--help", Flag(Group::General, options.help)},
        {"--version", Flag(Group::General, options.version)},
        {"--verbose", Flag(Group::General, options.verbose)},
        {"--in-place", Flag(Group::General, options.inPlace)},
        {"--null", Flag(Group::General, options.nullSeparated)},
        {"--jobs", {Group::General, Integer(options.jobs, 1, 256), "a number of jobs from 1 to 256"}},
        {"--memory",
         {Group::General, [&](const std::string& v) { return ParseMemorySize(v, options.memoryBudget); },
          "a size such as 2G or 500M"}},
        {"--files-from",
         {Group::General,
          [&](const std::string& v) {
              options.filesFrom = v;
              return !v.empty();
          },
          "a file listing the pictures, or - for standard input"}},
        {"--placements",
         {Group::General,
          [&](const std::string& v) {
              options.placementsFile = v;
              return !v.empty();
          },
          "a placements file (name,mark,x,y)"}},
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
        {"--types",
         {Group::Output, [&](const std::string& v) { return ParseTypeList(v, options.types); },
          kTypeWords.c_str()}},
        {"--quality",
         {Group::Output,
          [&](const std::string& v) {
              options.qualityFromSource = v == "source";
              return options.qualityFromSource || Integer(options.quality, 1, 100)(v);
          },
          "a quality from 1 to 100, or source"}},
        {"--lossless-jpeg", Flag(Group::Output, options.losslessJpeg)},
        {"--strip-gps", Flag(Group::Output, options.stripGps)},
        {"--strip-metadata", Flag(Group::Output, options.stripMetadata)},
        {"--recursive", Flag(Group::Output, options.recursive)},
        {"--skip-existing", Flag(Group::Output, options.skipExisting)},
        {"--margin",
         {Group::Output, [&](const std::string& v) { return ParseMargin(v, options.layout); },
          "pixels, or a percentage of the shorter side from 0.1% to 100%"}},
        {"--tile", Flag(Group::Output, options.layout.tile)},
        {"--tile-gap",
         {Group::Output, [&](const std::string& v) { return ParseTileGap(v, options.layout); },
          "X or X,Y, each in pixels or a percentage of the shorter side from 0.1% to 100%"}},
        {"--text",
         {Group::Text,
          [&](const std::string& v) {
              text.text = v;
              state.textGiven = true;
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
        {"--color",
         {Group::Text, [&](const std::string& v) { return ParseTextColour(v, text, ParseColour); },
          "a colour RRGGBB, or auto"}},
        {"--outline",
         {Group::Text, [&](const std::string& v) { return ParseOutline(v, text, ParseColour); },
          "WIDTH[,RRGGBB]: 1 to 1000 pixels, or 0.1% to 50% of the text size"}},
        {"--opacity", {Group::Text, Integer(text.opacity, 0, 100), "a percentage from 0 to 100"}},
        {"--rotation", {Group::Text, Integer(text.rotation, 0, 360), "degrees from 0 to 360"}},
        {"--shadow", Flag(Group::Text, text.shadow)},
        {"--shadow-color", {Group::Text, Colour(text.shadowColour), "a colour RRGGBB"}},
        {"--shadow-opacity",
         {Group::Text, Integer(text.shadowOpacity, 0, 100), "a percentage from 0 to 100"}},
        {"--shadow-distance", {Group::Text, Integer(text.shadowDistance, 0, 1000), "pixels from 0 to 1000"}},
        {"--shadow-smooth", {Group::Text, Integer(text.shadowSmooth, 0, 100), "pixels from 0 to 100"}},
        {"--text-align",
         {Group::Text, Alignment(text.alignment), "an anchor such as right-bottom or center, or auto"}},
        {"--image",
         {Group::Image,
          [&](const std::string& v) {
              image.file = v;
              state.imageGiven = true;
              return !v.empty();
          },
          "a picture file"}},
        {"--image-size",
         {Group::Image, [&](const std::string& v) { return ParseImageSize(v, image); },
          "WxH, W, best, real, or a percentage from 0.1% to 100% of the width (20%) or height (x20%)"}},
        {"--image-opacity", {Group::Image, Integer(image.opacity, 0, 100), "a percentage from 0 to 100"}},
        {"--image-rotation", {Group::Image, Integer(image.rotation, 0, 360), "degrees from 0 to 360"}},
        {"--image-align",
         {Group::Image, Alignment(image.alignment), "an anchor such as right-bottom or center, or auto"}},
    };
}

// Records why the options are refused, and answers no options.
std::nullopt_t Refused(Status& status, std::string reason) {
    status.failure = Reason{Domain::Options, std::move(reason)};
    return std::nullopt;
}

// The arguments after the presets named, which come first so that the
// command line overrides them. `needSource`: the positional arguments must
// name the source directory (and perhaps the output directory).
std::optional<ToolOptions> ParseWith(const std::vector<std::string>& arguments,
                                     const std::optional<std::string>& preset, bool needSource,
                                     Status& status) {
    ParseState state;
    ToolOptions& options = state.options;
    const std::map<std::string, Option> table = OptionTable(state);
    std::string textOnlyOption;
    std::string imageOnlyOption;
    bool tileGapGiven = false;
    std::vector<std::string> positional;

    // Every mark and output option in effect, for --save-preset: the last
    // value of each, by name. A flag is kept only while it is on.
    std::map<std::string, std::pair<Group, std::string>> inEffect;
    auto remember = [&](const std::string& name, const Option& option, const std::string& value) {
        if (option.group == Group::General) return;
        if (option.flag && value == "off") {
            inEffect.erase(name);
        } else {
            inEffect[name] = {option.group, name == "--image" ? AbsolutePath(value) : value};
        }
    };

    // Every line of a preset must name an option of its section.
    if (preset) {
        std::vector<PresetEntry> entries;
        if (!LoadPreset(*preset, entries, status)) return std::nullopt;
        for (const PresetEntry& entry : entries) {
            const std::string name = "--" + entry.key;
            const std::string where = ShownName(*preset) + ":" + std::to_string(entry.line) + ": ";
            const auto option = table.find(name);
            const char* section = option != table.end() ? SectionOf(option->second.group) : nullptr;
            if (section == nullptr) {
                return Refused(
                    status, where + "unknown key '" + ShownName(entry.key) + "' in [" + entry.section + "]");
            }
            if (entry.section != section) {
                return Refused(status, where + "'" + entry.key + "' belongs in [" + section + "], not [" +
                                           entry.section + "]");
            }
            if (!option->second.set(entry.value)) {
                return Refused(status, where + "bad value '" + ShownName(entry.value) + "' for " + entry.key +
                                           ": expected " + option->second.expects);
            }
            remember(name, option->second, entry.value);
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
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument == "-h" ? "--help" : argument.substr(0, equals);
        const auto found = table.find(name);
        if (found == table.end() || (found->second.flag && equals != std::string::npos)) {
            return Refused(status, "unknown option " + ShownName(found == table.end() ? name : argument));
        }
        const Option& option = found->second;
        std::string value = "on";
        if (!option.flag) {
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return Refused(status, name + " needs a value: " + option.expects);
            }
        }
        if (!option.set(value)) {
            return Refused(
                status, "bad value '" + ShownName(value) + "' for " + name + ": expected " + option.expects);
        }
        remember(name, option, value);
        if (option.group == Group::Text && name != "--text") textOnlyOption = name;
        if (option.group == Group::Image && name != "--image") imageOnlyOption = name;
        tileGapGiven = tileGapGiven || name == "--tile-gap";
    }
    if (options.help || options.version) return options;
    for (const auto& [name, entry] : inEffect) {
        options.presetEntries.push_back(PresetEntry{SectionOf(entry.first), name.substr(2), entry.second});
    }

    if (!textOnlyOption.empty() && !state.textGiven) {
        return Refused(status, textOnlyOption + " needs --text");
    }
    if (!imageOnlyOption.empty() && !state.imageGiven) {
        return Refused(status, imageOnlyOption + " needs --image");
    }
    if (tileGapGiven && !options.layout.tile) {
        return Refused(status, "--tile-gap needs --tile");
    }
    Status textStatus;
    if (state.textGiven && !CheckMarkText(state.text.text, textStatus)) {
        return Refused(status, "--text: " + textStatus.Error());
    }
    if (state.textGiven) options.textMark = state.text;
    if (state.imageGiven) options.imageMark = state.image;
    if (positional.empty() && (options.savePreset || !needSource)) return options;
    if (positional.empty() || positional.size() > 2) {
        return Refused(status, positional.empty() ? "missing SOURCE_DIR"
                                                  : "too many arguments: expected SOURCE_DIR [OUTPUT_DIR]");
    }
    options.sourceDirectory = positional[0];
    if (positional.size() == 2) options.outputDirectory = positional[1];
    return options;
}

}  // namespace

std::optional<ToolOptions> ParseToolOptions(const std::vector<std::string>& arguments, Status& status) {
    return ParseWith(arguments, PresetPath(arguments), true, status);
}

std::optional<ToolOptions> MarkAndOutputOptions(const std::vector<std::string>& arguments,
                                                const std::optional<std::string>& preset, Status& status) {
    return ParseWith(arguments, preset, false, status);
}

std::vector<std::string> KeptOptionNames() {
    ParseState state;
    std::vector<std::string> names;
    for (const auto& [name, option] : OptionTable(state)) {
        if (option.group != Group::General) names.push_back(name);
    }
    return names;
}

}  // namespace stampora
