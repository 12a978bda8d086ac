#pragma once
// Preset files: the mark and output options of a command line kept in an
// INI file, one section per kind ([Text], [Image], [Output]) and one key per
// option, named as the option without its leading dashes, with the value as
// it is given on the command line ("size=28", "image-align=center"). A flag
// that takes no value is written "shadow=on". Values are written in double
// quotes, with a backslash written "\\" and a line feed "\n".
#include <optional>
#include <string>
#include <vector>

namespace stampora {

struct PresetEntry {
    std::string section;  // "Text", "Image" or "Output"
    std::string key;      // the option without "--"
    std::string value;
};

// The value of one key of a preset file, its escapes undone; nothing when
// the file does not hold it.
std::optional<std::string> ReadPresetValue(const std::string& path, const std::string& section,
                                           const std::string& key);

// Writes the entries as a new preset file, replacing any file of that name
// only once it was written in full. False with the reason in `error`.
bool SavePreset(const std::string& path, const std::vector<PresetEntry>& entries, std::string& error);

}  // namespace stampora
