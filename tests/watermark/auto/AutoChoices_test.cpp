#include <gtest/gtest.h>

#include "support/TestPictures.h"
#include "watermark/auto/Luminance.h"
#include "watermark/auto/PictureSurvey.h"
#include "watermark/auto/QuietPlace.h"

using namespace stampora;

namespace {

// Fine noise on the left half, flat grey on the right.
CRasterImage NoisyLeftFlatRight(int32_t width, int32_t height, int32_t bpp = 32) {
    uint32_t seed = 12345;
    return PaintedImage(width, height, bpp, [&](int32_t x, int32_t, uint8_t* p) {
        seed = seed * 1664525u + 1013904223u;
        const auto value = static_cast<uint8_t>(x < width / 2 ? seed >> 24 : 128);
        p[0] = p[1] = p[2] = value;
        if (bpp == 32) p[3] = 255;
    });
}

WatermarkBase Mark(int32_t width, int32_t height, int32_t alignment) {
    WatermarkBase mark;
    mark.enabled = true;
    mark.markWidth = width;
    mark.markHeight = height;
    mark.alignment = alignment;
    return mark;
}

}  // namespace

TEST(Luminance, GivesTheWcagRatios) {
    EXPECT_DOUBLE_EQ(ContrastRatio(RelativeLuminance(0, 0, 0), RelativeLuminance(255, 255, 255)), 21.0);
    // WCAG's own example: #777777 on white is just under 4.5:1.
    EXPECT_NEAR(ContrastRatio(RelativeLuminance(0x77, 0x77, 0x77), 1.0), 4.48, 0.01);
}

TEST(QuietPlace, PutsMarksOnTheFlatHalfApartAndInGridOrder) {
    // Sizes not multiples of the reduced copy's cells.
    const CRasterImage picture = NoisyLeftFlatRight(1210, 790);
    const CPictureSurvey survey(picture);
    EXPECT_GT(survey.Detail(0, 0, 300, 300), 1.0);
    EXPECT_EQ(survey.Detail(700, 0, 300, 300), 0.0);
    // The editor's 24-bit pictures read alike.
    EXPECT_EQ(CPictureSurvey(NoisyLeftFlatRight(1210, 790, 24)).Detail(0, 0, 300, 300),
              survey.Detail(0, 0, 300, 300));

    // The first flat place in the grid's order, then the next one clear of it.
    const auto anchors =
        ChooseQuietAnchors(survey, 1210, 790, {Mark(200, 250, AutoPlace), Mark(150, 60, AutoPlace)});
    EXPECT_EQ(anchors, (std::vector<int32_t>{RightTop, Right}));
    // A fixed mark keeps its anchor and the automatic one keeps clear of it.
    EXPECT_EQ(ChooseQuietAnchors(survey, 1210, 790, {Mark(200, 250, RightTop), Mark(150, 60, AutoPlace)}),
              (std::vector<int32_t>{RightTop, Right}));
    // Nothing to tell places apart: the grid's first.
    const CPictureSurvey flat(UniformImage(300, 200, 32, 0xFF808080u));
    EXPECT_EQ(ChooseQuietAnchors(flat, 300, 200, {Mark(20, 20, AutoPlace)}), std::vector<int32_t>{LeftTop});
    // A mark too large for the picture plays no part.
    EXPECT_EQ(ChooseQuietAnchors(flat, 300, 200, {Mark(400, 20, AutoPlace), Mark(20, 20, AutoPlace)}),
              (std::vector<int32_t>{LeftTop, LeftTop}));
}

TEST(PictureSurvey, ContrastFavoursWhiteOnDarkAndBlackOnLight) {
    const CPictureSurvey dark(UniformImage(64, 48, 32, 0xFF202020u));
    const CPictureSurvey light(UniformImage(64, 48, 32, 0xFFE0E0E0u));
    const AreaContrast onDark = dark.ContrastUnder(10, 10, 20, 10);
    const AreaContrast onLight = light.ContrastUnder(10, 10, 20, 10);
    EXPECT_GT(onDark.white, onDark.black);
    EXPECT_GT(onLight.black, onLight.white);
    EXPECT_NEAR(onDark.white, ContrastRatio(1.0, RelativeLuminance(0x20, 0x20, 0x20)), 0.01);
    // Transparent pixels are seen over white, whatever colour they hide.
    const AreaContrast onClear =
        CPictureSurvey(UniformImage(64, 48, 32, 0x00000000u)).ContrastUnder(10, 10, 20, 10);
    EXPECT_NEAR(onClear.black, 21.0, 0.01);
    // A picture of another depth: nothing to survey, nothing refused.
    const CPictureSurvey none(BlankImage(8, 8, 8));
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.Detail(0, 0, 8, 8), 0.0);
}
