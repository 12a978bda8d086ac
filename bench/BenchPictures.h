#pragma once
// Pictures for the benchmarks: varied pixels, so no shortcut for equal
// neighbours applies.
#include <cstdint>

#include "image/RasterImage.h"

inline CRasterImage BenchNoise(int32_t width, int32_t height, int32_t bpp) {
    CRasterImage image;
    image.Create(width, height, bpp);
    uint32_t seed = 12345;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* p = image.Row(y);
        for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(bpp / 8); ++i) {
            seed = seed * 1664525u + 1013904223u;
            p[i] = static_cast<uint8_t>(seed >> 24);
        }
    }
    return image;
}

// A text-like layer: white strokes of full and partial alpha on transparency.
inline CRasterImage BenchTextLayer(int32_t width, int32_t height) {
    CRasterImage image;
    image.Create(width, height, 32);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool stem = (x % 37) < 6 && (y % 120) > 20;
            const bool bar = (y % 60) < 7 && (x % 90) < 50;
            if (!stem && !bar) continue;
            uint8_t* p = image.PixelAt(x, y);
            p[0] = p[1] = p[2] = 255;
            p[3] = ((x + y) % 11 == 0) ? 128 : 255;
        }
    }
    return image;
}
