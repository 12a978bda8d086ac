#include "codecs/metadata/ExifOrientation.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "codecs/metadata/ExifProperties.h"

namespace stampora {

namespace {

// By orientation: 2 mirrored left to right, 3 turned half way, 4 mirrored
// top to bottom, 5 mirrored along the main diagonal, 6 stored a quarter
// turn anticlockwise, 7 mirrored along the other diagonal, 8 stored a
// quarter turn clockwise.
constexpr ExifTurn kTurns[9] = {{},
                                {false, false, false},
                                {false, true, false},
                                {false, true, true},
                                {false, false, true},
                                {true, false, false},
                                {true, false, true},
                                {true, true, true},
                                {true, true, false}};

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

void ExifTurn::StoredOf(int32_t x, int32_t y, int32_t width, int32_t height, int32_t& sx, int32_t& sy) const {
    const int32_t u = swapsSides ? y : x, v = swapsSides ? x : y;
    sx = fromRight ? width - 1 - u : u;
    sy = fromBottom ? height - 1 - v : v;
}

void ExifTurn::UprightOf(int32_t sx, int32_t sy, int32_t width, int32_t height, int32_t& x,
                         int32_t& y) const {
    const int32_t u = fromRight ? width - 1 - sx : sx, v = fromBottom ? height - 1 - sy : sy;
    x = swapsSides ? v : u;
    y = swapsSides ? u : v;
}

ExifTurn TurnOfOrientation(int32_t orientation) {
    return orientation >= 1 && orientation <= 8 ? kTurns[orientation] : kTurns[1];
}

int32_t InverseOrientation(int32_t orientation) {
    return orientation == 6 ? 8 : orientation == 8 ? 6 : orientation;
}

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

    const ExifTurn turn = TurnOfOrientation(orientation);
    const size_t pixelBytes = static_cast<size_t>(bpp / 8);
    for (int32_t y = 0; y < turned.Height(); ++y) {
        uint8_t* out = turned.Row(y);
        for (int32_t x = 0; x < turned.Width(); ++x) {
            int32_t sx = 0;
            int32_t sy = 0;
            turn.StoredOf(x, y, w, h, sx, sy);
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
    if (!properties.orientation || *properties.orientation == 1) return true;
    if (!ApplyExifOrientation(image, *properties.orientation)) return false;
    properties.orientation = 1;
    return true;
}

}  // namespace stampora
