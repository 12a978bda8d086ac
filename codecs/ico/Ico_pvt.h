#pragma once
// Internals of the icon codec.
#include <cstddef>
#include <cstdint>

#include "image/RasterImage.h"

namespace stampora {

// Decodes one icon image stored as a device-independent bitmap: the info
// header (whose height counts both the colour and the mask rows), the palette,
// the colour rows and the 1-bit AND mask, bottom line first. The result is a
// 32-bit picture: a 32-bit icon with any alpha keeps its alpha, every other
// icon takes alpha 0 where the mask is set. False for anything that does not
// fit in the bytes given.
bool ReadIconDib(const uint8_t* data, size_t size, CRasterImage& image);

}  // namespace stampora
