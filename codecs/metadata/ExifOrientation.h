#pragma once
#include <cstdint>

#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"

namespace stampora {

// The geometry of an EXIF/TIFF orientation (1..8) for a picture stored
// `width` x `height`: the upright picture's pixel (x, y) is stored at the
// place found by exchanging x and y when the orientation swaps the sides,
// then counting x from the right and y from the bottom where it mirrors.
struct ExifTurn {
    bool swapsSides = false;
    bool fromRight = false;
    bool fromBottom = false;
    void StoredOf(int32_t x, int32_t y, int32_t width, int32_t height, int32_t& sx, int32_t& sy) const;
    void UprightOf(int32_t sx, int32_t sy, int32_t width, int32_t height, int32_t& x, int32_t& y) const;
};

// The turn of an orientation; unknown values are upright.
ExifTurn TurnOfOrientation(int32_t orientation);

// The orientation that turns an upright picture back into its stored form.
int32_t InverseOrientation(int32_t orientation);

// Turns and mirrors a picture of any depth so that a picture stored with the
// EXIF/TIFF orientation (2..8) comes out upright; orientation 1 and unknown
// values leave it as it is. Answers false only when the turned copy could not
// be allocated (the picture is then unchanged).
bool ApplyExifOrientation(CRasterImage& image, int32_t orientation);

// Applies the orientation of the properties, if any, and resets it to 1, so
// a file saved from the upright pixels is not turned again.
bool ApplyOrientationItem(CRasterImage& image, CImageProperties& properties);

}  // namespace stampora
