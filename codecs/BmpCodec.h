#pragma once
#include "codecs/ImageCodec.h"

// Windows bitmap files: uncompressed 1, 4, 8, 16 (5-5-5 or bit fields), 24
// and 32 bits, bottom-up.
class CBmpCodec : public CImageCodec {
public:
    bool LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties) override;
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images, const CImageProperties* properties) override;
};
