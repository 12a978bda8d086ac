#include "codecs/ExifOrientation.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "codecs/ExifProperties.h"

namespace {

// Where the upright picture's pixel (x, y) lies in the stored one, for the
// eight EXIF orientations (w and h are the stored size).
struct SourceMap {
    int32_t orientation;
    int32_t w;
    int32_t h;
    void At(int32_t x, int32_t y, int32_t& sx, int32_t& sy) const {
        switch (orientation) {
            case 2:
                sx = w - 1 - x;
                sy = y;
                return;  // mirrored left to right
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                return;  // turned half way
            case 4:
                sx = x;
                sy = h - 1 - y;
                return;  // mirrored top to bottom
            case 5:
                sx = y;
                sy = x;
                return;  // mirrored along the main diagonal
            case 6:
                sx = y;
                sy = h - 1 - x;
                return;  // stored a quarter turn anticlockwise
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                return;  // mirrored along the other diagonal
            case 8:
                sx = w - 1 - y;
                sy = x;
                return;  // stored a quarter turn clockwise
            default:
                sx = x;
                sy = y;
                return;
        }
    }
};

// Writes palette index `index` at (x, y) of a 1- or 4-bit picture.
void PutSubByteIndex(CRasterImage& image, int32_t x, int32_t y, uint32_t index) {
    const int32_t bpp = image.Bpp();
    const int32_t perByte = 8 / bpp;
    const int shift = 8 - bpp * (x % perByte + 1);
    const uint32_t mask = ((1u << bpp) - 1) << shift;
    uint8_t& byte = image.Row(y)[x / perByte];
    byte = static_cast<uint8_t>((byte & ~mask) | ((index << shift) & mask));
}

}  // namespace

bool ApplyExifOrientation(CRasterImage& image, int32_t orientation) {
    if (image.IsEmpty() || orientation < 2 || orientation > 8) return true;
    const int32_t bpp = image.Bpp();
    const int32_t w = image.Width();
    const int32_t h = image.Height();
    const bool swapsSides = orientation >= 5;
    // The turned copy has the picture's own header (masks included) with
    // its sides exchanged when the turn is a quarter.
    std::unique_ptr<uint8_t[]> block(reinterpret_cast<uint8_t*>(image.NewDibHeader()));
    if (!block) return false;
    auto* header = reinterpret_cast<DibInfoHeader*>(block.get());
    header->biWidth = swapsSides ? h : w;
    header->biHeight = swapsSides ? w : h;
    CRasterImage turned;
    if (!turned.Create(header)) return false;
    if (bpp <= 8) turned.CopyPaletteFrom(image);

    const SourceMap map{orientation, w, h};
    const size_t pixelBytes = static_cast<size_t>(bpp / 8);
    for (int32_t y = 0; y < turned.Height(); ++y) {
        uint8_t* out = turned.Row(y);
        for (int32_t x = 0; x < turned.Width(); ++x) {
            int32_t sx = 0;
            int32_t sy = 0;
            map.At(x, y, sx, sy);
            if (bpp < 8) {
                PutSubByteIndex(turned, x, y, image.ReadPixel(sx, sy));
            } else {
                std::memcpy(out + static_cast<size_t>(x) * pixelBytes, image.PixelAt(sx, sy), pixelBytes);
            }
        }
    }
    turned.offsetX = image.offsetX;
    turned.offsetY = image.offsetY;
    image.Swap(turned);
    return true;
}

bool ApplyOrientationItem(CRasterImage& image, CImageProperties& properties) {
    if (!properties.HasKey(kPropertyOrientation)) return true;
    const auto orientation =
        static_cast<int32_t>(std::strtol(properties.GetValue(kPropertyOrientation).c_str(), nullptr, 10));
    if (orientation == 1) return true;
    if (!ApplyExifOrientation(image, orientation)) return false;
    properties.SetValue(kPropertyOrientation, "1");
    return true;
}
