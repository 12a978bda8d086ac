#pragma once
#include <string>

#include "codecs/ImageProperties.h"
#include "image/RasterImage.h"

// Writes a picture as PNG: 1, 4 and 8 bits as palette (or grey when the
// palette is the grey ramp), 16 and 24 bits as RGB, 32 bits as RGBA keeping
// the alpha; the camera items of the properties go into an eXIf chunk.
bool WritePng(const std::string& path, const CRasterImage& image, const CImageProperties* properties);
