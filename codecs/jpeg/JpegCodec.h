#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// JPEG pictures through libjpeg-turbo, with EXIF items through exiv2. Reads
// 8-bit grey (with a grey palette) or 24-bit colour (CMYK and YCCK converted
// to RGB), applying the EXIF orientation; writes baseline files at the
// quality of the save rule with the camera items, dropping alpha.
class CJpegCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

}  // namespace stampora
