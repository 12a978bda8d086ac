#include "codecs/ImageCodec.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "codecs/CodecInputFile.h"

bool CImageCodec::LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties) {
    status = FileStatus();
    CodecInputFile file;
    if (!file.Open(path, status)) return false;
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(file.Size());
    } catch (const std::bad_alloc&) {
        return status.Fail("not enough memory to read the file");
    }
    if (!file.ReadExactly(bytes.data(), bytes.size())) return status.Fail(ReadFailure());
    return LoadMemory(bytes.data(), bytes.size(), images, properties);
}

bool CImageCodec::LoadMemory(const uint8_t*, size_t, ImageList&, PropertiesSlot&) {
    return status.Fail("this format cannot be read");
}

bool CImageCodec::SaveFile(const std::string&, const ImageList&, const CImageProperties*) {
    return status.Fail("this format cannot be written");
}

std::string WriteFailure(const char* step) {
    const int error = errno;
    std::string reason = step;
    if (error != 0) reason += std::string(": ") + std::strerror(error);
    return reason;
}

std::string LinesDamage(int64_t linesRead, int64_t height) {
    return "only " + std::to_string(linesRead) + " of " + std::to_string(height) + " lines";
}
