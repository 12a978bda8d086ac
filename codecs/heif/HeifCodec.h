#pragma once
#include <string>

#include "codecs/ImageCodec.h"
#include "codecs/ImageFormat.h"
#include "codecs/metadata/EmbeddedMetadata.h"

namespace stampora {

// HEIF/HEIC and AVIF pictures through libheif. Reads the primary picture
// with its rotation, mirroring and cropping applied, a grid of tiles as one
// picture, as 32 bits with alpha; deeper samples (10 or 12 bits) are rounded
// to 8. The EXIF is read for the camera items (its orientation is already
// applied). Writes AVIF, or HEIC when the codec is made for FormatHeif and
// libheif has an encoder for it (otherwise the save fails and says so), at
// the save quality on the encoder's 0..100 scale, with the metadata blocks
// of the options.
class CHeifCodec : public CImageCodec {
public:
    explicit CHeifCodec(ImageFormat format);
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;

private:
    ImageFormat written;
};

// The EXIF, XMP and ICC profile of a HEIF or AVIF file's primary picture.
EmbeddedMetadata HeifMetadata(const uint8_t* data, size_t size);

}  // namespace stampora
