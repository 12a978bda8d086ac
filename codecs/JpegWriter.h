#pragma once
#include <string>

#include "codecs/ImageProperties.h"
#include "image/RasterImage.h"

// Writes a picture as a baseline JPEG at the quality of the save rule, with
// the camera items of the properties in an EXIF block. Alpha is dropped; grey
// palette pictures are stored as grey, every other depth as colour.
bool WriteJpeg(const std::string& path, const CRasterImage& image, const CImageProperties* properties);
