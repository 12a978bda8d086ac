#pragma once
#include <string>

#include "codecs/ImageProperties.h"
#include "image/RasterImage.h"

// Writes a picture as a one-page TIFF compressed losslessly (LZW): 1, 4 and
// 8 bits as palette (or grey when the palette is the grey ramp), 16 and 24
// bits as RGB, 32 bits as RGB with straight (unassociated) alpha. The camera
// items of the properties are added as EXIF.
bool WriteTiff(const std::string& path, const CRasterImage& image, const CImageProperties* properties);
