#include "image/transform/RotateProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/TestPictures.h"

using namespace stampora;

namespace {

CRasterImage Rotated(const CRasterImage& source, int32_t degrees) {
    CRasterImage image = source;
    CRotateProcessor rotate(degrees);
    EXPECT_TRUE(image.RunProcessor(rotate, nullptr));
    return image;
}

uint32_t Sample32(double fx, double fy, uint32_t v00, uint32_t v10, uint32_t v01, uint32_t v11) {
    uint8_t p[4][4];
    StoreLE32(p[0], v00);
    StoreLE32(p[1], v10);
    StoreLE32(p[2], v01);
    StoreLE32(p[3], v11);
    return SampleBilinear(fx, fy, true, p[0], p[1], p[2], p[3]);
}

// The bilinear sample written out plainly, one channel at a time.
uint32_t PlainBilinear(double fx, double fy, bool is32Bit, const uint8_t* p[4]) {
    const auto lerp = [](double u, double v, double t) { return (v - u) * t + u; };
    const auto blend = [&](auto value) {
        return lerp(lerp(value(p[0]), value(p[1]), fx), lerp(value(p[2]), value(p[3]), fx), fy);
    };
    bool same = true, opaque = true;
    for (int i = 0; i < 4; ++i) {
        same = same && std::memcmp(p[i], p[0], is32Bit ? 4 : 3) == 0;
        opaque = opaque && (!is32Bit || p[i][3] == 255);
    }
    if (same || (fx < 1.1920928955078125e-7 && fy < 1.1920928955078125e-7)) {
        return is32Bit ? LoadLE32(p[0]) : (0xFF000000u | p[0][0] | (p[0][1] << 8) | (p[0][2] << 16));
    }
    uint32_t out = 0;
    if (!opaque) {
        const auto alpha =
            static_cast<int32_t>(blend([](const uint8_t* q) { return static_cast<double>(q[3]); }));
        if (alpha == 0) return 0x00FFFFFF;
        for (int c = 0; c < 3; ++c) {
            const auto weighted = static_cast<int32_t>(
                blend([c](const uint8_t* q) { return static_cast<double>(q[c]) * q[3]; }));
            out |= static_cast<uint32_t>(std::min(weighted / alpha, 255)) << (8 * c);
        }
        return out | (static_cast<uint32_t>(alpha) << 24);
    }
    for (int c = 0; c < 3; ++c) {
        out |= static_cast<uint32_t>(blend([c](const uint8_t* q) { return static_cast<double>(q[c]); }))
               << (8 * c);
    }
    return out | 0xFF000000u;
}

}  // namespace

TEST(RotateProcessor, QuarterTurnsMovePixelsExactlyAndClockwise) {
    const CRasterImage source = NoiseImage(5, 3, 32, 11);
    const CRasterImage quarter = Rotated(source, 90);
    ASSERT_EQ(quarter.Width(), 3);
    ASSERT_EQ(quarter.Height(), 5);
    // Clockwise: the source's left column becomes the top line, read right to left.
    EachPixel(quarter, [&](int32_t x, int32_t y, const uint8_t*) {
        EXPECT_EQ(quarter.ReadPixel(x, y), source.ReadPixel(y, 2 - x));
    });
    EXPECT_TRUE(SamePixels(Rotated(source, -90), Rotated(source, 270)));
    EXPECT_TRUE(SamePixels(Rotated(source, 360), source));
    EXPECT_TRUE(SamePixels(Rotated(source, -360), source));

    const CRasterImage half = Rotated(source, 180);
    EXPECT_EQ(half.ReadPixel(0, 0), source.ReadPixel(4, 2));
    EXPECT_EQ(half.ReadPixel(4, 2), source.ReadPixel(0, 0));
}

TEST(RotateProcessor, TurnedBoxHoldsThePictureAndTheCornersShowTheBackground) {
    const CRasterImage wide = Rotated(UniformImage(2000, 1000, 24, 0x102030), 30);
    EXPECT_EQ(wide.Width(), 2233);   // 2000 cos 30 + 1000 sin 30 = 2232.05
    EXPECT_EQ(wide.Height(), 1867);  // 1000 cos 30 + 2000 sin 30 = 1866.03

    const CRasterImage flat = Rotated(UniformImage(40, 40, 24, 0x102030), 45);
    EXPECT_EQ(flat.ReadPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(flat.ReadPixel(flat.Width() - 1, flat.Height() - 1), 0xFFFFFFu);
    EXPECT_EQ(flat.ReadPixel(flat.Width() / 2, flat.Height() / 2), 0x102030u);

    const CRasterImage layer = Rotated(UniformImage(40, 40, 32, 0xFF102030), 45);
    EXPECT_EQ(layer.ReadPixel(0, 0) >> 24, 0u);
    EXPECT_EQ(layer.ReadPixel(layer.Width() / 2, layer.Height() / 2), 0xFF102030u);
    // Along the turned edge the alpha fades while the colour is kept (exactly,
    // once the truncated alpha is large against the channel values).
    for (int32_t x = 0; x < layer.Width(); ++x) {
        const uint32_t v = layer.ReadPixel(x, layer.Height() / 4);
        if ((v >> 24) >= 64) {
            EXPECT_EQ(v & 0xFFFFFF, 0x102030u) << x;
        }
    }
}

TEST(RotateProcessor, EveryPixelIsTheBilinearSampleAtItsMappedSourcePoint) {
    struct Case {
        int32_t bpp;
        int32_t degrees;
        bool opaque;
    };
    for (const auto& [bpp, degrees, opaque] :
         {Case{24, 33, true}, Case{32, 33, false}, Case{32, 150, true}, Case{32, 271, false},
          Case{24, 200, true}, Case{32, 1, true}}) {
        CRasterImage source = NoiseImage(31, 17, bpp, 4);
        if (bpp == 32 && opaque) source.FillAlpha(255);
        if (bpp == 32 && !opaque) {
            for (int32_t x = 0; x < 31; ++x) source.PixelAt(x, 5)[3] = source.PixelAt(x, 6)[3] = 255;
        }
        CRasterImage image = source;
        CRotateProcessor rotate(degrees);
        ASSERT_TRUE(image.RunProcessor(rotate, nullptr));
        const uint8_t background[4] = {255, 255, 255, 0};
        const auto at = [&](int32_t x, int32_t y) {
            return source.Contains(x, y) ? source.PixelAt(x, y) : background;
        };
        EachPixel(image, [&](int32_t x, int32_t y, const uint8_t*) {
            double sx = 0, sy = 0;
            ASSERT_TRUE(rotate.MapToSource(x, y, sx, sy));
            const int32_t x0 = static_cast<int32_t>(sx < 0 ? sx - 1 : sx);
            const int32_t y0 = static_cast<int32_t>(sy < 0 ? sy - 1 : sy);
            const uint8_t* neighbours[4] = {at(x0, y0), at(x0 + 1, y0), at(x0, y0 + 1), at(x0 + 1, y0 + 1)};
            uint32_t expected = PlainBilinear(sx - x0, sy - y0, bpp == 32, neighbours);
            EXPECT_EQ(SampleBilinear(sx - x0, sy - y0, bpp == 32, neighbours[0], neighbours[1], neighbours[2],
                                     neighbours[3]),
                      expected);
            if (bpp == 24) expected &= 0xFFFFFF;
            ASSERT_EQ(image.ReadPixel(x, y), expected)
                << bpp << " bits, " << degrees << " degrees, at " << x << "," << y;
        });
        // Driving the processor one pixel at a time gives the same picture.
        CRasterImage single = source;
        CRotateProcessor again(degrees);
        ASSERT_TRUE(again.Begin(single));
        EachPixel(single, [&](int32_t x, int32_t y, uint8_t* p) { again.ApplyToPixel(single, x, y, p); });
        EXPECT_TRUE(SamePixels(single, image));
    }
}

TEST(RotateProcessor, RefusesThinOrPalettePicturesAndLeavesThemAlone) {
    CRotateProcessor rotate(30);
    CRasterImage thin = UniformImage(1, 5, 32, 0xFF000000);
    EXPECT_FALSE(thin.RunProcessor(rotate, nullptr));
    EXPECT_EQ(thin.Width(), 1);
    CRasterImage palette = UniformImage(5, 5, 8, 3);
    EXPECT_FALSE(palette.RunProcessor(rotate, nullptr));
    EXPECT_EQ(palette.ReadPixel(0, 0), 3u);
}

// Hand-worked samples; every other case is checked against the plain
// formula above, pixel by pixel of turned pictures.
TEST(SampleBilinear, WeighsColourByAlphaAndClampsWhatTheTruncatedAlphaPushesAbove255) {
    // Transparent black beside opaque red does not darken the red.
    EXPECT_EQ(Sample32(0.5, 0.0, 0x00000000, 0xFF640000, 0x00000000, 0xFF640000), 0x7F640000u);
    EXPECT_EQ(Sample32(0.5, 0.5, 0, 0, 0, 0x00FF0000), 0x00FFFFFFu);  // clear pixels only: clear white
    // Opaque pixels blend plainly, fractions dropped.
    EXPECT_EQ(Sample32(0.25, 0.0, 0xFF000000, 0xFF000064, 0xFF000000, 0xFF000064), 0xFF000019u);
    // Alpha 1.5 truncates to 1 while the weighted colour is 382.5.
    EXPECT_EQ(Sample32(0.5, 0.0, 0x01FFFFFF, 0x02FFFFFF, 0x01FFFFFF, 0x02FFFFFF), 0x01FFFFFFu);
}
