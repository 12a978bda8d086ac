#pragma once
// Paths formed the way the system forms them: directory, separator, name,
// joined as they are without normalising (a directory that already ends in a
// separator gives a doubled one, an empty directory a leading one).
#include <string>

namespace stampora {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

inline std::string JoinPath(const std::string& directory, const std::string& name) {
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path += directory;
    path += kPathSeparator;
    path += name;
    return path;
}

}  // namespace stampora
