#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// TIFF pictures through libtiff, every page a frame. Reads stripped and tiled
// pages: palette pages of 1, 4 or 8 bits with their palette, grey as 8 bits
// with a grey palette (1 bit for black and white), RGB as 24 bits and RGB
// with alpha as 32 bits with straight alpha, 16-bit samples scaled to 8 bits;
// other layouts (separate planes, YCbCr, CMYK, grey with alpha, other sample
// sizes) go through libtiff's RGBA reader. Every page is turned upright by
// its orientation. The first page's EXIF items go into the properties, and
// the tags that say what each page is into the page-tags property. A page
// that cannot be read, after the first that can, is left out with a note.
// Writes every picture as an LZW-compressed page: palette (or grey) for 8
// bits or fewer, RGB for 16 and 24 bits, RGB with unassociated alpha for 32
// (RGB when every pixel is opaque), each with its page tags, and the camera
// items as EXIF.
class CTiffCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

}  // namespace stampora
