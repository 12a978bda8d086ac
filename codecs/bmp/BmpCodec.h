#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// Windows and OS/2 bitmap files. Reads 1, 4, 8, 16 (5-5-5 or bit fields), 24
// and 32 bits (plain or bit fields, with or without alpha), bottom-up or
// top-down, and 4- and 8-bit run-length encoded files, bottom-up; writes
// uncompressed files, bottom-up.
class CBmpCodec : public CImageCodec {
public:
    bool LoadOpened(CodecInputFile& file, ImageList& images, PropertiesSlot& properties) override;
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

}  // namespace stampora
