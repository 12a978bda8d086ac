#include "platform/IniFile.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/FileIo.h"
#include "platform/Utf8Path.h"

namespace stampora {

namespace {

// Settings files are small; anything larger is not one of ours.
constexpr int64_t kMaxIniFileBytes = int64_t{16} << 20;

struct IniLine {
    size_t begin = 0;  // first byte of the line
    size_t end = 0;    // one past its last byte, before the line break
    size_t next = 0;   // first byte of the following line
};

std::vector<IniLine> SplitLines(std::string_view text, size_t start) {
    std::vector<IniLine> lines;
    size_t pos = start;
    while (pos < text.size()) {
        const size_t feed = text.find('\n', pos);
        IniLine line;
        line.begin = pos;
        line.next = feed == std::string_view::npos ? text.size() : feed + 1;
        line.end = feed == std::string_view::npos ? text.size() : feed;
        if (line.end > line.begin && text[line.end - 1] == '\r') --line.end;
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool IsComment(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed[0] == ';' || trimmed[0] == '#');
}

// The name of a "[name]" header line, or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view trimmed) {
    if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
    const size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

std::string_view StripEnclosingQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a section and a key sit in a file's text.
struct IniLocation {
    bool sectionFound = false;
    // After the last non-blank line of the section (its header at least).
    size_t sectionContentEnd = 0;
    bool sectionEndsWithoutBreak = false;
    bool keyFound = false;
    size_t valueBegin = 0;  // just after the key's '='
    size_t valueEnd = 0;    // end of the key's line, before its line break
};

IniLocation Locate(std::string_view text, std::string_view section, std::string_view key) {
    IniLocation where;
    const size_t start = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    bool inSection = false;
    for (const IniLine& line : SplitLines(text, start)) {
        const std::string_view raw = text.substr(line.begin, line.end - line.begin);
        const std::string_view trimmed = Trim(raw);
        if (const auto name = SectionName(trimmed)) {
            // Only the first section of that name counts.
            if (where.sectionFound) break;
            inSection = SameName(*name, section);
        } else if (!inSection || trimmed.empty() || IsComment(trimmed)) {
            continue;
        }
        if (!inSection) continue;
        where.sectionFound = true;
        where.sectionContentEnd = line.next;
        where.sectionEndsWithoutBreak = line.next == line.end;
        const size_t equals = raw.find('=');
        if (SectionName(trimmed) || equals == std::string_view::npos) continue;
        if (!where.keyFound && SameName(Trim(raw.substr(0, equals)), key)) {
            where.keyFound = true;
            where.valueBegin = line.begin + equals + 1;
            where.valueEnd = line.end;
        }
    }
    return where;
}

// The whole file; nothing when it exists but cannot be read. A missing file
// reads as empty.
std::optional<std::string> ReadSettingsText(const std::string& path, bool& exists) {
    std::error_code error;
    const std::filesystem::path fsPath = PathFromUtf8(path);
    exists = std::filesystem::exists(fsPath, error);
    if (error) return std::nullopt;
    if (!exists) return std::string();
    const auto size = std::filesystem::file_size(fsPath, error);
    if (!error && size == 0) return std::string();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxIniFileBytes)) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Quotes a value whose outer blanks or enclosing quotes a reader would strip,
// so that reading gives back exactly what was written.
std::string ValueAsWritten(const std::string& value) {
    const bool blankEdge = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted = StripEnclosingQuotes(value).size() != value.size();
    return (blankEdge || quoted) ? "\"" + value + "\"" : value;
}

}  // namespace

std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key) {
    bool exists = false;
    const std::optional<std::string> text = ReadSettingsText(path, exists);
    if (!text) return std::nullopt;
    const IniLocation where = Locate(*text, section, key);
    if (!where.keyFound) return std::nullopt;
    const std::string_view value =
        std::string_view(*text).substr(where.valueBegin, where.valueEnd - where.valueBegin);
    return std::string(StripEnclosingQuotes(Trim(value)));
}

bool WriteIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) {
    if (Trim(section).empty() || Trim(key).empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || section.find(']') != std::string::npos || key.find('=') != std::string::npos ||
        Trim(key).front() == '[' || IsComment(Trim(key))) {
        return false;
    }
    bool exists = false;
    const std::optional<std::string> read = ReadSettingsText(path, exists);
    if (!read) return false;
    const std::string& text = *read;
    const std::string lineBreak = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string written = ValueAsWritten(value);

    std::string updated;
    const IniLocation where = Locate(text, section, key);
    if (where.keyFound) {
        updated = text.substr(0, where.valueBegin) + written + text.substr(where.valueEnd);
    } else if (where.sectionFound) {
        const std::string entry = key + "=" + written + lineBreak;
        updated = text.substr(0, where.sectionContentEnd) + (where.sectionEndsWithoutBreak ? lineBreak : "") +
                  entry + text.substr(where.sectionContentEnd);
    } else {
        updated = text;
        if (!updated.empty() && updated.back() != '\n') updated += lineBreak;
        updated += "[" + section + "]" + lineBreak + key + "=" + written + lineBreak;
    }

    SafeFileWriter out(path);
    if (!out.Open() || !out.Write(updated.data(), updated.size())) return false;
    return out.Commit();
}

}  // namespace stampora
