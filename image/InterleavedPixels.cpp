#include "image/InterleavedPixels.h"

#include <new>

#include "image/RowConversion.h"

namespace stampora {

bool HasTransparency(const CRasterImage& image) {
    if (image.Bpp() != 32) return false;
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        for (int32_t x = 0; x < image.Width(); ++x) {
            if (row[4 * x + 3] != 255) return true;
        }
    }
    return false;
}

bool InterleavedRgb(const CRasterImage& image, bool withAlpha, std::vector<uint8_t>& out) {
    const size_t width = static_cast<size_t>(image.Width());
    const size_t channels = withAlpha ? 4 : 3;
    try {
        out.resize(width * channels * static_cast<size_t>(image.Height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<uint8_t> bgra(width * 4);
    for (int32_t y = 0; y < image.Height(); ++y) {
        RowToBgra(image, y, bgra.data());
        uint8_t* to = out.data() + static_cast<size_t>(y) * width * channels;
        for (size_t x = 0; x < width; ++x, to += channels) {
            to[0] = bgra[4 * x + 2];
            to[1] = bgra[4 * x + 1];
            to[2] = bgra[4 * x];
            if (withAlpha) to[3] = bgra[4 * x + 3];
        }
    }
    return true;
}

bool PictureFromInterleaved(const uint8_t* pixels, size_t stride, int32_t width, int32_t height, int channels,
                            CRasterImage& image) {
    if (!image.Create(width, height, 32)) return false;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = pixels + static_cast<size_t>(y) * stride;
        uint8_t* to = image.Row(y);
        for (int32_t x = 0; x < width; ++x, from += channels, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = channels == 4 ? from[3] : 255;
        }
    }
    return true;
}

}  // namespace stampora
