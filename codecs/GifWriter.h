#pragma once
#include <string>

#include "image/RasterImage.h"

// Writes a picture as a still GIF: pictures of 8 bits or fewer with their
// palette, deeper ones reduced to at most 256 colours (alpha 0 becomes the
// transparent index).
bool WriteGif(const std::string& path, const CRasterImage& image);
