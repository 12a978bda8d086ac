#include "app/settings/SaveOptions.h"

#include <string>

#include "platform/IniFile.h"
#include "platform/OutputDirectorySetting.h"

namespace stampora {

OutputSettings saveOptions;

namespace {

constexpr char kSection[] = "Setting";
constexpr char kQualityKey[] = "SaveQuality";
constexpr char kLosslessKey[] = "LosslessJpeg";
constexpr char kMetadataKey[] = "Metadata";

constexpr struct {
    MetadataKept kept;
    const char* word;
} kMetadataWords[] = {
    {MetadataKept::All, "keep"},
    {MetadataKept::NoGps, "strip-gps"},
    {MetadataKept::Essential, "strip-metadata"},
};

std::string Stored(const std::string& settings, const char* key) {
    return ReadIniValue(settings, kSection, key).value_or(std::string());
}

}  // namespace

OutputSettings ReadSaveOptions() {
    OutputSettings options;
    const std::string settings = SettingsFilePath();
    if (settings.empty()) return options;
    // The quality as the tool's --quality takes it.
    const std::string quality = Stored(settings, kQualityKey);
    Status ignored;
    if (!quality.empty()) {
        if (const auto read = MarkAndOutputOptions({"--quality", quality}, std::nullopt, ignored)) {
            options.quality = read->quality;
            options.qualityFromSource = read->qualityFromSource;
        }
    }
    options.losslessJpeg = Stored(settings, kLosslessKey) == "on";
    const std::string metadata = Stored(settings, kMetadataKey);
    for (const auto& [kept, word] : kMetadataWords) {
        if (metadata == word) options.metadata = kept;
    }
    return options;
}

bool WriteSaveOptions(const OutputSettings& options) {
    const std::string settings = SettingsFilePath();
    if (settings.empty()) return false;
    const std::string quality = options.qualityFromSource ? "source"
                                : options.quality > 0     ? std::to_string(options.quality)
                                                          : std::string();
    std::string metadata = "keep";
    for (const auto& [kept, word] : kMetadataWords) {
        if (options.metadata == kept) metadata = word;
    }
    return WriteIniValue(settings, kSection, kQualityKey, quality) &&
           WriteIniValue(settings, kSection, kLosslessKey, options.losslessJpeg ? "on" : "off") &&
           WriteIniValue(settings, kSection, kMetadataKey, metadata);
}

}  // namespace stampora
