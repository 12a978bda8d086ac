// Pictures other tools wrote in each format's colour types and layouts come
// back in the depth each is read as, with the colours they were drawn with:
// the 32 x 16 quadrants (red, green, blue, white), the same in grey, or the
// 16 x 16 logo (a red left half beside a transparent right half).
#include <gtest/gtest.h>

#include "codecs/FormatTestSupport.h"
#include "codecs/PictureFiles.h"

using namespace stampora;

namespace {

enum class Look { Quadrants, Grey, Logo };

struct ColourFile {
    const char* path;
    int32_t bpp;
    Look look;
    int tolerance;  // of the quadrants' colours
};

void PrintTo(const ColourFile& file, std::ostream* out) {
    *out << file.path;
}

class ColourFiles : public ::testing::TestWithParam<ColourFile> {};

TEST_P(ColourFiles, LoadInTheirDepthWithTheirColours) {
    const ColourFile& f = GetParam();
    CRasterImage image;
    CImageProperties properties;
    Status status;
    ASSERT_TRUE(image.Load(FixturePath(f.path), &properties, &status)) << status.Error();
    EXPECT_EQ(image.Bpp(), f.bpp);
    // Turned pixels come upright, so the picture no longer asks to be turned.
    EXPECT_EQ(properties.orientation.value_or(1), 1);
    switch (f.look) {
        case Look::Quadrants:
            ExpectQuadrants(image, f.tolerance);
            break;
        case Look::Grey:
            EXPECT_TRUE(HasGreyRampPalette(image));
            EXPECT_TRUE(ColourNear(image, 24, 12, 255, 255, 255, f.tolerance));
            EXPECT_LT(PixelOf(image, 7, 12).r, 40);  // blue is dark grey
            break;
        case Look::Logo:
            EXPECT_TRUE(ColourNear(image, 3, 8, 255, 0, 0, f.tolerance));
            EXPECT_EQ(PixelOf(image, 3, 8).a, 255);
            EXPECT_EQ(PixelOf(image, 12, 8).a, 0);
            break;
    }
}

constexpr Look Q = Look::Quadrants;

INSTANTIATE_TEST_SUITE_P(
    OtherToolsFiles, ColourFiles,
    ::testing::Values(
        ColourFile{"png/palette4.png", 4, Q, 0}, ColourFile{"png/palette8.png", 8, Q, 0},
        ColourFile{"png/rgb.png", 24, Q, 0}, ColourFile{"png/rgb16.png", 24, Q, 0},
        ColourFile{"png/interlaced.png", 24, Q, 0}, ColourFile{"png/grey.png", 8, Look::Grey, 0},
        ColourFile{"png/bilevel.png", 1, Look::Grey, 0},
        ColourFile{"png/palette-trns.png", 32, Look::Logo, 0}, ColourFile{"png/rgba.png", 32, Look::Logo, 0},
        ColourFile{"png/rgba16.png", 32, Look::Logo, 0}, ColourFile{"gif/still.gif", 4, Q, 0},
        ColourFile{"gif/transparent.gif", 32, Look::Logo, 0}, ColourFile{"tiff/cmyk.tif", 24, Q, 2},
        ColourFile{"tiff/rgba16.tif", 32, Look::Logo, 0},
        // ImageMagick writes Adobe-style inverted CMYK JPEGs.
        ColourFile{"jpeg/cmyk.jpg", 24, Q, 24}, ColourFile{"jpeg/progressive.jpg", 24, Q, 12},
        ColourFile{"jpeg/grey.jpg", 8, Look::Grey, 14}, ColourFile{"jpeg/orientation-1.jpg", 24, Q, 12},
        ColourFile{"jpeg/orientation-2.jpg", 24, Q, 12}, ColourFile{"jpeg/orientation-3.jpg", 24, Q, 12},
        ColourFile{"jpeg/orientation-4.jpg", 24, Q, 12}, ColourFile{"jpeg/orientation-5.jpg", 24, Q, 12},
        ColourFile{"jpeg/orientation-6.jpg", 24, Q, 12}, ColourFile{"jpeg/orientation-7.jpg", 24, Q, 12},
        ColourFile{"jpeg/orientation-8.jpg", 24, Q, 12}),
    [](const auto& info) { return TestNameOf(info.param.path); });

}  // namespace
