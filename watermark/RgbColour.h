#pragma once
// A colour as the colour chooser gives it: red, green, blue.
#include <cstdint>

namespace stampora {

struct RgbColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// The opaque ARGB value 0xFFRRGGBB of an RGB colour.
inline uint32_t OpaqueArgb(RgbColour colour) {
    return 0xFF000000u | uint32_t{colour.red} << 16 | uint32_t{colour.green} << 8 | uint32_t{colour.blue};
}

}  // namespace stampora
