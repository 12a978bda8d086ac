#pragma once
#include <tiffio.h>

#include "image/RasterImage.h"

// Reads the current page of an open TIFF into a new picture; false when the
// page has no readable line.
bool ReadTiffPage(TIFF* tiff, CRasterImage& image);
