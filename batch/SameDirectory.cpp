#include "batch/SameDirectory.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool IsSameDirectory(const std::string& first, const std::string& second) {
    const fs::path a(std::u8string(first.begin(), first.end()));
    const fs::path b(std::u8string(second.begin(), second.end()));
    std::error_code error;
    if (!fs::is_directory(a, error) || !fs::is_directory(b, error)) return false;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}
