#pragma once
// A picture of any depth reduced to an indexed picture of at most 256
// colours, for formats that only hold palettes.
#include <cstdint>
#include <vector>

#include "image/RasterImage.h"

namespace stampora {

struct IndexedPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<PaletteColour> palette;  // at most 256 entries
    std::vector<uint8_t> indices;        // width x height, top line first
    int32_t transparentIndex = -1;       // the index of fully transparent pixels, or -1
};

// Pictures with 256 colours or fewer keep them exactly; others get a Wu
// palette and Floyd-Steinberg error diffusion. Pixels of alpha 0 (32 bits)
// take an index of their own, so the colours then get 255 entries.
bool QuantizePicture(const CRasterImage& image, IndexedPicture& out);

}  // namespace stampora
