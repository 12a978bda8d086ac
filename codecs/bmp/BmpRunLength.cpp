#include <algorithm>
#include <cstring>

#include "codecs/bmp/Bmp_pvt.h"

namespace stampora {

namespace {

// Writes palette index `index` at x of a 4- or 8-bit line.
void PutIndex(uint8_t* row, int32_t x, uint8_t index, bool fourBit) {
    if (!fourBit) {
        row[x] = index;
        return;
    }
    uint8_t& byte = row[x / 2];
    byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | index)
                   : static_cast<uint8_t>((byte & 0x0F) | index << 4);
}

}  // namespace

int32_t DecodeBmpRunLength(const uint8_t* data, size_t size, CRasterImage& image) {
    const bool fourBit = image.Bpp() == 4;
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    int32_t x = 0;
    int32_t line = 0;  // counted from the bottom, as the file stores lines
    size_t pos = 0;
    while (line < height) {
        if (size - pos < 2) return line;
        const uint8_t count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        uint8_t* row = image.Row(height - 1 - line);
        if (count > 0) {
            // A run: `count` pixels of one index, or of two alternating
            // nibbles in RLE4.
            const int32_t end = std::min(width, x + count);
            if (!fourBit) {
                if (x < end) std::memset(row + x, value, static_cast<size_t>(end - x));
            } else {
                for (int32_t i = x; i < end; ++i)
                    PutIndex(row, i, ((i - x) & 1) ? value & 0x0F : value >> 4, true);
            }
            x = std::min(width, x + count);
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++line;
                break;
            case 1:  // end of bitmap: the lines not reached stay index 0
                return height;
            case 2:  // delta: move right and up
                if (size - pos < 2) return line;
                x = std::min(width, x + data[pos]);
                line += data[pos + 1];
                pos += 2;
                break;
            default: {  // an absolute run of `value` indices, padded to a word
                const size_t bytes = fourBit ? (value + 1u) / 2 : value;
                const size_t present = std::min(bytes, size - pos);
                const int32_t pixels =
                    std::min<int32_t>(value, static_cast<int32_t>(fourBit ? present * 2 : present));
                for (int32_t i = 0; i < pixels && x + i < width; ++i) {
                    const uint8_t index = fourBit
                                              ? ((i & 1) ? data[pos + i / 2] & 0x0F : data[pos + i / 2] >> 4)
                                              : data[pos + i];
                    PutIndex(row, x + i, index, fourBit);
                }
                if (present < bytes) return line;
                x = std::min(width, x + value);
                pos += std::min(size - pos, bytes + (bytes & 1));
                break;
            }
        }
    }
    return height;
}

}  // namespace stampora
