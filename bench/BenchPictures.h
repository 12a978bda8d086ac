#pragma once
// Pictures for the benchmarks: varied pixels, so no shortcut for equal
// neighbours applies.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "image/RasterImage.h"

using namespace stampora;

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

// A 24-bit photograph-like picture: smooth shading, edges and sensor-like
// noise, so the coders meet the detail of a real photograph rather than
// flat colour.
inline CRasterImage BenchPhotograph(int32_t width, int32_t height) {
    CRasterImage picture;
    picture.Create(width, height, 24);
    uint32_t seed = 2024;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = picture.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            const double shade = 0.5 + 0.5 * std::sin(x * 0.004) * std::cos(y * 0.003);
            const bool edge = ((x / 300) + (y / 200)) % 2 == 0;
            const int base = static_cast<int>(shade * 200) + (edge ? 30 : 0);
            row[3 * x + 0] = static_cast<uint8_t>(std::clamp(base / 2 + noise, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(base - 20 + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(base + 10 + noise, 0, 255));
        }
    }
    return picture;
}
