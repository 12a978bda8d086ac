#include "codecs/ImageCodec.h"

#include <cstdio>
#include <vector>

#include "platform/FileIo.h"

bool CImageCodec::LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxImageFileBytes) || bytes.empty()) return false;
    return LoadMemory(bytes.data(), bytes.size(), images, properties);
}

bool CImageCodec::LoadMemory(const uint8_t*, size_t, ImageList&, PropertiesSlot&) { return false; }

bool CImageCodec::SaveFile(const std::string&, const ImageList&, const CImageProperties*) { return false; }
