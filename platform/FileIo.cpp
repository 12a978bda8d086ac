#include "platform/FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

fs::path PathFromUtf8(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

#ifndef _WIN32
mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}
#endif

}  // namespace

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) {
    if (path.empty()) return nullptr;
#ifdef _WIN32
    const fs::path p = PathFromUtf8(path);
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(p.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, int64_t maxBytes) {
    bytes.clear();
    std::FILE* f = OpenFileUtf8(path, "rb");
    if (f == nullptr) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size > 0 && size <= maxBytes && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        try {
            bytes.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    ok = ok && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    if (!ok) bytes.clear();
    return ok;
}

SafeFileWriter::SafeFileWriter(std::string targetPath) : target(std::move(targetPath)) {}

SafeFileWriter::~SafeFileWriter() {
    if (!committed) Discard();
}

bool SafeFileWriter::Open() {
    if (target.empty() || file != nullptr || !tempPath.empty()) return false;
    const fs::path targetFs = PathFromUtf8(target);
    fs::path folder = targetFs.parent_path();
    const std::u8string name = targetFs.filename().u8string();
    if (name.empty()) return false;
    std::string base = (folder.empty() ? std::string() : std::string(reinterpret_cast<const char*>(folder.u8string().c_str())) + "/") +
                       "." + std::string(name.begin(), name.end()) + ".partial-";
#ifdef _WIN32
    for (int attempt = 0; attempt < 100 && file == nullptr; ++attempt) {
        tempPath = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        file = OpenFileUtf8(tempPath, "wbx");
    }
    if (file == nullptr) tempPath.clear();
    return file != nullptr;
#else
    std::string pattern = base + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    tempPath = pattern;
    // mkstemp makes the file private; a saved picture gets the permissions of
    // the file it replaces, or those a new file would get.
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    ::fchmod(fd, mode);
    file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        Discard();
        return false;
    }
    return true;
#endif
}

bool SafeFileWriter::Write(const void* data, size_t bytes) {
    if (file == nullptr || failed) {
        failed = true;
        return false;
    }
    if (bytes != 0 && std::fwrite(data, 1, bytes, file) != bytes) failed = true;
    return !failed;
}

bool SafeFileWriter::Close() {
    if (file == nullptr) return !failed;
    bool ok = std::fflush(file) == 0 && std::ferror(file) == 0;
    ok = (std::fclose(file) == 0) && ok;
    file = nullptr;
    if (!ok) failed = true;
    return !failed;
}

bool SafeFileWriter::Commit() {
    if (tempPath.empty() || committed) return false;
    if (!Close() || failed) {
        Discard();
        return false;
    }
    std::error_code error;
    fs::rename(PathFromUtf8(tempPath), PathFromUtf8(target), error);
    if (error) {
        Discard();
        return false;
    }
    committed = true;
    return true;
}

void SafeFileWriter::Discard() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    if (!tempPath.empty()) {
        std::error_code ignored;
        fs::remove(PathFromUtf8(tempPath), ignored);
        tempPath.clear();
    }
    failed = true;
}
