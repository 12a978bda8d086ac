#pragma once
// Lines of a picture of any depth turned into plain colour bytes, for
// encoders that take fewer depths than a picture may have.
#include <cstdint>

#include "image/RasterImage.h"

namespace stampora {

// Line y as blue, green, red triplets (palette looked up, 16-bit words
// expanded by their masks, a 32-bit picture's transparent pixels composed
// onto white).
void RowToBgr(const CRasterImage& image, int32_t y, uint8_t* out);

// Line y as blue, green, red, alpha quads; only a 32-bit picture carries
// alpha, every other depth comes out opaque.
void RowToBgra(const CRasterImage& image, int32_t y, uint8_t* out);

// True unless the picture is 32-bit with a pixel that is not fully opaque:
// such a picture is stored without an alpha channel, which would only add
// a third to its pixel data.
bool IsOpaque(const CRasterImage& image);

// Whether the palette of a picture of 8 bits or fewer is the black-to-white
// ramp, so the picture can be stored as grey levels.
bool HasGreyRampPalette(const CRasterImage& image);

}  // namespace stampora
