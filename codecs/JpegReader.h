#pragma once
#include <cstddef>
#include <cstdint>

#include "codecs/ImageCodec.h"

// Decodes a JPEG file held in memory into one picture: 8-bit grey with a grey
// palette, or 24-bit colour (CMYK and YCCK converted to RGB). The camera's
// EXIF items go into a new property store; an EXIF orientation is applied to
// the pixels and the orientation item reset to 1 (upright).
bool ReadJpeg(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);
