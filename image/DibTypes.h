#pragma once
// Plain structures with the byte layout of device-independent bitmap headers,
// palette entries and rectangles, so pixel blocks and headers can be written
// to BMP files and handed around unchanged.
#include <cstdint>

#pragma pack(push, 1)

namespace stampora {

struct DibInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct PaletteColour {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};
#pragma pack(pop)

struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

static_assert(sizeof(DibInfoHeader) == 40);
static_assert(sizeof(PaletteColour) == 4);
static_assert(sizeof(PixelRect) == 16);

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

}  // namespace stampora
