#include "platform/OutputDirectorySetting.h"

#include <filesystem>
#include <system_error>

#include "platform/DocumentsFolder.h"
#include "platform/IniFile.h"
#include "platform/PathJoin.h"
#include "platform/Utf8Path.h"

namespace stampora {

namespace {
constexpr char kSettingsSection[] = "Setting";
constexpr char kOutputDirectoryKey[] = "OutputDir";
}  // namespace

std::string SettingsFolderFile(const std::string& name) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) return std::string();
    return JoinPath(Utf8FromPath(current), name);
}

std::string SettingsFilePath() {
    return SettingsFolderFile("config.ini");
}

std::string DefaultOutputDirectory() {
    const std::string documents = DocumentsFolder();
    if (documents.empty()) return std::string();
    const std::string folder = JoinPath(documents, "Stampora");
    std::error_code ignored;
    std::filesystem::create_directories(PathFromUtf8(folder), ignored);
    return folder;
}

std::string StoredOutputDirectory() {
    const std::string settings = SettingsFilePath();
    if (settings.empty()) return std::string();
    return ReadIniValue(settings, kSettingsSection, kOutputDirectoryKey).value_or(std::string());
}

std::string ReadOutputDirectory() {
    const std::string stored = StoredOutputDirectory();
    return stored.empty() ? DefaultOutputDirectory() : stored;
}

bool WriteOutputDirectory(const std::string& directory) {
    const std::string settings = SettingsFilePath();
    return !settings.empty() && WriteIniValue(settings, kSettingsSection, kOutputDirectoryKey, directory);
}

}  // namespace stampora
