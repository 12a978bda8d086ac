// The drawing surface and the display bridge: stretching without smoothing,
// reading back, blending a layer with its opacity, the frame and the drag
// outline; and the smoothly reduced levels.
#include <gtest/gtest.h>

#include <tuple>

#include "image/DrawingSurface.h"
#include "image/RasterImage.h"
#include "image/ReducedLevels.h"
#include "support/TestPictures.h"

using namespace stampora;

namespace {

// A picture whose pixel (x, y) has red x, green y and blue 7.
CRasterImage Gradient(int32_t width, int32_t height, int32_t bpp) {
    return PaintedImage(width, height, bpp, [bpp](int32_t x, int32_t y, uint8_t* p) {
        p[0] = 7;
        p[1] = static_cast<uint8_t>(y);
        p[2] = static_cast<uint8_t>(x);
        if (bpp == 32) p[3] = 255;
    });
}

uint32_t Rgb(int32_t r, int32_t g, int32_t b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

CDrawingSurface WhiteSurface(const PixelRect& area) {
    CDrawingSurface surface;
    EXPECT_TRUE(surface.Begin(area));
    surface.FillRect(area, 0xFFFFFF);
    return surface;
}

}  // namespace

TEST(DrawingSurface, RectangleHasAOnePixelFrameAroundItsInside) {
    CDrawingSurface surface = WhiteSurface({0, 0, 10, 10});
    surface.FillRect({0, 0, 10, 10}, 0x808080);
    surface.DrawFramedRect({2, 3, 7, 9}, 0x000000, 0xFFFFFF);
    // Right and bottom are exclusive: (6, 8) is the last corner.
    for (const auto& [x, y, colour] : {std::tuple{2, 3, 0u},
                                       {6, 8, 0u},
                                       {6, 5, 0u},
                                       {3, 4, 0xFFFFFFu},
                                       {7, 5, 0x808080u},
                                       {4, 9, 0x808080u}})
        EXPECT_EQ(surface.ColourAt(x, y), colour) << x << "," << y;
}

TEST(DrawingSurface, SurfaceOffsetIsContentCoordinates) {
    CDrawingSurface surface = WhiteSurface({100, 50, 110, 60});
    surface.FillRect({95, 45, 102, 52}, 0x123456);
    EXPECT_EQ(surface.ColourAt(100, 50), 0x123456u);
    EXPECT_EQ(surface.ColourAt(101, 51), 0x123456u);
    EXPECT_EQ(surface.ColourAt(102, 51), 0xFFFFFFu);
    EXPECT_EQ(surface.ColourAt(99, 50), 0u);  // off the surface
    EXPECT_FALSE(surface.Begin({5, 5, 5, 9}));
    EXPECT_TRUE(surface.IsEmpty());
}

TEST(DrawingSurface, InvertedFrameIsCheckeredAndRemovedByInvertingAgain) {
    CDrawingSurface surface = WhiteSurface({0, 0, 12, 12});
    surface.InvertFrame({1, 1, 11, 11});
    int inverted = 0;
    for (int x = 1; x < 11; ++x) inverted += surface.ColourAt(x, 1) == 0 ? 1 : 0;
    EXPECT_EQ(inverted, 5);  // every other pixel of the top side
    EXPECT_EQ(surface.ColourAt(5, 5), 0xFFFFFFu);
    surface.InvertFrame({1, 1, 11, 11});
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) ASSERT_EQ(surface.ColourAt(x, y), 0xFFFFFFu) << x << "," << y;
    }
}

TEST(DisplayBridge, DrawToDCCopiesOneToOneAndStretchesWithoutSmoothing) {
    for (const CRasterImage& drawn : {Gradient(4, 4, 24), Gradient(4, 4, 32), NoiseImage(4, 4, 8, 3)}) {
        CDrawingSurface surface = WhiteSurface({0, 0, 20, 20});
        drawn.DrawToDC(surface, {2, 2, 6, 6});
        EachPixel(drawn, [&](int32_t x, int32_t y, const uint8_t*) {
            const Bgra p = PixelOf(drawn, x, y);
            EXPECT_EQ(surface.ColourAt(x + 2, y + 2), Rgb(p.r, p.g, p.b)) << drawn.Bpp();
        });
        EXPECT_EQ(surface.ColourAt(6, 6), 0xFFFFFFu);
    }
    // Doubled: every source pixel covers a 2 x 2 block.
    const CRasterImage picture = Gradient(4, 4, 32);
    CDrawingSurface surface = WhiteSurface({0, 0, 8, 8});
    picture.DrawToDC(surface, {0, 0, 8, 8});
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) ASSERT_EQ(surface.ColourAt(x, y), Rgb(x / 2, y / 2, 7));
    }
    // Halved: a pixel of every other column and line, never a mixture.
    CDrawingSurface half = WhiteSurface({0, 0, 2, 2});
    picture.DrawToDC(half, {0, 0, 2, 2});
    EXPECT_EQ(half.ColourAt(0, 0), Rgb(1, 1, 7));
    EXPECT_EQ(half.ColourAt(1, 1), Rgb(3, 3, 7));

    // A source rectangle counts from the top line.
    CDrawingSurface upper = WhiteSurface({0, 0, 4, 3});
    Gradient(4, 6, 24).DrawToDC(upper, {0, 0, 4, 3}, {0, 0, 4, 3});
    EXPECT_EQ(upper.ColourAt(0, 0), Rgb(0, 0, 7));
    EXPECT_EQ(upper.ColourAt(3, 2), Rgb(3, 2, 7));
}

TEST(DisplayBridge, OnlyThePartOnTheSurfaceIsDrawn) {
    const CRasterImage picture = Gradient(100, 100, 32);
    // A surface covering a small window onto a picture drawn at 3x.
    CDrawingSurface surface = WhiteSurface({150, 30, 160, 40});
    picture.DrawToDC(surface, {-10, 0, 290, 300});
    EXPECT_EQ(surface.ColourAt(150, 30), Rgb(160 / 3, 30 / 3, 7));
    EXPECT_EQ(surface.ColourAt(159, 39), Rgb(169 / 3, 39 / 3, 7));
    // Drawing entirely off the surface, or an empty image, changes nothing.
    picture.DrawToDC(surface, {0, 0, 100, 20});
    CRasterImage().DrawToDC(surface, {150, 30, 160, 40});
    EXPECT_EQ(surface.ColourAt(150, 30), Rgb(160 / 3, 30 / 3, 7));
}

TEST(DisplayBridge, CaptureCopiesARectangleAsTwentyFourBits) {
    CDrawingSurface surface = WhiteSurface({10, 10, 20, 20});
    surface.FillRect({12, 12, 14, 14}, 0x102030);
    CRasterImage captured;
    ASSERT_TRUE(captured.CaptureFromDC(surface, {11, 11, 15, 15}));
    EXPECT_EQ(captured.Bpp(), 24);
    EXPECT_EQ(captured.Width(), 4);
    EXPECT_EQ(captured.ReadPixel(1, 1), 0x102030u);
    EXPECT_EQ(captured.ReadPixel(0, 0), 0xFFFFFFu);
    // Off the surface the capture is black.
    ASSERT_TRUE(captured.CaptureFromDC(surface, {8, 8, 12, 12}));
    EXPECT_EQ(captured.ReadPixel(0, 0), 0u);
    EXPECT_EQ(captured.ReadPixel(3, 3), 0xFFFFFFu);
    EXPECT_FALSE(captured.CaptureFromDC(surface, {5, 5, 5, 10}));
}

TEST(DisplayBridge, BlendedLayerMixesWithItsOpacityAndOnlyWhereItIs) {
    CRasterImage layer = UniformImage(2, 2, 32, 0xFF0000FF);  // opaque blue
    layer.PixelAt(1, 1)[3] = 0;                               // one clear pixel
    CDrawingSurface surface = WhiteSurface({0, 0, 10, 10});
    surface.FillRect({0, 0, 10, 10}, 0xC8C8C8);
    layer.DrawBlendedToDC(surface, {2, 2, 6, 6}, 50);  // stretched to 4 x 4
    // 50 % makes alpha 127: 200 + ((0 - 200) * 127) / 255.
    const int mixed = 200 + ((0 - 200) * 127) / 255;
    const int blue = 200 + ((255 - 200) * 127) / 255;
    EXPECT_EQ(surface.ColourAt(2, 2), Rgb(mixed, mixed, blue));
    EXPECT_EQ(surface.ColourAt(5, 3), Rgb(mixed, mixed, blue));
    EXPECT_EQ(surface.ColourAt(5, 5), 0xC8C8C8u);  // the clear pixel
    EXPECT_EQ(surface.ColourAt(6, 2), 0xC8C8C8u);  // outside the rectangle
    // A 24-bit layer draws nothing.
    UniformImage(2, 2, 24, 0xFF0000).DrawBlendedToDC(surface, {0, 0, 2, 2}, 100);
    EXPECT_EQ(surface.ColourAt(0, 0), 0xC8C8C8u);
}

TEST(DisplayBridge, BlendedLayerOnPartOfTheSurfaceKeepsItsStretch) {
    const CRasterImage layer = Gradient(10, 10, 32);
    CDrawingSurface whole = WhiteSurface({0, 0, 40, 40});
    layer.DrawBlendedToDC(whole, {5, 5, 35, 35}, 100);
    CDrawingSurface strip = WhiteSurface({0, 20, 40, 21});
    layer.DrawBlendedToDC(strip, {5, 5, 35, 35}, 100);
    for (int x = 0; x < 40; ++x) ASSERT_EQ(strip.ColourAt(x, 20), whole.ColourAt(x, 20)) << x;
}

TEST(ReducedLevels, EachLevelAveragesTheOneBeforeAtHalfItsSize) {
    CRasterImage picture = UniformImage(5, 3, 32, 0xFF000000);
    picture.PixelAt(0, 0)[2] = 200;  // red 200 in one pixel of the first 2 x 2 block
    picture.PixelAt(4, 2)[1] = 100;  // a lone corner stands for its own block
    CRasterImage half;
    ASSERT_TRUE(HalveImage(picture, half));
    EXPECT_EQ(half.Width(), 3);
    EXPECT_EQ(half.Height(), 2);
    EXPECT_EQ(half.ReadPixel(0, 0), 0xFF000000u | (50u << 16));
    EXPECT_EQ(half.ReadPixel(2, 1), 0xFF000000u | (100u << 8));

    CReducedLevels levels;
    ASSERT_TRUE(levels.Build(UniformImage(600, 400, 32, 0xFF336699)));
    ASSERT_EQ(levels.Count(), 7u);  // 300, 150, 75, 38, 19, 10, 5
    EXPECT_EQ(levels.Level(6).Width(), 5);
    EXPECT_EQ(levels.Level(2).ReadPixel(10, 10), 0xFF336699u);
    const CRasterImage picture600 = UniformImage(600, 400, 32, 0);
    EXPECT_EQ(&levels.SourceFor(picture600, 640, 480), &picture600);
    EXPECT_EQ(levels.SourceFor(picture600, 160, 100).Width(), 300);
    EXPECT_EQ(levels.SourceFor(picture600, 140, 90).Width(), 150);
}

TEST(ReducedLevels, SmoothDrawingAveragesWhereNearestWouldAlias) {
    // One-pixel stripes, black and white: a reduction through the levels
    // must show grey.
    const CRasterImage stripes = PaintedImage(64, 8, 32, [](int32_t x, int32_t, uint8_t* p) {
        p[0] = p[1] = p[2] = x % 2 ? 255 : 0;
        p[3] = 255;
    });
    CReducedLevels levels;
    ASSERT_TRUE(levels.Build(stripes));
    CDrawingSurface surface = WhiteSurface({0, 0, 20, 4});
    DrawSmoothToDC(levels.SourceFor(stripes, 20, 2), surface, {0, 0, 20, 2});
    // One lit column in three, reduced ten to one straight from the picture:
    // about a third of full blue everywhere, where single samples would give
    // full blue or black.
    const CRasterImage thirds =
        PaintedImage(200, 40, 24, [](int32_t x, int32_t, uint8_t* p) { p[0] = x % 3 ? 0 : 255; });
    CDrawingSurface direct = WhiteSurface({0, 0, 20, 4});
    DrawSmoothToDC(thirds, direct, {0, 0, 20, 4});
    for (int x = 0; x < 20; ++x) {
        EXPECT_GE(surface.ColourAt(x, 1) & 0xFF, 120u) << x;
        EXPECT_LE(surface.ColourAt(x, 1) & 0xFF, 135u) << x;
        EXPECT_GE(direct.ColourAt(x, 2) & 0xFF, 60u) << x;
        EXPECT_LE(direct.ColourAt(x, 2), 130u) << x;  // blue alone
    }
    EXPECT_EQ(surface.ColourAt(0, 2), 0xFFFFFFu);
}
