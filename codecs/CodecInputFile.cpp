#include "codecs/CodecInputFile.h"

#include "codecs/ImageCodec.h"
#include "platform/FileIo.h"

CodecInputFile::~CodecInputFile() {
    if (file != nullptr) std::fclose(file);
}

bool CodecInputFile::Open(const std::string& path) {
    if (file != nullptr) return false;
    file = OpenFileUtf8(path, "rb");
    if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(file);
    if (end <= 0 || end > kMaxImageFileBytes || std::fseek(file, 0, SEEK_SET) != 0) return false;
    size = static_cast<size_t>(end);
    return true;
}

bool CodecInputFile::Seek(size_t offset) {
    return file != nullptr && offset <= size && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

size_t CodecInputFile::Read(void* destination, size_t bytes) {
    if (file == nullptr || bytes == 0) return 0;
    return std::fread(destination, 1, bytes, file);
}
