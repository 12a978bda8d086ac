#pragma once
#include <string>

#include "codecs/ImageCodec.h"
#include "codecs/metadata/EmbeddedMetadata.h"

namespace stampora {

// JPEG XL pictures through libjxl. Reads the first frame as 32 bits with
// alpha, turned upright by the file's orientation, with the camera items of
// its EXIF box (its orientation then 1). Writes lossy at the save quality
// (on cjxl's scale of distances), lossless at quality 100, with alpha where
// the picture has any and the metadata blocks of the options as boxes.
class CJxlCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

// The EXIF and XMP boxes and the ICC profile of a JPEG XL file (the
// profile only when the picture is not plain sRGB).
EmbeddedMetadata JxlMetadata(const uint8_t* data, size_t size);

}  // namespace stampora
