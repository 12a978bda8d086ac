#include "codecs/ExifOrientation.h"

#include <cstring>

namespace {

// Where the upright picture's pixel (x, y) lies in the stored one, for the
// eight EXIF orientations (w and h are the stored size).
struct SourceMap {
    int32_t orientation;
    int32_t w;
    int32_t h;
    void At(int32_t x, int32_t y, int32_t& sx, int32_t& sy) const {
        switch (orientation) {
            case 2: sx = w - 1 - x; sy = y; return;              // mirrored left to right
            case 3: sx = w - 1 - x; sy = h - 1 - y; return;      // turned half way
            case 4: sx = x; sy = h - 1 - y; return;              // mirrored top to bottom
            case 5: sx = y; sy = x; return;                      // mirrored along the main diagonal
            case 6: sx = y; sy = h - 1 - x; return;              // stored a quarter turn anticlockwise
            case 7: sx = w - 1 - y; sy = h - 1 - x; return;      // mirrored along the other diagonal
            case 8: sx = w - 1 - y; sy = x; return;              // stored a quarter turn clockwise
            default: sx = x; sy = y; return;
        }
    }
};

}  // namespace

bool ApplyExifOrientation(CRasterImage& image, int32_t orientation) {
    if (image.IsEmpty() || orientation < 2 || orientation > 8) return true;
    const int32_t bpp = image.Bpp();
    if (bpp != 8 && bpp != 24 && bpp != 32) return true;

    const int32_t w = image.Width();
    const int32_t h = image.Height();
    const bool swapsSides = orientation >= 5;
    CRasterImage turned;
    if (!turned.Create(swapsSides ? h : w, swapsSides ? w : h, bpp)) return false;
    if (bpp == 8) turned.CopyPaletteFrom(image);

    const size_t pixelBytes = static_cast<size_t>(bpp / 8);
    const SourceMap map{orientation, w, h};
    for (int32_t y = 0; y < turned.Height(); ++y) {
        uint8_t* out = turned.Row(y);
        for (int32_t x = 0; x < turned.Width(); ++x) {
            int32_t sx = 0;
            int32_t sy = 0;
            map.At(x, y, sx, sy);
            std::memcpy(out + static_cast<size_t>(x) * pixelBytes, image.PixelAt(sx, sy), pixelBytes);
        }
    }
    turned.offsetX = image.offsetX;
    turned.offsetY = image.offsetY;
    image.Swap(turned);
    return true;
}
