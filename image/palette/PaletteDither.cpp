#include "image/palette/PaletteDither.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "image/RowConversion.h"

namespace stampora {

namespace {

// Nearest palette entries, cached per cell of a 64 x 64 x 64 colour grid.
class NearestColour {
public:
    explicit NearestColour(const std::vector<PaletteColour>& entries, int32_t skip)
        : palette(entries), skipIndex(skip) {
        cache.fill(-1);
    }

    uint8_t Find(int red, int green, int blue) {
        const size_t cell = (static_cast<size_t>(red >> 2) << 12) | (static_cast<size_t>(green >> 2) << 6) |
                            static_cast<size_t>(blue >> 2);
        if (cache[cell] < 0) cache[cell] = Search((red & ~3) + 2, (green & ~3) + 2, (blue & ~3) + 2);
        return static_cast<uint8_t>(cache[cell]);
    }

private:
    int16_t Search(int red, int green, int blue) const {
        int best = 0;
        int bestDistance = INT32_MAX;
        for (size_t i = 0; i < palette.size(); ++i) {
            if (static_cast<int32_t>(i) == skipIndex) continue;
            const int dr = red - palette[i].rgbRed;
            const int dg = green - palette[i].rgbGreen;
            const int db = blue - palette[i].rgbBlue;
            // Weights close to the eye's sensitivity to each primary.
            const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        return static_cast<int16_t>(best);
    }

    const std::vector<PaletteColour>& palette;
    int32_t skipIndex;
    std::array<int16_t, 64 * 64 * 64> cache;
};

}  // namespace

void DitherToPalette(const CRasterImage& image, IndexedPicture& out) {
    const int32_t width = out.width;
    auto nearest = std::make_unique<NearestColour>(out.palette, out.transparentIndex);
    std::vector<uint8_t> line(static_cast<size_t>(width) * 4);
    // Errors carried to this line and the next, in sixteenths, with one
    // guard cell on each side.
    std::vector<int32_t> current(static_cast<size_t>(width + 2) * 3, 0);
    std::vector<int32_t> next(current.size(), 0);

    for (int32_t y = 0; y < out.height; ++y) {
        RowToBgra(image, y, line.data());
        std::fill(next.begin(), next.end(), 0);
        const bool leftToRight = (y & 1) == 0;
        const int32_t step = leftToRight ? 1 : -1;
        uint8_t* indices = out.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t i = 0; i < width; ++i) {
            const int32_t x = leftToRight ? i : width - 1 - i;
            const uint8_t* px = line.data() + 4 * static_cast<size_t>(x);
            if (px[3] == 0) {
                indices[x] = static_cast<uint8_t>(out.transparentIndex);
                continue;
            }
            const size_t cell = static_cast<size_t>(x + 1) * 3;
            int want[3];
            for (int c = 0; c < 3; ++c) want[c] = std::clamp(px[2 - c] + current[cell + c] / 16, 0, 255);
            const uint8_t index = nearest->Find(want[0], want[1], want[2]);
            indices[x] = index;
            const PaletteColour& got = out.palette[index];
            const int have[3] = {got.rgbRed, got.rgbGreen, got.rgbBlue};
            const size_t ahead = static_cast<size_t>(x + 1 + step) * 3;
            const size_t behind = static_cast<size_t>(x + 1 - step) * 3;
            for (int c = 0; c < 3; ++c) {
                const int error = want[c] - have[c];
                current[ahead + c] += error * 7;
                next[behind + c] += error * 3;
                next[cell + c] += error * 5;
                next[ahead + c] += error;
            }
        }
        current.swap(next);
    }
}

}  // namespace stampora
