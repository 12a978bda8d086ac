#pragma once
#include <cstddef>
#include <cstdint>

#include "codecs/ImageCodec.h"

// Decodes every image of an icon (or cursor) file held in memory, in the
// order of its directory: bitmap images become 32-bit pictures with alpha
// (from their alpha channel or their AND mask), embedded PNG images are read
// through libpng. Images that are broken or reach outside the file are
// skipped; false when none could be read.
bool ReadIco(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties);
