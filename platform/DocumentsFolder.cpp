#include "platform/DocumentsFolder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/FileIo.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace stampora {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
#ifdef _WIN32
    return Environment("USERPROFILE");
#else
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    // A service account may run without HOME; the password database knows.
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
#endif
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string DocumentsEntryFromUserDirs(const std::string& text, const std::string& home) {
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t feed = rest.find('\n');
        const std::string_view line = TrimBlanks(rest.substr(0, feed));
        rest = feed == std::string_view::npos ? std::string_view() : rest.substr(feed + 1);
        if (line.substr(0, kKey.size()) != kKey) continue;
        std::string_view value = TrimBlanks(line.substr(kKey.size()));
        if (value.empty() || value.front() != '=') continue;
        value = TrimBlanks(value.substr(1));
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        constexpr std::string_view kHome = "$HOME";
        if (value.substr(0, kHome.size()) == kHome &&
            (value.size() == kHome.size() || value[kHome.size()] == '/')) {
            if (home.empty()) continue;
            return home + std::string(value.substr(kHome.size()));
        }
        if (!value.empty() && value.front() == '/') return std::string(value);
    }
    return std::string();
}

std::string DocumentsFolder() {
    const std::string home = HomeFolder();
#ifdef _WIN32
    return home.empty() ? std::string() : home + "\\Documents";
#else
    std::string fromEnvironment = Environment("XDG_DOCUMENTS_DIR");
    if (!fromEnvironment.empty()) return fromEnvironment;
    std::string configHome = Environment("XDG_CONFIG_HOME");
    if (configHome.empty() && !home.empty()) configHome = home + "/.config";
    std::vector<uint8_t> bytes;
    if (!configHome.empty() && ReadWholeFile(configHome + "/user-dirs.dirs", bytes, int64_t{1} << 20)) {
        const std::string entry = DocumentsEntryFromUserDirs(std::string(bytes.begin(), bytes.end()), home);
        if (!entry.empty()) return entry;
    }
    return home.empty() ? std::string() : home + "/Documents";
#endif
}

}  // namespace stampora
