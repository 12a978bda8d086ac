#pragma once
#include "image/palette/ColorQuantizer.h"

namespace stampora {

// Fills the indices of `out` from the picture with Floyd-Steinberg error
// diffusion in serpentine order over the palette already in `out`; pixels of
// alpha 0 take the transparent index and pass no error on.
void DitherToPalette(const CRasterImage& image, IndexedPicture& out);

}  // namespace stampora
