#include "image/RowConversion.h"

#include <cstring>

#include "image/LittleEndian.h"
#include "image/MaskedChannel.h"

namespace stampora {

namespace {

template <int Channels>
void ExpandRow(const CRasterImage& image, int32_t y, uint8_t* out) {
    const int32_t width = image.Width();
    const uint8_t* row = image.Row(y);
    const int32_t bpp = image.Bpp();
    for (int32_t x = 0; x < width; ++x) {
        uint8_t* px = out + static_cast<size_t>(x) * Channels;
        uint8_t alpha = 255;
        if (bpp <= 8) {
            const PaletteColour& entry = image.Palette()[image.ReadPixel(x, y)];
            px[0] = entry.rgbBlue;
            px[1] = entry.rgbGreen;
            px[2] = entry.rgbRed;
        } else if (bpp == 16) {
            const uint32_t word = LoadLE16(row + 2 * static_cast<size_t>(x));
            px[0] = WidenMaskedChannel(word, image.BlueMask());
            px[1] = WidenMaskedChannel(word, image.GreenMask());
            px[2] = WidenMaskedChannel(word, image.RedMask());
        } else {
            const uint8_t* src = row + static_cast<size_t>(x) * (bpp / 8);
            px[0] = src[0];
            px[1] = src[1];
            px[2] = src[2];
            if (bpp == 32) alpha = src[3];
        }
        if constexpr (Channels == 4) {
            px[3] = alpha;
        } else if (alpha != 255) {
            // Without a channel for it, transparency shows as it would over
            // white, not as whatever colour the hidden pixels hold.
            const unsigned white = 255u * (255u - alpha);
            for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>((px[c] * alpha + white + 127u) / 255u);
        }
    }
}

}  // namespace

void RowToBgr(const CRasterImage& image, int32_t y, uint8_t* out) {
    if (image.Bpp() == 24) {
        std::memcpy(out, image.Row(y), static_cast<size_t>(image.Width()) * 3);
        return;
    }
    ExpandRow<3>(image, y, out);
}

void RowToBgra(const CRasterImage& image, int32_t y, uint8_t* out) {
    if (image.Bpp() == 32) {
        std::memcpy(out, image.Row(y), static_cast<size_t>(image.Width()) * 4);
        return;
    }
    ExpandRow<4>(image, y, out);
}

bool IsOpaque(const CRasterImage& image) {
    if (image.Bpp() != 32) return true;
    const size_t width = static_cast<size_t>(image.Width());
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        for (size_t x = 0; x < width; ++x) {
            if (row[4 * x + 3] != 255) return false;
        }
    }
    return true;
}

bool HasGreyRampPalette(const CRasterImage& image) {
    const int32_t count = image.PaletteSize();
    if (count < 2) return false;
    const PaletteColour* palette = image.Palette();
    for (int32_t i = 0; i < count; ++i) {
        const int level = 255 * i / (count - 1);
        if (palette[i].rgbRed != level || palette[i].rgbGreen != level || palette[i].rgbBlue != level)
            return false;
    }
    return true;
}

}  // namespace stampora
