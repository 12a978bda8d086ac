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

thread_local const WriteConfinement* currentConfinement = nullptr;

#ifndef _WIN32
// A folder opened only to name files in it and to walk up from it; O_PATH
// needs no read permission on the folder.
#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string NotRegularText(mode_t mode) {
    if (S_ISDIR(mode)) return ErrnoText(EISDIR);
    const char* kind = S_ISFIFO(mode)                   ? "a FIFO"
                       : S_ISSOCK(mode)                 ? "a socket"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                        : "a special file";
    return std::string("not a regular file but ") + kind;
}

// True when the opened folder is `folder` or lies below it, found by walking
// up through ".." from the folder itself, so whatever links its path went
// through, the answer is where it really is.
bool LiesWithin(int folderFd, const std::string& folder) {
    struct stat root {};
    if (::stat(folder.c_str(), &root) != 0) return false;
    int current = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    bool within = false;
    while (current >= 0) {
        struct stat here {};
        if (::fstat(current, &here) != 0) break;
        if (SameFile(here, root)) {
            within = true;
            break;
        }
        const int parent = ::openat(current, "..", kFolderFlags);
        struct stat up {};
        const bool top = parent < 0 || ::fstat(parent, &up) != 0 || SameFile(up, here);
        ::close(current);
        current = parent;
        if (top) break;
    }
    if (current >= 0) ::close(current);
    return within;
}
#endif

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

// A stream over `fd`, which it then owns; none, with `fd` closed and errno
// kept, when the stream cannot be made.
std::FILE* StreamOfDescriptor(int fd, const char* mode) {
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        const int code = errno;
        ::close(fd);
        errno = code;
    }
    return file;
}

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
    return StreamOfDescriptor(fd, mode);
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

bool MakeFoldersWithin(const std::string& folder, const std::string& below, Status& status) {
#ifdef _WIN32
    std::error_code code;
    fs::create_directories(PathFromUtf8(folder) / PathFromUtf8(below), code);
    return !code || status.Fail(Domain::Output, code.message());
#else
    int current = ::open(folder.c_str(), kFolderFlags);
    if (current < 0) {
        return status.Fail(Domain::Output, ErrnoText(errno));
    }
    for (const fs::path& part : PathFromUtf8(below)) {
        if (part.empty() || part == ".") continue;
        const std::string name = Utf8FromPath(part);
        if (part == ".." || (::mkdirat(current, name.c_str(), 0777) != 0 && errno != EEXIST)) {
            const std::string reason = part == ".." ? kFolderOutsideText : ErrnoText(errno);
            ::close(current);
            return status.Fail(Domain::Output, reason);
        }
        const int next = ::openat(current, name.c_str(), kFolderFlags);
        const int code = errno;
        ::close(current);
        current = next;
        if (current < 0 || !LiesWithin(current, folder)) {
            if (current >= 0) ::close(current);
            return status.Fail(Domain::Output, current < 0 ? ErrnoText(code) : kFolderOutsideText);
        }
    }
    ::close(current);
    return true;
#endif
}

std::FILE* OpenStreamUtf8(const std::string& path) {
    if (path.empty()) return nullptr;
#ifdef _WIN32
    return _wfopen(PathFromUtf8(path).c_str(), L"rb");
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    return StreamOfDescriptor(fd, "rb");
#endif
}

bool CanCreateFilesIn(const std::string& folder, Status& status) {
#if defined(O_TMPFILE) && defined(__linux__)
    const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (unnamed >= 0) {
        ::close(unnamed);
        return true;
    }
    // Only a file system without unnamed files is tried again the other way.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return status.Fail(Domain::Output, ErrnoText(errno));
    }
#endif
    std::string probe = Utf8FromPath(PathFromUtf8(folder) / ".stampora-probe-");
#ifdef _WIN32
    probe += std::to_string(GetCurrentProcessId());
    std::FILE* file = OpenFileUtf8(probe, "wbx");
    if (file == nullptr) {
        return status.Fail(Domain::Output, ErrnoText(errno));
    }
    std::fclose(file);
    std::error_code ignored;
    fs::remove(PathFromUtf8(probe), ignored);
#else
    probe += "XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return status.Fail(Domain::Output, ErrnoText(errno));
    }
    ::unlink(probe.c_str());
    ::close(fd);
#endif
    return true;
}

SafeFileWriter::SafeFileWriter(std::string targetPath)
    : requested(targetPath), target(std::move(targetPath)) {}

SafeFileWriter::~SafeFileWriter() {
    if (!committed) Discard();
}

ScopedWriteConfinement::ScopedWriteConfinement(WriteConfinement given)
    : rules(std::move(given)), outer(currentConfinement) {
    currentConfinement = &rules;
}

ScopedWriteConfinement::~ScopedWriteConfinement() {
    currentConfinement = outer;
}

// The file a target's name leads to, as it is at the moment of looking.
struct SafeFileWriter::Destination {
    fs::path path;
    bool linked = false;  // reached through at least one link
    bool exists = false;
#ifndef _WIN32
    int folderFd = -1;  // the folder the file is named in, held so the name is given there
    std::string name;
    struct stat existing {};
    Destination() = default;
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;
    ~Destination() {
        if (folderFd >= 0) ::close(folderFd);
    }
#endif
};

bool SafeFileWriter::FindDestination(Destination& destination) {
    const fs::path given = PathFromUtf8(requested);
    if (!FollowLinks(given, destination.path, error)) return false;
    destination.linked = destination.path != given;
    const std::string name = Utf8FromPath(destination.path.filename());
    if (name.empty()) {
        error = "no file name was given";
        return false;
    }
#ifdef _WIN32
    std::error_code code;
    const fs::file_status status = fs::status(destination.path, code);
    destination.exists = fs::exists(status);
    if (destination.exists && !fs::is_regular_file(status)) {
        error = fs::is_directory(status) ? ErrnoText(EISDIR) : "not a regular file";
        return false;
    }
#else
    const fs::path folder = destination.path.parent_path();
    destination.folderFd = ::open(folder.empty() ? "." : folder.c_str(), kFolderFlags);
    if (destination.folderFd < 0) {
        error = ErrnoText(errno);
        return false;
    }
    destination.name = name;
    if (::fstatat(destination.folderFd, name.c_str(), &destination.existing, AT_SYMLINK_NOFOLLOW) == 0) {
        destination.exists = true;
        if (S_ISLNK(destination.existing.st_mode)) {
            error = "the file was replaced by a link while it was written";
            return false;
        }
        if (!S_ISREG(destination.existing.st_mode)) {
            error = NotRegularText(destination.existing.st_mode);
            return false;
        }
    } else if (errno != ENOENT) {
        error = ErrnoText(errno);
        return false;
    }
#endif
    return !confinement || Confined(destination);
}

bool SafeFileWriter::Confined(const Destination& destination) {
    const WriteConfinement& rules = *confinement;
#ifdef _WIN32
    std::error_code code;
    if (destination.linked && destination.exists && !rules.source.empty() &&
        fs::equivalent(destination.path, PathFromUtf8(rules.source), code)) {
        if (rules.sourceMayBeReplaced) return true;
        error = kLinkToSourceText;
        return false;
    }
    const fs::path folder = fs::weakly_canonical(PathFromUtf8(rules.folder), code);
    const fs::path below =
        fs::weakly_canonical(destination.path, code).parent_path().lexically_relative(folder);
    if (!below.empty() && *below.begin() != "..") return true;
#else
    if (destination.linked && destination.exists && !rules.source.empty()) {
        struct stat source {};
        if (::stat(rules.source.c_str(), &source) == 0 && SameFile(source, destination.existing)) {
            if (rules.sourceMayBeReplaced) return true;
            error = kLinkToSourceText;
            return false;
        }
    }
    if (LiesWithin(destination.folderFd, rules.folder)) return true;
#endif
    error = destination.linked ? kLinkOutsideText : kFolderOutsideText;
    return false;
}

bool SafeFileWriter::Open() {
    if (target.empty()) return Refuse("no file name was given");
    if (file != nullptr || !tempPath.empty()) return Refuse("the file is already open");
    if (currentConfinement != nullptr) confinement = *currentConfinement;
    Destination destination;
    if (!FindDestination(destination)) return Refuse(error);
    target = Utf8FromPath(destination.path);
    const fs::path folder = destination.path.parent_path();
    const std::string name = Utf8FromPath(destination.path.filename());
    const std::string folderText = Utf8FromPath(folder);
    const std::string base = (folder.empty() ? std::string() : folderText + "/") + "." + name + ".partial-";
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
    const mode_t mode =
        destination.exists ? (destination.existing.st_mode & 07777) : (0666 & ~CreationMask());
    // The unnamed file is made in the very folder just checked.
    if (OpenUnnamed(destination, mode)) return true;
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
    // The name is looked at again now: what lies under it may have changed
    // while the file was written.
    Destination destination;
    if (!FindDestination(destination)) {
        Discard();
        return false;
    }
    target = Utf8FromPath(destination.path);
    if (unnamedFd >= 0) {
        committed = CommitUnnamed(destination);
        if (!committed) Discard();
        return committed;
    }
#ifdef _WIN32
    std::error_code renameError;
    fs::rename(PathFromUtf8(tempPath), destination.path, renameError);
    if (renameError) {
        error = renameError.message();
        Discard();
        return false;
    }
#else
    if (::renameat(AT_FDCWD, tempPath.c_str(), destination.folderFd, destination.name.c_str()) != 0) {
        error = ErrnoText(errno);
        Discard();
        return false;
    }
#endif
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
bool SafeFileWriter::OpenUnnamed(const Destination&, unsigned) {
    return false;
}

bool SafeFileWriter::CommitUnnamed(const Destination&) {
    return false;
}
#else
bool SafeFileWriter::OpenUnnamed(const Destination& destination, unsigned mode) {
#if defined(O_TMPFILE) && defined(__linux__)
    // File systems without unnamed files refuse with EOPNOTSUPP or EISDIR;
    // the named temporary file then takes over.
    const int fd =
        ::openat(destination.folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
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
    static_cast<void>(destination);
    static_cast<void>(mode);
    return false;
#endif
}

// Names the finished unnamed file: straight under the target's name when
// there is no file of that name, else under a fresh hidden name that is then
// renamed over the target, so the target is replaced in one step.
bool SafeFileWriter::CommitUnnamed(const Destination& destination) {
    const std::string procPath = tempPath;
    const int folder = destination.folderFd;
    const char* name = destination.name.c_str();
    if (::linkat(AT_FDCWD, procPath.c_str(), folder, name, AT_SYMLINK_FOLLOW) == 0) {
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
        const std::string hidden = "." + destination.name + ".partial-" + std::to_string(::getpid()) + "-" +
                                   std::to_string(serial++);
        if (::linkat(AT_FDCWD, procPath.c_str(), folder, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            error = ErrnoText(errno);
            return false;
        }
        if (::renameat(folder, hidden.c_str(), folder, name) != 0) {
            error = ErrnoText(errno);
            ::unlinkat(folder, hidden.c_str(), 0);
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
