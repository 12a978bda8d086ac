#pragma once
#include <cstdint>

#include "codecs/ImageProperties.h"
#include "image/RasterImage.h"

// Turns and mirrors a picture of any depth so that a picture stored with the
// EXIF/TIFF orientation (2..8) comes out upright; orientation 1 and unknown
// values leave it as it is. Answers false only when the turned copy could not
// be allocated (the picture is then unchanged).
bool ApplyExifOrientation(CRasterImage& image, int32_t orientation);

// Applies the orientation item of the properties (tag 0x0112), if any, and
// resets the item to 1, so a file saved from the upright pixels is not turned
// again.
bool ApplyOrientationItem(CRasterImage& image, CImageProperties& properties);
