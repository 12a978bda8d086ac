#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// PNG pictures through libpng. Reads 1, 4 or 8-bit palette pictures with
// their palette, grey as 8 bits with a grey palette (1 bit for black and
// white), 24-bit colour, and 32 bits with straight alpha for every picture
// with an alpha channel or transparent entries (tRNS); 16-bit samples are
// scaled to 8 bits. EXIF items (an eXIf chunk, or the raw-profile text other
// tools write) go into the properties, and their orientation is applied.
// Writes 1, 4 and 8 bits as palette (or grey when the palette is the grey
// ramp), 16 and 24 bits as RGB, 32 bits as RGBA (RGB when every pixel is
// opaque), with the camera items in an eXIf chunk.
class CPngCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

}  // namespace stampora
