#pragma once
// File access on UTF-8 paths, and saving that never destroys a good file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// fopen on a UTF-8 path (the wide-character open on Windows).
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);

// Reads a whole file; false when it cannot be opened or read, or is larger
// than maxBytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, int64_t maxBytes);

// Writes a file through a temporary file in the target's folder that replaces
// the target only when every byte was written and the file closed cleanly.
// Anything short of a successful Commit removes the temporary file and leaves
// an existing target untouched.
//
//   SafeFileWriter out(path);
//   if (!out.Open() || !out.Write(data, n)) return false;
//   return out.Commit();
//
// A library that must open the file itself may Close() the writer's handle,
// write to TempPath(), and then Commit().
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter();

    // Creates the temporary file and opens it for binary writing.
    bool Open();
    std::FILE* File() const { return file; }
    const std::string& TempPath() const { return tempPath; }
    // A checked write; a failed write makes Commit fail too.
    bool Write(const void* data, size_t bytes);
    // Closes the handle, reporting whether everything written reached the file.
    bool Close();
    // Marks the content as broken, e.g. when a library reported an error.
    void Fail() { failed = true; }
    // Closes, syncs and renames over the target; false (and no change to the
    // target) when anything went wrong on the way.
    bool Commit();

private:
    void Discard();

    std::string target;
    std::string tempPath;
    std::FILE* file = nullptr;
    bool failed = false;
    bool committed = false;
};
