#include "batch/options/PresetFile.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "batch/options/ShownName.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

constexpr char kPresetHeading[] = "; stampora-batch preset: options as on the command line, without \"--\"\n";
constexpr const char* kSections[] = {"Text", "Image", "Output"};
// A preset holds a few dozen short lines; anything much larger is not one.
constexpr int64_t kMaxPresetBytes = int64_t{1} << 20;

std::string Escaped(const std::string& value) {
    std::string text;
    for (char c : value) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text += c;
        }
    }
    return text;
}

// Copies the text between escapes in whole pieces: a long value costs one
// allocation and a pass over it.
std::string Unescaped(std::string_view text) {
    std::string value;
    value.reserve(text.size());
    for (size_t start = 0; start < text.size();) {
        size_t escape = text.find('\\', start);
        if (escape == std::string_view::npos) escape = text.size();
        value.append(text, start, escape - start);
        start = escape;
        if (start == text.size()) break;
        const bool known = start + 1 < text.size() && (text[start + 1] == '\\' || text[start + 1] == 'n');
        value += known ? (text[start + 1] == 'n' ? '\n' : '\\') : '\\';
        start += known ? 2 : 1;
    }
    return value;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string lower(s);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// The section's name as written by SavePreset, or empty for no section of ours.
std::string KnownSection(std::string_view name) {
    for (const char* section : kSections) {
        if (Lower(name) == Lower(section)) return section;
    }
    return std::string();
}

// Shown in a reason: a long line cut short, control bytes as '?'.
std::string Shown(std::string_view text) {
    std::string shown(text.substr(0, 40));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text.size() > 40 ? shown + "..." : shown;
}

// One line of the file: a header sets `section`, an entry is appended; the
// reason when the line is neither.
std::string ReadLine(std::string_view line, std::string& section, std::vector<PresetEntry>& entries,
                     int32_t number) {
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return std::string();
    if (line.front() == '[') {
        if (line.back() != ']') return "a section header must end in ']'";
        section = KnownSection(Trim(line.substr(1, line.size() - 2)));
        if (section.empty())
            return "unknown section '" + Shown(line) + "' (expected [Text], [Image] or [Output])";
        return std::string();
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return "expected KEY=\"VALUE\" or [SECTION], not '" + Shown(line) + "'";
    const std::string key = Lower(Trim(line.substr(0, equals)));
    if (key.empty()) return "a key is missing before '='";
    if (section.empty()) return "'" + Shown(key) + "' stands before any section";
    std::string_view value = Trim(line.substr(equals + 1));
    if (!value.empty() && value.front() == '"') {
        if (value.size() < 2 || value.back() != '"')
            return "the value of '" + Shown(key) + "' has no closing quote";
        value = value.substr(1, value.size() - 2);
    }
    for (const PresetEntry& entry : entries) {
        if (entry.section == section && entry.key == key) {
            return "'" + Shown(key) + "' is given twice in [" + section + "] (first on line " +
                   std::to_string(entry.line) + ")";
        }
    }
    entries.push_back(PresetEntry{section, key, Unescaped(value), number});
    return std::string();
}

}  // namespace

bool LoadPreset(const std::string& path, std::vector<PresetEntry>& entries, Status& status) {
    std::vector<uint8_t> bytes;
    errno = 0;
    if (!ReadWholeFile(path, bytes, kMaxPresetBytes)) {
        return status.Fail(Domain::Read,
                           "cannot read the preset " + ShownName(path) + ": " +
                               (errno != 0 ? std::strerror(errno) : "larger than a preset can be"));
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    entries.clear();
    std::string section;
    int32_t number = 0;
    while (!text.empty()) {
        const size_t feed = text.find('\n');
        const std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
        ++number;
        const std::string reason = line.find('\0') != std::string_view::npos
                                       ? "not a text line"
                                       : ReadLine(line, section, entries, number);
        if (!reason.empty())
            return status.Fail(Domain::Options,
                               ShownName(path) + ":" + std::to_string(number) + ": " + reason);
    }
    return true;
}

bool SavePreset(const std::string& path, const std::vector<PresetEntry>& entries, Status& status) {
    std::string text = kPresetHeading;
    for (const char* section : kSections) {
        std::string lines;
        for (const PresetEntry& entry : entries) {
            if (entry.section == section) lines += entry.key + "=\"" + Escaped(entry.value) + "\"\n";
        }
        if (!lines.empty()) text += std::string("\n[") + section + "]\n" + lines;
    }
    SafeFileWriter out(path);
    if (!out.Open() || !out.Write(text.data(), text.size()) || !out.Commit())
        return status.Fail(Domain::Write, "cannot write the preset " + ShownName(path) + ": " + out.Error());
    return true;
}

}  // namespace stampora
