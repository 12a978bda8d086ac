#pragma once
// File access on UTF-8 paths, and saving that never destroys a good file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace stampora {

// fopen on a UTF-8 path (the wide-character open on Windows). A file opened
// only for reading must be a regular file, and opening it never blocks: a
// FIFO, socket, device or folder fails with errno set (ENODEV, EISDIR).
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);

// Reads a whole file; false when it cannot be opened or read, or is larger
// than maxBytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, int64_t maxBytes);

// Writes a file through a temporary file in the target's folder that replaces
// the target only when every byte was written and the file closed cleanly.
// Where the file system offers unnamed files (Linux O_TMPFILE) the temporary
// file has no name until it is complete, so a killed process leaves nothing
// behind; elsewhere it is a hidden ".NAME.partial-XXXXXX" beside the target.
// Anything short of a successful Commit removes the temporary file and leaves
// an existing target untouched. A target that is a symbolic link is written
// through: the linked file is replaced and the link stays. Only a regular
// file is ever replaced: a folder, FIFO, socket or device under the target's
// name is refused with its reason, never swapped for a file. A replaced file
// keeps its permissions; a new one gets those the process's file creation
// mask allows. Both Open and Commit check the name as it is at that moment,
// so a link put in place while the file was written is caught.
//
//   SafeFileWriter out(path);
//   if (!out.Open() || !out.Write(data, n)) return false;
//   return out.Commit();
//
// A library that must open the file itself may Close() the writer's handle,
// write to TempPath(), and then Commit().
// Where the writers of a batch run may put their files: in `folder` or below
// it. A target that is a link is written through only when the file it ends
// at lies there too, or is the picture's own `source` and originals may be
// replaced.
struct WriteConfinement {
    std::string folder;
    std::string source;
    bool sourceMayBeReplaced = false;
};

// While it lives, every SafeFileWriter this thread opens keeps to the
// confinement, so a writer deep inside a codec obeys the run that called it.
class ScopedWriteConfinement {
public:
    explicit ScopedWriteConfinement(WriteConfinement rules);
    ScopedWriteConfinement(const ScopedWriteConfinement&) = delete;
    ScopedWriteConfinement& operator=(const ScopedWriteConfinement&) = delete;
    ~ScopedWriteConfinement();

private:
    WriteConfinement rules;
    const WriteConfinement* outer;
};

// Reasons a confined writer gives.
inline constexpr char kLinkOutsideText[] = "the output is a link to a file outside the output folder";
inline constexpr char kFolderOutsideText[] =
    "the output's folder is a link to a place outside the output folder";
inline constexpr char kLinkToSourceText[] = "the output is a link to the source picture";

// Whether files can be made in `folder`, found by making one that vanishes
// again; false with the system's reason when they cannot.
bool CanCreateFilesIn(const std::string& folder, Status& status);

// Makes the folders of the relative path `below` inside `folder`, one at a
// time, each checked to lie inside `folder` before anything is made in it, so
// a link among them never leads the making elsewhere. False with the reason
// (kFolderOutsideText for such a link) when one cannot be made.
bool MakeFoldersWithin(const std::string& folder, const std::string& below, Status& status);

// Opens any readable stream by name (a file, a pipe, a FIFO, a terminal),
// waiting for data as any reader would; only a folder fails (EISDIR).
std::FILE* OpenStreamUtf8(const std::string& path);

class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter();

    // Creates the temporary file and opens it for binary writing.
    bool Open();
    std::FILE* File() const { return file; }
    // A path that opens the temporary file (for an unnamed one, its
    // /proc/self/fd entry).
    const std::string& TempPath() const { return tempPath; }
    // A checked write; a failed write makes Commit fail too.
    bool Write(const void* data, size_t bytes);
    // Closes the handle, reporting whether everything written reached the file.
    bool Close();
    // Marks the content as broken, e.g. when a library reported an error,
    // with the library's reason when there is one.
    void Fail(std::string reason = std::string());
    // Closes, syncs and renames over the target; false (and no change to the
    // target) when anything went wrong on the way.
    bool Commit();
    // Why the writer failed, in the system's words (strerror text) or those
    // given to Fail; empty while nothing failed.
    const std::string& Error() const { return error; }

private:
    struct Destination;
    void Discard();
    bool Refuse(std::string reason);
    bool FindDestination(Destination& destination);
    bool Confined(const Destination& destination);
    bool OpenUnnamed(const Destination& destination, unsigned mode);
    bool CommitUnnamed(const Destination& destination);

    std::string requested;  // the path as given, links not followed
    std::string target;
    std::optional<WriteConfinement> confinement;
    std::string tempPath;
    std::string error;
    std::FILE* file = nullptr;
    int unnamedFd = -1;  // kept open to give the unnamed file its name at Commit
    bool failed = false;
    bool committed = false;
};

}  // namespace stampora
