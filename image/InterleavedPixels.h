#pragma once
// Pictures to and from the plain interleaved 8-bit RGB(A) buffers that
// WebP, HEIF and JPEG XL libraries take and give.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/RasterImage.h"

namespace stampora {

// Whether any pixel is less than opaque (only a 32-bit picture can be).
bool HasTransparency(const CRasterImage& image);

// The picture as rows of red, green, blue (and alpha when `withAlpha`), top
// row first, with no padding; false when there is no memory for it.
bool InterleavedRgb(const CRasterImage& image, bool withAlpha, std::vector<uint8_t>& out);

// Makes `image` a 32-bit picture of `width` x `height` from rows of 3 (RGB)
// or 4 (RGBA) bytes a pixel, `stride` bytes apart; false when there is no
// memory for it.
bool PictureFromInterleaved(const uint8_t* pixels, size_t stride, int32_t width, int32_t height, int channels,
                            CRasterImage& image);

}  // namespace stampora
