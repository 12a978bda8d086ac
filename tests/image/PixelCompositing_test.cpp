#include "image/PixelCompositing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/TestPictures.h"

using namespace stampora;

namespace {

uint32_t Value(const uint8_t* p) {
    return LoadLE32(p);
}

// Combines `source` (b, g, r) with `alpha` over a pixel holding `before`.
uint32_t Combine(uint32_t before, uint32_t source, uint8_t alpha) {
    uint8_t dest[4], src[4];
    StoreLE32(dest, before);
    StoreLE32(src, source);
    CombinePixel(dest, before, src, alpha);
    return Value(dest);
}

}  // namespace

TEST(CombinePixel, ClearAndOpaqueCasesTakeTheirShortcutsAndTheRestIsExact) {
    // Nothing over nothing is transparent white, whatever the old colour.
    EXPECT_EQ(Combine(0x00123456, 0x00ABCDEF, 0), 0x00FFFFFFu);
    // Anything over nothing takes the source as it is.
    EXPECT_EQ(Combine(0x00123456, 0x00ABCDEF, 77), 0x4DABCDEFu);
    // Nothing over something keeps it; opaque over something replaces it.
    EXPECT_EQ(Combine(0x80123456, 0x00ABCDEF, 0), 0x80123456u);
    EXPECT_EQ(Combine(0x80123456, 0x00ABCDEF, 255), 0xFFABCDEFu);

    // Every destination and source alpha with colours at the extremes and in
    // between, against the plain integer formula.
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0x01FE80, 0x7F3C11};
    for (uint32_t destAlpha = 1; destAlpha < 256; ++destAlpha) {
        for (uint32_t a = 1; a < 255; ++a) {
            for (uint32_t oldColour : colours) {
                for (uint32_t sourceColour : colours) {
                    const uint32_t destWeight = destAlpha * (255 - a), sourceWeight = 255 * a;
                    const uint32_t total = destWeight + sourceWeight;
                    uint32_t expected = (total / 255) << 24;
                    for (int c = 0; c < 3; ++c) {
                        const uint32_t o = (oldColour >> (8 * c)) & 0xFF,
                                       n = (sourceColour >> (8 * c)) & 0xFF;
                        expected |= ((o * destWeight + n * sourceWeight) / total) << (8 * c);
                    }
                    ASSERT_EQ(Combine((destAlpha << 24) | oldColour, sourceColour, static_cast<uint8_t>(a)),
                              expected)
                        << destAlpha << " " << a;
                }
            }
        }
    }
}

TEST(MixPixel, TruncatesTowardTheOldValueAndKeepsTheFourthByte) {
    uint8_t dest[4] = {100, 100, 100, 7};
    const uint8_t source[4] = {200, 50, 255, 0};
    MixPixel(dest, source, 128);
    EXPECT_EQ(Value(dest), 0x07B14B96u);  // 150, 75, 177 and the fourth byte kept
    MixPixel(dest, source, 0);
    EXPECT_EQ(dest[0], 150);
    MixPixel(dest, source, 255);
    EXPECT_EQ(dest[2], 255);
}

TEST(BlendLayer, MatchesCombinePixelOverClearSolidAndSoftStretches) {
    // A layer with clear stretches of every length from 1 to 12, solid and
    // soft pixels between them, over a picture whose alpha is sometimes 0.
    CRasterImage layer = NoiseImage(61, 7, 32, 4);
    for (int32_t y = 0; y < 7; ++y) {
        int32_t x = y, run = 1;
        while (x < 61) {
            for (int32_t i = 0; i < run && x < 61; ++i, ++x) layer.PixelAt(x, y)[3] = 0;
            if (x < 61) layer.PixelAt(x++, y)[3] = 255;
            x += 2;
            run = run % 12 + 1;
        }
    }
    CRasterImage picture = NoiseImage(61, 7, 32, 8);
    EachPixel(picture, [](int32_t x, int32_t y, uint8_t* p) {
        if ((x + y) % 3 == 0) p[3] = 0;
    });
    for (const int32_t opacity : {100, 40}) {
        CRasterImage blended = picture;
        blended.BlendLayer(layer, 0, 0, opacity);
        EachPixel(blended, [&](int32_t x, int32_t y, const uint8_t*) {
            const uint32_t layerPixel = layer.ReadPixel(x, y);
            EXPECT_EQ(blended.ReadPixel(x, y),
                      Combine(picture.ReadPixel(x, y), layerPixel,
                              ScaleAlpha(static_cast<uint8_t>(layerPixel >> 24), opacity)))
                << x << "," << y << " opacity " << opacity;
        });
    }
}

TEST(BlendLayer, ClipsClampsOpacityAndNeedsTwo32BitImages) {
    CRasterImage picture = UniformImage(4, 3, 32, 0xFF000000);
    const CRasterImage layer = UniformImage(2, 2, 32, 0xFFFFFFFF);
    picture.BlendLayer(layer, 3, 2, 150);  // only the top-left layer pixel lands
    EXPECT_EQ(picture.ReadPixel(3, 2), 0xFFFFFFFFu);
    EXPECT_EQ(picture.ReadPixel(2, 2), 0xFF000000u);
    EXPECT_EQ(picture.ReadPixel(3, 1), 0xFF000000u);

    picture.BlendLayer(layer, -1, -1, 50);  // alpha 255 counts as 127
    EXPECT_EQ(picture.ReadPixel(0, 0), Combine(0xFF000000, 0x00FFFFFF, 127));
    EXPECT_EQ(picture.ReadPixel(1, 0), 0xFF000000u);

    const CRasterImage before = picture;
    picture.BlendLayer(layer, 0, 0, -5);
    picture.BlendLayer(layer, 4, 0, 100);
    picture.BlendLayer(UniformImage(2, 2, 24, 0xFFFFFF), 0, 0, 100);
    CRasterImage flat = UniformImage(4, 3, 24, 0);
    flat.BlendLayer(layer, 0, 0, 100);
    EXPECT_EQ(flat.ReadPixel(0, 0), 0u);
    EXPECT_TRUE(SamePixels(picture, before));
}

TEST(BlendStretched, MapsLinesToTheLastSourceLineStartingOnThem) {
    // A source whose column x has red x and line y has green y.
    const CRasterImage source = PaintedImage(
        4, 4, 32, [](int32_t x, int32_t y, uint8_t* p) { StoreLE32(p, 0xFF000000u | (x << 16) | (y << 8)); });
    const auto linesFor = [&](int32_t sH, int32_t dH) {
        CRasterImage dest = UniformImage(1, dH, 24, 0);
        dest.BlendStretched(source, PixelRect{0, 0, 1, dH}, PixelRect{0, 0, 1, sH}, 100);
        std::vector<uint32_t> lines;
        for (int32_t y = 0; y < dH; ++y) lines.push_back((dest.ReadPixel(0, y) >> 8) & 0xFF);
        return lines;
    };
    EXPECT_EQ(linesFor(4, 2), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(linesFor(2, 4), (std::vector<uint32_t>{0, 0, 1, 1}));
    EXPECT_EQ(linesFor(3, 4), (std::vector<uint32_t>{0, 1, 2, 2}));
    EXPECT_EQ(linesFor(4, 3), (std::vector<uint32_t>{1, 2, 3}));

    // Equal sizes copy pixel for pixel, clipped to the destination, and the
    // destination's own alpha stays.
    CRasterImage dest = UniformImage(3, 3, 32, 0x11000000);
    dest.BlendStretched(source, PixelRect{-1, 0, 3, 4}, PixelRect{0, 0, 4, 4}, 100);
    EXPECT_EQ(dest.ReadPixel(0, 0), 0x11010000u);
    EXPECT_EQ(dest.ReadPixel(2, 2), 0x11030200u);
}

TEST(BlendStretched, DrawsNothingForBadRectanglesOrOpacity) {
    const CRasterImage source = UniformImage(4, 4, 32, 0xFFFFFFFF);
    CRasterImage dest = UniformImage(4, 4, 24, 0);
    dest.BlendStretched(source, PixelRect{0, 0, 4, 4}, PixelRect{0, 0, 5, 4}, 100);  // reaches outside
    dest.BlendStretched(source, PixelRect{0, 0, 4, 4}, PixelRect{2, 0, 2, 4}, 100);  // no width
    dest.BlendStretched(source, PixelRect{0, 0, 4, 4}, PixelRect{0, 3, 4, 3}, 100);  // no height
    dest.BlendStretched(source, PixelRect{0, 0, 4, 4}, PixelRect{0, 0, 4, 4}, 0);
    dest.BlendStretched(source, PixelRect{4, 0, 8, 4}, PixelRect{0, 0, 4, 4}, 100);  // outside the picture
    EXPECT_TRUE(SamePixels(dest, UniformImage(4, 4, 24, 0)));
    dest.BlendStretched(source, PixelRect{0, 0, 4, 4}, PixelRect{0, 0, 2, 2}, 50);  // alpha 127
    EXPECT_EQ(dest.ReadPixel(3, 3), 0x7F7F7Fu);
}
