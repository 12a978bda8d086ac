#pragma once
// Small helpers for building and comparing test pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "image/LittleEndian.h"
#include "image/RasterImage.h"

using namespace stampora;

// A picture of one pixel value (for 24 bits its low three bytes).
inline CRasterImage UniformImage(int32_t width, int32_t height, int32_t bpp, uint32_t value) {
    CRasterImage image;
    EXPECT_TRUE(image.Create(width, height, bpp));
    uint8_t bytes[4];
    StoreLE32(bytes, value);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t b = 0; b < bpp / 8; ++b) image.PixelAt(x, y)[b] = bytes[b];
        }
    }
    return image;
}

// A zeroed 16-bit picture whose channels have the given masks.
inline CRasterImage BitFieldImage(int32_t width, int32_t height, uint32_t red, uint32_t green,
                                  uint32_t blue) {
    alignas(4) uint8_t block[52] = {};
    const DibInfoHeader info{40, width, height, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
    std::memcpy(block, &info, sizeof info);
    StoreLE32(block + 40, red);
    StoreLE32(block + 44, green);
    StoreLE32(block + 48, blue);
    CRasterImage image;
    EXPECT_TRUE(image.Create(reinterpret_cast<const DibInfoHeader*>(block)));
    return image;
}

// A reproducible picture of varied pixels (a small linear congruential noise).
inline CRasterImage NoiseImage(int32_t width, int32_t height, int32_t bpp, uint32_t seed) {
    CRasterImage image;
    EXPECT_TRUE(image.Create(width, height, bpp));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t b = 0; b < bpp / 8; ++b) {
                seed = seed * 1664525u + 1013904223u;
                image.PixelAt(x, y)[b] = static_cast<uint8_t>(seed >> 24);
            }
        }
    }
    return image;
}

inline bool SamePixels(const CRasterImage& a, const CRasterImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Bpp() != b.Bpp()) return false;
    for (int32_t y = 0; y < a.Height(); ++y) {
        for (int32_t x = 0; x < a.Width(); ++x) {
            if (a.ReadPixel(x, y) != b.ReadPixel(x, y)) return false;
        }
    }
    return true;
}
