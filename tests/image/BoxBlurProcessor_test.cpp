#include "image/transform/BoxBlurProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/TestPictures.h"

using namespace stampora;

namespace {

CRasterImage Blurred(const CRasterImage& source, int32_t size, bool fillEdges) {
    CRasterImage image = source;
    CBoxBlurProcessor blur(size, fillEdges);
    EXPECT_TRUE(image.RunProcessor(blur, nullptr));
    return image;
}

// The block average worked out directly, pixel by pixel: outside the picture
// the nearest edge pixel (fillEdges) or a black, transparent one.
CRasterImage DirectBlur(const CRasterImage& source, int32_t n, bool fillEdges) {
    const int32_t r = n / 2;
    const uint8_t none[4] = {0, 0, 0, 0};
    auto at = [&](int32_t x, int32_t y) -> const uint8_t* {
        if (fillEdges)
            return source.PixelAt(std::clamp(x, 0, source.Width() - 1),
                                  std::clamp(y, 0, source.Height() - 1));
        return source.Contains(x, y) ? source.PixelAt(x, y) : none;
    };
    CRasterImage out = source;
    const bool alpha = source.Bpp() == 32;
    for (int32_t y = 0; y < source.Height(); ++y) {
        for (int32_t x = 0; x < source.Width(); ++x) {
            int64_t sum[3] = {0, 0, 0}, weight = 0;
            for (int32_t j = 0; j < n; ++j) {
                for (int32_t i = 0; i < n; ++i) {
                    const uint8_t* p = at(x + i - r, y + j - r);
                    const int64_t w = alpha ? p[3] : 255;
                    for (int c = 0; c < 3; ++c) sum[c] += p[c] * w;
                    weight += w;
                }
            }
            uint8_t* o = out.PixelAt(x, y);
            for (int c = 0; c < 3; ++c) o[c] = static_cast<uint8_t>(weight ? sum[c] / weight : 0);
            if (alpha) o[3] = static_cast<uint8_t>(weight / (int64_t{n} * n));
        }
    }
    return out;
}

}  // namespace

// A layer like a turned text mark: noise in a diagonal band of varying
// width, fully transparent elsewhere, with some lines empty and some pixels
// inside the band transparent too.
CRasterImage BandedLayer(int32_t width, int32_t height) {
    CRasterImage image = NoiseImage(width, height, 32, 11);
    EachPixel(image, [&](int32_t x, int32_t y, uint8_t* p) {
        const int32_t first = y * width / height - 3, last = first + 2 + (y * 7) % 13;
        if (x < first || x > last || y % 9 == 4 || (x + y) % 5 == 0) p[3] = 0;
    });
    return image;
}

TEST(BoxBlurProcessor, MovingSumsMatchTheDirectBlockAverage) {
    for (const CRasterImage& source :
         {NoiseImage(23, 17, 24, 5), NoiseImage(23, 17, 32, 5), BandedLayer(47, 31)}) {
        for (const int32_t n : {2, 3, 4, 7, 12, 25, 200}) {
            for (const bool fill : {false, true}) {
                EXPECT_TRUE(SamePixels(Blurred(source, n, fill), DirectBlur(source, n, fill)))
                    << source.Width() << " x " << source.Height() << " x " << source.Bpp() << ", window " << n
                    << " fill " << fill;
            }
        }
    }
}

TEST(BoxBlurProcessor, WindowsBelowTwoBlurAsTwo) {
    const CRasterImage noise = NoiseImage(9, 9, 32, 3);
    for (const int32_t small : {-4, 0, 1})
        EXPECT_TRUE(SamePixels(Blurred(noise, small, true), Blurred(noise, 2, true)));
}

TEST(BoxBlurProcessor, WideWindowsSumWithoutOverflow) {
    // 201 x 201 opaque white pixels weigh 201^2 x 255 x 255, past 32 bits.
    const CRasterImage white = UniformImage(210, 205, 32, 0xFFFFFFFF);
    EXPECT_TRUE(SamePixels(Blurred(white, 201, true), white));
    const CRasterImage faded = Blurred(white, 201, false);
    EXPECT_EQ(faded.ReadPixel(105, 102) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(BoxBlurProcessor, WindowsTooTallForNarrowColumnSumsStillAverageExactly) {
    // Past 33025 lines a column of opaque white no longer fits 32 bits, so
    // such windows take the wide sums. Every block covers the whole picture.
    // A window of 7 covers it too; in 40001^2 pixels the alpha averages to 0.
    const CRasterImage source = NoiseImage(3, 3, 32, 21);
    const CRasterImage whole = DirectBlur(source, 7, false);
    const CRasterImage blurred = Blurred(source, 40001, false);
    EachPixel(blurred, [&](int32_t x, int32_t y, const uint8_t*) {
        EXPECT_EQ(blurred.ReadPixel(x, y), whole.ReadPixel(x, y) & 0xFFFFFF);
    });
}

TEST(BoxBlurProcessor, RefusesPalettesAndLeavesThePictureWhenTheCopyCannotBeMade) {
    CBoxBlurProcessor blur(3, true);
    CRasterImage palette = UniformImage(4, 4, 8, 1);
    EXPECT_FALSE(palette.RunProcessor(blur, nullptr));

    const CRasterImage source = NoiseImage(6, 6, 32, 9);
    CRasterImage image = source;
    for (const int32_t window : {2000000000, 70000}) {  // the grown picture is far too large
        CBoxBlurProcessor huge(window, true);
        EXPECT_FALSE(image.RunProcessor(huge, nullptr)) << window;
        EXPECT_TRUE(SamePixels(image, source));
    }
}
