#pragma once
#include <cstdint>

#include "image/RasterImage.h"

// Turns and mirrors a picture of 8, 24 or 32 bits so that a picture stored
// with the camera's EXIF orientation (2..8) comes out upright; orientation 1,
// unknown values and other depths leave it as it is. Answers false only when
// the turned copy could not be allocated (the picture is then unchanged).
bool ApplyExifOrientation(CRasterImage& image, int32_t orientation);
