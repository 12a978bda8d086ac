#pragma once
// Small helpers for building and comparing test pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/LittleEndian.h"
#include "image/RasterImage.h"
#include "image/RowConversion.h"

using namespace stampora;

// A blank picture; the test fails when it cannot be made.
inline CRasterImage BlankImage(int32_t width, int32_t height, int32_t bpp) {
    CRasterImage image;
    EXPECT_TRUE(image.Create(width, height, bpp));
    return image;
}

// Calls visit(x, y, pixel bytes) for every whole-byte pixel, top row first.
template <typename Image, typename Visit>
void EachPixel(Image& image, Visit visit) {
    for (int32_t y = 0; y < image.Height(); ++y) {
        for (int32_t x = 0; x < image.Width(); ++x) visit(x, y, image.PixelAt(x, y));
    }
}

// How many pixels test(pixel bytes) holds for.
template <typename Test>
int64_t CountPixels(const CRasterImage& image, Test test) {
    int64_t count = 0;
    EachPixel(image, [&](int32_t, int32_t, const uint8_t* p) { count += test(p) ? 1 : 0; });
    return count;
}

// A picture whose pixels paint(x, y, pixel bytes) sets.
template <typename Paint>
CRasterImage PaintedImage(int32_t width, int32_t height, int32_t bpp, Paint paint) {
    CRasterImage image = BlankImage(width, height, bpp);
    EachPixel(image, paint);
    return image;
}

// A picture of one pixel value (for 24 bits its low three bytes).
inline CRasterImage UniformImage(int32_t width, int32_t height, int32_t bpp, uint32_t value) {
    uint8_t bytes[4];
    StoreLE32(bytes, value);
    return PaintedImage(width, height, bpp,
                        [&](int32_t, int32_t, uint8_t* p) { std::memcpy(p, bytes, bpp / 8); });
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
    return PaintedImage(width, height, bpp, [&](int32_t, int32_t, uint8_t* p) {
        for (int32_t b = 0; b < bpp / 8; ++b) {
            seed = seed * 1664525u + 1013904223u;
            p[b] = static_cast<uint8_t>(seed >> 24);
        }
    });
}

// Every pixel's ReadPixel value, top row first.
inline std::vector<uint32_t> PixelValues(const CRasterImage& image) {
    std::vector<uint32_t> values;
    for (int32_t y = 0; y < image.Height(); ++y) {
        for (int32_t x = 0; x < image.Width(); ++x) values.push_back(image.ReadPixel(x, y));
    }
    return values;
}

inline bool SamePixels(const CRasterImage& a, const CRasterImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Bpp() != b.Bpp()) return false;
    bool same = true;
    EachPixel(a, [&](int32_t x, int32_t y, const uint8_t*) {
        same = same && a.ReadPixel(x, y) == b.ReadPixel(x, y);
    });
    return same;
}

struct Bgra {
    int b, g, r, a;
};

inline Bgra PixelOf(const CRasterImage& image, int32_t x, int32_t y) {
    std::vector<uint8_t> line(static_cast<size_t>(image.Width()) * 4);
    RowToBgra(image, y, line.data());
    const uint8_t* p = line.data() + 4 * static_cast<size_t>(x);
    return Bgra{p[0], p[1], p[2], p[3]};
}

// How far two pictures of one size are apart: the mean and the largest
// difference of a colour channel, and of alpha too when `withAlpha`.
struct PictureDifference {
    double mean = 0.0;
    int worst = 0;
};

inline PictureDifference DifferenceOf(const CRasterImage& a, const CRasterImage& b, bool withAlpha = false) {
    PictureDifference d;
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        ADD_FAILURE() << "pictures of different sizes";
        return {255.0, 255};
    }
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> lineA(static_cast<size_t>(a.Width()) * 4), lineB(lineA.size());
    int64_t total = 0;
    for (int32_t y = 0; y < a.Height(); ++y) {
        RowToBgra(a, y, lineA.data());
        RowToBgra(b, y, lineB.data());
        for (size_t i = 0; i < lineA.size(); ++i) {
            if (static_cast<int>(i % 4) >= channels) continue;
            const int diff = std::abs(lineA[i] - lineB[i]);
            total += diff;
            d.worst = std::max(d.worst, diff);
        }
    }
    if (!a.IsEmpty())
        d.mean = static_cast<double>(total) / (static_cast<double>(channels) * a.Width() * a.Height());
    return d;
}

// Same size and the same colour and alpha in every pixel.
inline void ExpectSamePixels(const CRasterImage& a, const CRasterImage& b) {
    EXPECT_EQ(DifferenceOf(a, b, true).worst, 0);
}

// True when the pixel's colour is within `tolerance` of red, green, blue.
inline ::testing::AssertionResult ColourNear(const CRasterImage& image, int32_t x, int32_t y, int r, int g,
                                             int b, int tolerance = 0) {
    const Bgra p = PixelOf(image, x, y);
    if (std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << p.r << "," << p.g << ","
                                         << p.b << " not " << r << "," << g << "," << b << " +-" << tolerance;
}

// The four 16 x 8 quadrants of the 32 x 16 fixture picture: red, green,
// blue, white, checked at their centres.
inline void ExpectQuadrants(const CRasterImage& image, int tolerance) {
    ASSERT_EQ(image.Width(), 32);
    ASSERT_EQ(image.Height(), 16);
    EXPECT_TRUE(ColourNear(image, 7, 3, 255, 0, 0, tolerance));
    EXPECT_TRUE(ColourNear(image, 24, 3, 0, 255, 0, tolerance));
    EXPECT_TRUE(ColourNear(image, 7, 12, 0, 0, 255, tolerance));
    EXPECT_TRUE(ColourNear(image, 24, 12, 255, 255, 255, tolerance));
}

// A picture with smooth gradients and some texture, like a photograph.
inline CRasterImage PhotoLikePicture(int32_t width, int32_t height, int32_t bpp) {
    return PaintedImage(width, height, bpp, [&](int32_t x, int32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 255 / width);
        p[1] = static_cast<uint8_t>(y * 255 / height);
        p[2] = static_cast<uint8_t>(((x * 7) ^ (y * 3)) & 0x7F) + 64;
        if (bpp == 32) p[3] = static_cast<uint8_t>((x + y) % 256);
    });
}
