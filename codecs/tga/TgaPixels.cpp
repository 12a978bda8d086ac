// The last step of reading a TGA file: line direction and grey with alpha.
#include <algorithm>
#include <cstring>
#include <memory>

#include "codecs/tga/Tga_pvt.h"

namespace stampora {

namespace {

// Reverses the pixels of every line, whole bytes or 1- and 4-bit indices.
void MirrorLines(CRasterImage& image) {
    const int32_t width = image.Width();
    const int32_t bpp = image.Bpp();
    const size_t pixelBytes = static_cast<size_t>(bpp) / 8;
    uint8_t swap[4];
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.Row(y);
        for (int32_t left = 0, right = width - 1; left < right; ++left, --right) {
            if (bpp >= 8) {
                uint8_t* a = row + static_cast<size_t>(left) * pixelBytes;
                uint8_t* b = row + static_cast<size_t>(right) * pixelBytes;
                std::memcpy(swap, a, pixelBytes);
                std::memcpy(a, b, pixelBytes);
                std::memcpy(b, swap, pixelBytes);
                continue;
            }
            // Sub-byte indices, the leftmost in the high bits of a byte.
            const int32_t perByte = 8 / bpp;
            const uint8_t mask = static_cast<uint8_t>((1 << bpp) - 1);
            const auto shiftOf = [&](int32_t x) { return (perByte - 1 - x % perByte) * bpp; };
            uint8_t& a = row[left / perByte];
            uint8_t& b = row[right / perByte];
            const uint8_t va = (a >> shiftOf(left)) & mask;
            const uint8_t vb = (b >> shiftOf(right)) & mask;
            a = static_cast<uint8_t>((a & ~(mask << shiftOf(left))) | vb << shiftOf(left));
            b = static_cast<uint8_t>((b & ~(mask << shiftOf(right))) | va << shiftOf(right));
        }
    }
}

// A 32-bit picture from lines of grey and alpha byte pairs.
std::unique_ptr<CRasterImage> ExpandGreyAlpha(const CRasterImage& pairs, bool withAlpha) {
    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(pairs.Width(), pairs.Height(), 32)) return nullptr;
    for (int32_t y = 0; y < pairs.Height(); ++y) {
        const uint8_t* src = pairs.Row(y);
        uint8_t* dst = image->Row(y);
        for (int32_t x = 0; x < pairs.Width(); ++x, src += 2, dst += 4) {
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = withAlpha ? src[1] : 255;
        }
    }
    return image;
}

}  // namespace

bool FinishTgaPixels(std::unique_ptr<CRasterImage>& image, const TgaHeader& header) {
    if (header.IsRightFirst()) MirrorLines(*image);
    if (!header.IsGreyAlpha()) return true;
    std::unique_ptr<CRasterImage> expanded = ExpandGreyAlpha(*image, header.HasAlphaBits());
    if (!expanded) return false;
    image = std::move(expanded);
    return true;
}

}  // namespace stampora
