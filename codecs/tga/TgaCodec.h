#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// Truevision TGA files. Reads raw and run-length encoded lines of 8 (with or
// without a colour map of 15 to 32 bits), 15, 16, 24 and 32 bits and of grey
// with alpha, in any line order and direction; writes
// uncompressed files, top line first, with a colour map for 8-bit pictures.
class CTgaCodec : public CImageCodec {
public:
    bool LoadOpened(CodecInputFile& file, ImageList& images, PropertiesSlot& properties) override;
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

}  // namespace stampora
