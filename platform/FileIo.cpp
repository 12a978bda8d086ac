#include "platform/FileIo.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/Utf8Path.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stampora {

namespace fs = std::filesystem;

namespace {

std::string ErrnoText(int code) {
    return std::strerror(code);
}

// The file a path finally names once every symbolic link on its last
// component is followed, so that saving over a link writes the linked file
// instead of replacing the link. A dangling link gives the path it points to,
// where the new file is then made.
bool FollowLinks(const fs::path& path, fs::path& target, std::string& error) {
    constexpr int kMostLinks = 40;  // as the system's own limit on a chain
    target = path;
    for (int links = 0;; ++links) {
        std::error_code code;
        if (!fs::is_symlink(fs::symlink_status(target, code))) return true;
        if (links == kMostLinks) {
            error = ErrnoText(ELOOP);
            return false;
        }
        const fs::path next = fs::read_symlink(target, code);
        if (code) {
            error = code.message();
            return false;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
}

#ifndef _WIN32
// The process's file creation mask. Linux shows it in /proc/self/status;
// elsewhere it is read by setting it and putting it back, which is safe only
// while no other thread creates files, hence the read at start-up below.
mode_t ReadCreationMask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) != 0) continue;
        char* end = nullptr;
        const unsigned long mask = std::strtoul(line.c_str() + 6, &end, 8);
        if (end != line.c_str() + 6) return static_cast<mode_t>(mask & 0777);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t CreationMask() {
    static const mode_t mask = ReadCreationMask();
    return mask;
}

// Read before main, while the process has one thread; saves never change it.
[[maybe_unused]] const mode_t kCreationMaskAtStartUp = CreationMask();

// Opens a file for reading without ever blocking (a FIFO or a device named
// like a picture would otherwise wait forever) and only when it is a regular
// file; anything else fails with errno set.
std::FILE* OpenRegularFileForReading(const std::string& path, const char* mode) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
        ::close(fd);
        errno = code;
        return nullptr;
    }
    // Reads of a regular file never wait; the flag is cleared all the same.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        const int code = errno;
        ::close(fd);
        errno = code;
    }
    return file;
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
    const std::string_view kind(mode);
    const bool readOnly =
        kind.find('r') != std::string_view::npos && kind.find('+') == std::string_view::npos;
    return readOnly ? OpenRegularFileForReading(path, mode) : std::fopen(path.c_str(), mode);
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
    if (target.empty()) return Refuse("no file name was given");
    if (file != nullptr || !tempPath.empty()) return Refuse("the file is already open");
    fs::path finalTarget;
    if (!FollowLinks(PathFromUtf8(target), finalTarget, error)) return Refuse(error);
    target = Utf8FromPath(finalTarget);
    const fs::path folder = finalTarget.parent_path();
    const std::string name = Utf8FromPath(finalTarget.filename());
    if (name.empty()) return Refuse("no file name was given");
    const std::string folderText = Utf8FromPath(folder);
    const std::string base = (folder.empty() ? std::string() : folderText + "/") + "." + name + ".partial-";
    tempBase = base;
#ifdef _WIN32
    for (int attempt = 0; attempt < 100 && file == nullptr; ++attempt) {
        tempPath = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        file = OpenFileUtf8(tempPath, "wbx");
    }
    if (file == nullptr) {
        tempPath.clear();
        return Refuse(ErrnoText(errno));
    }
    return true;
#else
    // A saved picture gets the permissions of the file it replaces, or those
    // a new file would get.
    struct stat existing {};
    const mode_t mode =
        ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~CreationMask());
    if (OpenUnnamed(folder.empty() ? "." : folderText, mode)) return true;
    std::string pattern = base + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return Refuse(ErrnoText(errno));
    tempPath = pattern;
    ::fchmod(fd, mode);
    file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int code = errno;
        ::close(fd);
        Discard();
        return Refuse(ErrnoText(code));
    }
    return true;
#endif
}

bool SafeFileWriter::Write(const void* data, size_t bytes) {
    if (file == nullptr || failed) {
        if (error.empty()) error = "the file is not open for writing";
        failed = true;
        return false;
    }
    if (bytes != 0 && std::fwrite(data, 1, bytes, file) != bytes) {
        failed = true;
        error = ErrnoText(errno);
    }
    return !failed;
}

bool SafeFileWriter::Close() {
    if (file == nullptr) return !failed;
    errno = 0;
    bool ok = std::fflush(file) == 0 && std::ferror(file) == 0;
    ok = (std::fclose(file) == 0) && ok;
    file = nullptr;
    if (!ok) {
        failed = true;
        if (error.empty()) error = errno != 0 ? ErrnoText(errno) : "the file could not be written";
    }
    return !failed;
}

bool SafeFileWriter::Commit() {
    if (tempPath.empty() || committed) {
        if (error.empty()) error = "the file is not open for writing";
        return false;
    }
    if (!Close() || failed) {
        if (error.empty()) error = "the file could not be written";
        Discard();
        return false;
    }
    if (unnamedFd >= 0) {
        committed = CommitUnnamed(tempBase);
        if (!committed) Discard();
        return committed;
    }
    std::error_code renameError;
    fs::rename(PathFromUtf8(tempPath), PathFromUtf8(target), renameError);
    if (renameError) {
        error = renameError.message();
        Discard();
        return false;
    }
    committed = true;
    return true;
}

void SafeFileWriter::Fail(std::string reason) {
    failed = true;
    if (error.empty()) error = reason.empty() ? "the file could not be written" : std::move(reason);
}

bool SafeFileWriter::Refuse(std::string reason) {
    error = std::move(reason);
    failed = true;
    return false;
}

void SafeFileWriter::Discard() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
#ifndef _WIN32
    if (unnamedFd >= 0) {
        // An unnamed file vanishes with its last descriptor.
        ::close(unnamedFd);
        unnamedFd = -1;
        tempPath.clear();
    }
#endif
    if (!tempPath.empty()) {
        std::error_code ignored;
        fs::remove(PathFromUtf8(tempPath), ignored);
        tempPath.clear();
    }
    failed = true;
}

#ifdef _WIN32
bool SafeFileWriter::OpenUnnamed(const std::string&, unsigned) {
    return false;
}

bool SafeFileWriter::CommitUnnamed(const std::string&) {
    return false;
}
#else
bool SafeFileWriter::OpenUnnamed(const std::string& folder, unsigned mode) {
#if defined(O_TMPFILE) && defined(__linux__)
    // File systems without unnamed files refuse with EOPNOTSUPP or EISDIR;
    // the named temporary file then takes over.
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return false;
    const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    const std::string procPath = "/proc/self/fd/" + std::to_string(kept);
    // The name is given through /proc, which must be there to use it.
    if (kept < 0 || ::access(procPath.c_str(), F_OK) != 0) {
        if (kept >= 0) ::close(kept);
        ::close(fd);
        return false;
    }
    ::fchmod(fd, static_cast<mode_t>(mode));
    file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::close(kept);
        return false;
    }
    unnamedFd = kept;
    tempPath = procPath;
    return true;
#else
    static_cast<void>(folder);
    static_cast<void>(mode);
    return false;
#endif
}

// Names the finished unnamed file: straight under the target's name when
// there is no file of that name, else under a fresh hidden name that is then
// renamed over the target, so the target is replaced in one step.
bool SafeFileWriter::CommitUnnamed(const std::string& base) {
    const std::string procPath = tempPath;
    if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        ::close(unnamedFd);
        unnamedFd = -1;
        return true;
    }
    if (errno != EEXIST) {
        error = ErrnoText(errno);
        return false;
    }
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string named = base + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            error = ErrnoText(errno);
            return false;
        }
        if (::rename(named.c_str(), target.c_str()) != 0) {
            error = ErrnoText(errno);
            ::unlink(named.c_str());
            return false;
        }
        ::close(unnamedFd);
        unnamedFd = -1;
        return true;
    }
    error = ErrnoText(EEXIST);
    return false;
}
#endif

}  // namespace stampora
