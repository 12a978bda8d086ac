#include <algorithm>
#include <cstring>

#include "codecs/tga/Tga_pvt.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

// Walks the image's lines in the order the file stores them.
class StoredLineCursor {
public:
    StoredLineCursor(CRasterImage& image, bool topFirst, size_t pixelBytes)
        : image(image),
          topFirst(topFirst),
          pixelBytes(pixelBytes),
          width(static_cast<size_t>(image.Width())) {
        row = RowOf(0);
    }

    bool Done() const { return line >= image.Height(); }
    int32_t Line() const { return line; }
    // Pixels left on the current line.
    size_t Room() const { return width - x; }
    uint8_t* Here() const { return row + x * pixelBytes; }
    void Advance(size_t pixels) {
        x += pixels;
        if (x == width) {
            x = 0;
            ++line;
            if (!Done()) row = RowOf(line);
        }
    }

private:
    uint8_t* RowOf(int32_t stored) const {
        return image.Row(topFirst ? stored : image.Height() - 1 - stored);
    }

    CRasterImage& image;
    const bool topFirst;
    const size_t pixelBytes;
    const size_t width;
    int32_t line = 0;
    size_t x = 0;
    uint8_t* row = nullptr;
};

template <size_t N>
void RepeatPixelN(uint8_t* dst, const uint8_t* pixel, size_t count) {
    uint8_t value[N];
    std::memcpy(value, pixel, N);
    for (size_t i = 0; i < count; ++i, dst += N) std::memcpy(dst, value, N);
}

void RepeatPixel(uint8_t* dst, const uint8_t* pixel, size_t count, size_t pixelBytes) {
    switch (pixelBytes) {
        case 1:
            std::memset(dst, pixel[0], count);
            break;
        case 2:
            RepeatPixelN<2>(dst, pixel, count);
            break;
        case 3:
            RepeatPixelN<3>(dst, pixel, count);
            break;
        default:
            RepeatPixelN<4>(dst, pixel, count);
            break;
    }
}

}  // namespace

uint64_t MaxTgaDescribablePixels(size_t bytes, int32_t bpp) {
    const uint64_t pixelBytes = bpp > 8 ? static_cast<uint64_t>(bpp) / 8 : 1;
    const uint64_t packets = (static_cast<uint64_t>(bytes) + pixelBytes) / (1 + pixelBytes);
    return packets * 128;
}

TgaHeader ParseTgaHeader(const uint8_t* data) {
    TgaHeader h;
    h.idLength = data[0];
    h.colourMapType = data[1];
    h.imageType = data[2];
    h.colourMapFirst = LoadLE16(data + 3);
    h.colourMapLength = LoadLE16(data + 5);
    h.colourMapEntryBits = data[7];
    h.width = LoadLE16(data + 12);
    h.height = LoadLE16(data + 14);
    h.pixelDepth = data[16];
    h.descriptor = data[17];
    return h;
}

int32_t DecodeRunLengthTgaLines(const uint8_t* data, size_t size, CRasterImage& image, bool topFirst) {
    if (image.Bpp() < 8) return 0;
    const size_t n = static_cast<size_t>(image.Bpp()) / 8;
    StoredLineCursor cursor(image, topFirst, n);
    size_t pos = 0;
    while (!cursor.Done() && pos < size) {
        const uint8_t packet = data[pos++];
        size_t count = static_cast<size_t>(packet & 0x7F) + 1;
        if (packet & 0x80) {
            if (size - pos < n) return cursor.Line();
            const uint8_t* pixel = data + pos;
            pos += n;
            while (count > 0 && !cursor.Done()) {
                const size_t m = std::min(count, cursor.Room());
                RepeatPixel(cursor.Here(), pixel, m, n);
                cursor.Advance(m);
                count -= m;
            }
        } else {
            const size_t present = std::min(count, (size - pos) / n);
            size_t left = present;
            while (left > 0 && !cursor.Done()) {
                const size_t m = std::min(left, cursor.Room());
                std::memcpy(cursor.Here(), data + pos, m * n);
                pos += m * n;
                cursor.Advance(m);
                left -= m;
            }
            if (present < count) return cursor.Line();
        }
    }
    return cursor.Line();
}

}  // namespace stampora
