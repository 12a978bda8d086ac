#pragma once
// Paths are UTF-8 strings throughout the system; std::filesystem keeps them
// in the platform's own encoding (UTF-16 on Windows). These convert both
// ways exactly.
#include <filesystem>
#include <string>

namespace stampora {

inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The same with '/' between names on every platform: the form names take in
// listings and in the output folder's mirror of the source tree.
inline std::string GenericUtf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace stampora
