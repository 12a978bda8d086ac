#pragma once
// A picture file opened for reading, for readers that take the pixel data
// straight from the file into an image instead of through a copy in memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace stampora {

class CodecInputFile {
public:
    CodecInputFile() = default;
    CodecInputFile(const CodecInputFile&) = delete;
    CodecInputFile& operator=(const CodecInputFile&) = delete;
    ~CodecInputFile();

    // Opens a UTF-8 path; false, with the reason in `status`, when it cannot
    // be opened or its size is 0 or above the largest picture file the
    // readers take.
    bool Open(const std::string& path, Status& status);
    size_t Size() const { return size; }
    bool Seek(size_t offset);
    // Reads up to `bytes` bytes; answers how many arrived.
    size_t Read(void* destination, size_t bytes);
    // Reads exactly `bytes` bytes or answers false.
    bool ReadExactly(void* destination, size_t bytes) { return Read(destination, bytes) == bytes; }
    // The open file, for a library that reads a stdio stream (a header
    // reader), which leaves it wherever it stopped; null when not open.
    std::FILE* Stream() const { return file; }
    // Reads the whole file from its start into `bytes`; false, with the
    // reason in `status`, when memory or the file fails.
    bool ReadAll(std::vector<uint8_t>& bytes, Status& status);

private:
    std::FILE* file = nullptr;
    size_t size = 0;
};

// Why the last read from a file failed: the system's text, or "the file is
// shorter than it was a moment ago" when it shrank while being read.
std::string ReadFailure();

}  // namespace stampora
