#pragma once
// High-quality resizing of a picture (bicubic, separable).
#include <cstdint>

#include "image/RasterImage.h"

namespace stampora {

// Resamples the picture to newWidth x newHeight, keeping its depth (16, 24 or
// 32 bits), palette-free header fields and position. The picture's edge is
// repeated beyond its border as the filter's neighbourhood, so edges keep
// their colour. Shrinking widens the filter with the reduction factor, so
// fine detail is averaged rather than aliased; 32-bit pictures are filtered
// with premultiplied alpha, so transparent pixels lend no colour.
// Answers false and leaves the picture unchanged when it is empty, has fewer
// than 16 bits per pixel, a new side is 0 or less, a side would shrink more
// than 2^24-fold, or memory runs out.
bool ResizeImage(CRasterImage& image, int32_t newWidth, int32_t newHeight);

}  // namespace stampora
