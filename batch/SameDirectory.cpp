#include "batch/SameDirectory.h"

#include <filesystem>
#include <system_error>

#include "platform/Utf8Path.h"

namespace stampora {

namespace fs = std::filesystem;

bool IsSameDirectory(const std::string& first, const std::string& second) {
    const fs::path a = PathFromUtf8(first);
    const fs::path b = PathFromUtf8(second);
    std::error_code error;
    if (!fs::is_directory(a, error) || !fs::is_directory(b, error)) return false;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

}  // namespace stampora
