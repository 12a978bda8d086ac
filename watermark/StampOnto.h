#pragma once
// Blends the active watermarks into a 32-bit picture: the image mark first,
// then the text mark over it, each at its x, y with its opacity.
#include "image/RasterImage.h"
#include "watermark/ImageWatermark.h"
#include "watermark/TextWatermark.h"

// With the margin test on (the batch job), a mark is stamped only when it
// lies inside the picture with the placement margin to spare; the editor's
// save, whose marks already passed their fit checks, turns it off.
void StampOnto(CRasterImage& picture, const ImageWatermark& imageMark, const TextWatermark& textMark,
               bool marginTest);
