#include "batch/tool/PresetFile.h"

#include "platform/FileIo.h"
#include "platform/IniFile.h"

namespace stampora {

namespace {

constexpr char kPresetHeading[] = "; stampora-batch preset: options as on the command line, without \"--\"\n";

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

std::string Unescaped(const std::string& text) {
    std::string value;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == 'n')) {
            value += text[++i] == 'n' ? '\n' : '\\';
        } else {
            value += text[i];
        }
    }
    return value;
}

}  // namespace

std::optional<std::string> ReadPresetValue(const std::string& path, const std::string& section,
                                           const std::string& key) {
    const auto value = ReadIniValue(path, section, key);
    if (!value) return std::nullopt;
    return Unescaped(*value);
}

bool SavePreset(const std::string& path, const std::vector<PresetEntry>& entries, std::string& error) {
    std::string text = kPresetHeading;
    for (const char* section : {"Text", "Image", "Output"}) {
        std::string lines;
        for (const PresetEntry& entry : entries) {
            if (entry.section == section) lines += entry.key + "=\"" + Escaped(entry.value) + "\"\n";
        }
        if (!lines.empty()) text += std::string("\n[") + section + "]\n" + lines;
    }
    SafeFileWriter out(path);
    if (!out.Open() || !out.Write(text.data(), text.size()) || !out.Commit()) {
        error = "cannot write the preset " + path + ": " + out.Error();
        return false;
    }
    return true;
}

}  // namespace stampora
