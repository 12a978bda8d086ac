#pragma once
// The 1/8 view of a baseline JPEG read from the DC coefficients alone.
//
// At 1/8 of its size every 8 x 8 block of a JPEG picture is one pixel, the
// block's average, which is its DC coefficient. Finding the DC coefficients
// still means walking every Huffman code of the picture, and that walk is
// nearly all of libjpeg's time for such a view. Here the walk skips the AC
// codes without keeping their values, and the scan is cut into pieces read
// side by side: between restart markers each piece starts exactly; without
// them a piece starts at a guessed place and is joined to the one before it
// where the exact walk of that one meets one of its own block starts (a
// Huffman stream falls into step with itself within a few codes).
//
// Only clean single-scan baseline pictures in YCbCr or grey, with the chroma
// at full, half or quarter size, are read this way. Anything else, and any
// irregularity in the data, gives false, and the caller decodes through
// libjpeg, which reports the damage in its own words.
#include <cstddef>
#include <cstdint>

#include "codecs/jpeg/Jpeg_pvt.h"
#include "image/RasterImage.h"

namespace stampora {

// `cinfo` has read the header up to its first scan; `scan` is where that
// scan's data starts, `end` where the file ends. `pieces` 0 chooses from the
// data's size and the processors; tests ask for more to make the joins.
// `view` gets the picture at 1/8 (its sides rounded up), 24-bit, or 8-bit
// for grey, stored side up.
bool ReadJpegDcView(const jpeg_decompress_struct& cinfo, const uint8_t* scan, const uint8_t* end,
                    CRasterImage& view, unsigned pieces = 0);

// The same from a whole file, its header read here.
bool ReadJpegDcView(const uint8_t* data, size_t size, CRasterImage& view, unsigned pieces = 0);

}  // namespace stampora
