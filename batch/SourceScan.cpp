#include "batch/SourceScan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Utf8Path.h"

namespace stampora {

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
    const std::string extension = LowerCaseExtension(name);
    if (extension.empty()) return false;
    // Each extension in the filter starts after a dot and ends at the next.
    for (size_t dot = filter.find('.'); dot != std::string::npos;) {
        const size_t next = filter.find('.', dot + 1);
        const size_t end = next == std::string::npos ? filter.size() : next;
        if (filter.compare(dot + 1, end - dot - 1, extension) == 0) return true;
        dot = next;
    }
    return false;
}

bool ScanSourceDirectory(const std::string& directory, const std::string& filter,
                         std::vector<std::string>& names) {
    std::error_code error;
    fs::directory_iterator entries(PathFromUtf8(directory), error);
    if (error) return false;
    std::vector<std::string> found;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        // A listing that breaks off half way gives what was listed so far.
        if (error) break;
        std::error_code kindError;
        // Follows links, as a link to a picture is a picture to the user.
        if (!entries->is_regular_file(kindError)) continue;
        std::string name = Utf8FromPath(entries->path().filename());
        if (PassesTypeFilter(name, filter)) found.push_back(std::move(name));
    }
    std::sort(found.begin(), found.end());
    names = std::move(found);
    return true;
}

}  // namespace stampora
