#pragma once
// Preset files: the mark and output options of a command line kept in an
// INI file, one section per kind ([Text], [Image], [Output]) and one key per
// option, named as the option without its leading dashes, with the value as
// it is given on the command line ("size=28", "image-align=center"). A flag
// that takes no value is written "shadow=on". Values are written in double
// quotes, with a backslash written "\\" and a line feed "\n".
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace stampora {

struct PresetEntry {
    std::string section;  // "Text", "Image" or "Output"
    std::string key;      // the option without "--", in lower case
    std::string value;
    int32_t line = 0;  // where a loaded entry stands in its file, from 1
};

// Reads a whole preset file into `entries`, in file order, escapes undone.
// Section and key names match in any case; blank lines and lines starting
// with ';' or '#' are skipped; a value may also be written without quotes.
// Refused, with "FILE:LINE: reason" in `status`: a section other than the
// three, an entry before any section, a line that is neither, a quote left
// open, a key given twice in one section. Whether a key names an option is
// for the caller to judge.
bool LoadPreset(const std::string& path, std::vector<PresetEntry>& entries, Status& status);

// Writes the entries as a new preset file, replacing any file of that name
// only once it was written in full. False with the reason in `status`.
bool SavePreset(const std::string& path, const std::vector<PresetEntry>& entries, Status& status);

}  // namespace stampora
