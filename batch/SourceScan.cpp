#include "batch/SourceScan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string LowerCaseExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return std::string();
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

bool PassesTypeFilter(const std::string& name, const std::string& filter) {
    return filter.find(LowerCaseExtension(name)) != std::string::npos;
}

bool ScanSourceDirectory(const std::string& directory, const std::string& filter, std::vector<std::string>& names) {
    std::error_code error;
    fs::directory_iterator entries(fs::path(std::u8string(directory.begin(), directory.end())), error);
    if (error) return false;
    std::vector<std::string> found;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        // A listing that breaks off half way gives what was listed so far.
        if (error) break;
        std::error_code kindError;
        // Follows links, as a link to a folder is a folder to the user.
        if (entries->is_directory(kindError)) continue;
        const std::u8string utf8 = entries->path().filename().u8string();
        std::string name(utf8.begin(), utf8.end());
        if (PassesTypeFilter(name, filter)) found.push_back(std::move(name));
    }
    std::sort(found.begin(), found.end());
    names = std::move(found);
    return true;
}
