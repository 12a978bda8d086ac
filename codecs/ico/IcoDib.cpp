#include <bit>
#include <cstring>

#include "codecs/DecodeLimits.h"
#include "codecs/ico/Ico_pvt.h"
#include "image/LittleEndian.h"
#include "image/MaskedChannel.h"

namespace stampora {

namespace {

constexpr size_t kInfoHeaderBytes = 40;

struct IconLayout {
    int32_t width = 0;
    int32_t height = 0;  // of the icon, half the header's
    int32_t bpp = 0;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    size_t paletteStart = 0;
    size_t paletteEntries = 0;
    size_t colourStart = 0;
    size_t colourStride = 0;
    size_t maskStart = 0;
    size_t maskStride = 0;
    bool hasMask = false;
    bool plainBgra = false;  // 32 bits without masks: blue, green, red, alpha bytes
};

bool ParseLayout(const uint8_t* data, size_t size, IconLayout& l) {
    if (size < kInfoHeaderBytes) return false;
    const uint32_t headerBytes = LoadLE32(data);
    if (headerBytes < kInfoHeaderBytes || headerBytes > size) return false;
    l.width = static_cast<int32_t>(LoadLE32(data + 4));
    const auto fullHeight = static_cast<int32_t>(LoadLE32(data + 8));
    l.bpp = LoadLE16(data + 14);
    const uint32_t compression = LoadLE32(data + 16);
    const uint32_t coloursUsed = LoadLE32(data + 32);
    l.height = fullHeight / 2;
    if (!IsDecodableSize(l.width, l.height)) return false;
    if (l.bpp != 1 && l.bpp != 4 && l.bpp != 8 && l.bpp != 16 && l.bpp != 24 && l.bpp != 32) return false;

    size_t cursor = headerBytes;
    if (compression == 3 && (l.bpp == 16 || l.bpp == 32)) {
        if (size - cursor < 12) return false;
        for (int i = 0; i < 3; ++i) l.masks[i] = LoadLE32(data + cursor + 4 * static_cast<size_t>(i));
        cursor += 12;
    } else if (compression != 0) {
        return false;
    }
    l.plainBgra = l.bpp == 32 && compression == 0;
    if (l.bpp <= 8) {
        const size_t full = size_t{1} << l.bpp;
        l.paletteEntries = coloursUsed == 0 || coloursUsed > full ? full : coloursUsed;
        l.paletteStart = cursor;
        if ((size - cursor) / 4 < l.paletteEntries) return false;
        cursor += 4 * l.paletteEntries;
    }
    l.colourStart = cursor;
    l.colourStride = DibStride(l.width, l.bpp);
    const size_t rows = static_cast<size_t>(l.height);
    if ((size - cursor) / l.colourStride < rows) return false;
    l.maskStart = cursor + l.colourStride * rows;
    l.maskStride = DibStride(l.width, 1);
    l.hasMask = (size - l.maskStart) / l.maskStride >= rows;
    return true;
}

// Colour of pixel x of a stored line, as blue, green, red, alpha.
void ReadColour(const IconLayout& l, const uint8_t* data, const uint8_t* line, int32_t x, uint8_t* out) {
    if (l.bpp <= 8) {
        const size_t bit = static_cast<size_t>(x) * static_cast<size_t>(l.bpp);
        const unsigned shift = 8 - static_cast<unsigned>(l.bpp) - static_cast<unsigned>(bit % 8);
        const size_t index = (line[bit / 8] >> shift) & ((1u << l.bpp) - 1);
        if (index < l.paletteEntries) {
            std::memcpy(out, data + l.paletteStart + 4 * index, 3);
        } else {
            std::memset(out, 0, 3);
        }
        out[3] = 0;
    } else if (l.bpp == 16 || l.bpp == 32) {
        const uint32_t word = l.bpp == 16 ? LoadLE16(line + 2 * static_cast<size_t>(x))
                                          : LoadLE32(line + 4 * static_cast<size_t>(x));
        if (l.plainBgra) {
            std::memcpy(out, line + 4 * static_cast<size_t>(x), 4);
        } else {
            out[0] = WidenMaskedChannel(word, l.masks[2]);
            out[1] = WidenMaskedChannel(word, l.masks[1]);
            out[2] = WidenMaskedChannel(word, l.masks[0]);
            out[3] = l.bpp == 32 ? static_cast<uint8_t>(word >> 24) : 0;
        }
    } else {
        std::memcpy(out, line + 3 * static_cast<size_t>(x), 3);
        out[3] = 0;
    }
}

}  // namespace

bool ReadIconDib(const uint8_t* data, size_t size, CRasterImage& image) {
    if (data == nullptr) return false;
    IconLayout l;
    if (!ParseLayout(data, size, l)) return false;
    if (!image.Create(l.width, l.height, 32)) return false;

    bool anyAlpha = false;
    for (int32_t r = 0; r < l.height; ++r) {
        const uint8_t* line = data + l.colourStart + static_cast<size_t>(r) * l.colourStride;
        uint8_t* row = image.Row(l.height - 1 - r);
        for (int32_t x = 0; x < l.width; ++x) {
            uint8_t* px = row + 4 * static_cast<size_t>(x);
            ReadColour(l, data, line, x, px);
            anyAlpha = anyAlpha || px[3] != 0;
        }
    }
    if (anyAlpha) return true;
    // Without an alpha channel the AND mask says which pixels are transparent.
    for (int32_t r = 0; r < l.height; ++r) {
        const uint8_t* mask =
            l.hasMask ? data + l.maskStart + static_cast<size_t>(r) * l.maskStride : nullptr;
        uint8_t* row = image.Row(l.height - 1 - r);
        for (int32_t x = 0; x < l.width; ++x) {
            const bool transparent = mask != nullptr && ((mask[x / 8] >> (7 - x % 8)) & 1) != 0;
            row[4 * static_cast<size_t>(x) + 3] = transparent ? 0 : 255;
        }
    }
    return true;
}

}  // namespace stampora
