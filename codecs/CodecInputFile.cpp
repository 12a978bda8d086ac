#include "codecs/CodecInputFile.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "codecs/ImageCodec.h"
#include "platform/FileIo.h"

namespace stampora {

CodecInputFile::~CodecInputFile() {
    if (file != nullptr) std::fclose(file);
}

bool CodecInputFile::Open(const std::string& path, Status& status) {
    if (file != nullptr) return status.Fail(Domain::Read, "the file is already open");
    errno = 0;
    file = OpenFileUtf8(path, "rb");
    if (file == nullptr) {
        return status.Fail(Domain::Read, errno != 0 ? std::string(std::strerror(errno))
                                                    : std::string("the file cannot be opened"));
    }
    if (std::fseek(file, 0, SEEK_END) != 0) return status.Fail(Domain::Read, ReadFailure());
    const long end = std::ftell(file);
    if (end < 0) return status.Fail(Domain::Read, ReadFailure());
    if (end == 0) return status.Fail(Domain::Read, "the file is empty");
    if (end > kMaxImageFileBytes) return status.Fail(Domain::Read, "the file is larger than 2 GB");
    if (std::fseek(file, 0, SEEK_SET) != 0) return status.Fail(Domain::Read, ReadFailure());
    size = static_cast<size_t>(end);
    return true;
}

bool CodecInputFile::Seek(size_t offset) {
    return file != nullptr && offset <= size && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

size_t CodecInputFile::Read(void* destination, size_t bytes) {
    if (file == nullptr || bytes == 0) return 0;
    errno = 0;
    return std::fread(destination, 1, bytes, file);
}

std::string ReadFailure() {
    return errno != 0 ? std::string(std::strerror(errno))
                      : std::string("the file is shorter than it was a moment ago");
}

bool CodecInputFile::ReadAll(std::vector<uint8_t>& bytes, Status& status) {
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return status.Fail(Domain::Read, "not enough memory to read the file");
    }
    if (!Seek(0) || !ReadExactly(bytes.data(), bytes.size())) return status.Fail(Domain::Read, ReadFailure());
    return true;
}

}  // namespace stampora
