#pragma once
#include <cstddef>
#include <cstdint>

#include "codecs/ImageCodec.h"

// Decodes every page of a TIFF file held in memory into one picture each:
// palette pages of 1, 4 or 8 bits with their palette, grey as 8 bits with a
// grey palette (1 bit for black and white), RGB as 24 bits and RGB with
// alpha as 32 bits with straight alpha; 16-bit samples are scaled to 8 bits.
// Other layouts (tiles, separate planes, YCbCr, CMYK, grey with alpha, other
// sample sizes) go through libtiff's RGBA reader. The first page's tags and
// EXIF items go into a new property store.
bool ReadTiff(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);
