#include <gtest/gtest.h>

#include "platform/PixelMemory.h"
#include "support/TestPictures.h"
#include "watermark/ImageWatermark.h"
#include "watermark/StampOnto.h"
#include "watermark/text/TextWatermark.h"

using namespace stampora;

namespace {

ImageWatermark LoadedMark(CRasterImage source, int32_t width, int32_t height) {
    ImageWatermark mark;
    mark.source = std::move(source);
    mark.base.width = width;
    mark.base.height = height;
    mark.base.enabled = true;
    return mark;
}

// A text mark with a ready layer of one solid colour.
TextWatermark SolidTextMark(int32_t w, int32_t h, uint8_t blue, uint8_t green, uint8_t red) {
    TextWatermark mark;
    CRasterImage solid =
        UniformImage(w, h, 32, 0xFF000000u | uint32_t{red} << 16 | uint32_t{green} << 8 | blue);
    mark.layer.Assign(solid);
    mark.base.markWidth = w;
    mark.base.markHeight = h;
    mark.base.enabled = true;
    return mark;
}

}  // namespace

TEST(ImageWatermarkLayer, PreparesAScaled32BitCopyOfTheSource) {
    ImageWatermark mark = LoadedMark(UniformImage(40, 20, 24, 0xFF1E140A), 20, 10);
    mark.PrepareImageLayer();
    EXPECT_EQ(mark.layer.Width(), 20);
    EXPECT_EQ(mark.layer.Height(), 10);
    EXPECT_EQ(mark.layer.Bpp(), 32);
    EXPECT_EQ(mark.layer.ReadPixel(5, 5), 0xFF1E140Au);
    EXPECT_EQ(mark.source.Width(), 40);
    EXPECT_EQ(mark.source.Bpp(), 24);

    ImageWatermark inactive = LoadedMark(UniformImage(40, 20, 24, 0xFF030201), 20, 10);
    inactive.base.enabled = false;
    inactive.PrepareImageLayer();
    EXPECT_TRUE(inactive.layer.IsEmpty());
}

TEST(ImageWatermarkLayer, PaletteLogosTakeTheChosenSize) {
    // An 8-bit and a 1-bit logo: left half red, right half blue.
    for (const int32_t bpp : {8, 1}) {
        CRasterImage logo;
        ASSERT_TRUE(logo.Create(40, 20, bpp));
        const PaletteColour colours[2] = {{0, 0, 255, 0}, {255, 0, 0, 0}};
        ASSERT_TRUE(logo.SetPalette(0, 2, colours));
        for (int32_t y = 0; y < 20; ++y) {
            for (int32_t x = 20; x < 40; ++x) {
                if (bpp == 8)
                    *logo.PixelAt(x, y) = 1;
                else
                    logo.Row(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
        ImageWatermark mark = LoadedMark(std::move(logo), 10, 4);
        ASSERT_TRUE(mark.RebuildLayer()) << bpp;
        EXPECT_EQ(mark.base.markWidth, 10) << bpp;
        EXPECT_EQ(mark.base.markHeight, 4) << bpp;
        EXPECT_EQ(mark.layer.Bpp(), 32);
        EXPECT_EQ(mark.layer.ReadPixel(1, 2), 0xFFFF0000u) << bpp;
        EXPECT_EQ(mark.layer.ReadPixel(8, 2), 0xFF0000FFu) << bpp;
        EXPECT_EQ(mark.source.Bpp(), bpp);
    }

    // A size of 0 keeps the source's own.
    ImageWatermark zero = LoadedMark(UniformImage(30, 12, 24, 0xFF000000), 0, 4);
    EXPECT_TRUE(zero.RebuildLayer());
    EXPECT_EQ(zero.base.markWidth, 30);
    EXPECT_EQ(zero.base.markHeight, 12);
}

TEST(ImageWatermarkLayer, AScalingThatRunsOutOfMemoryIsReported) {
    ImageWatermark mark = LoadedMark(UniformImage(20, 10, 24, 0xFFFF0000), 200, 100);
    LimitPixelBlockBytes(50000);  // the 200 x 100 32-bit layer needs 80000
    const bool rebuilt = mark.RebuildLayer();
    LimitPixelBlockBytes(0);
    EXPECT_FALSE(rebuilt);
    EXPECT_TRUE(mark.RebuildLayer());
    EXPECT_EQ(mark.base.markWidth, 200);
}

TEST(ImageWatermarkLayer, RotatesAFreshLayerOnEveryRebuild) {
    ImageWatermark mark = LoadedMark(UniformImage(400, 200, 24, 0xFF090909), 200, 100);
    mark.base.rotation = 90;
    mark.RebuildLayer();
    EXPECT_EQ(mark.base.markWidth, 100);
    EXPECT_EQ(mark.base.markHeight, 200);
    EXPECT_EQ(mark.base.width, 200);

    mark.base.rotation = 30;
    mark.RebuildLayer();
    const int32_t w = mark.base.markWidth;
    const int32_t h = mark.base.markHeight;
    mark.RebuildLayer();
    EXPECT_EQ(mark.base.markWidth, w);
    EXPECT_EQ(mark.base.markHeight, h);

    // An inactive mark is not turned again.
    mark.base.enabled = false;
    mark.RebuildLayer();
    EXPECT_EQ(mark.base.markWidth, w);
}

TEST(StampOnto, DrawsTheTextOverTheImageAtTheirPositions) {
    CRasterImage picture = UniformImage(200, 100, 32, 0xFF000000);
    ImageWatermark image = LoadedMark(UniformImage(40, 20, 24, 0xFF0000FF), 40, 20);
    image.RebuildLayer();
    image.base.x = 10;
    image.base.y = 10;
    TextWatermark text = SolidTextMark(30, 10, 0, 255, 0);
    text.base.x = 30;
    text.base.y = 20;
    text.layer.offsetX = 500;  // the layer's own position plays no part
    StampOnto(picture, image, text, true);
    EXPECT_EQ(picture.ReadPixel(15, 15), 0xFF0000FFu);   // image only
    EXPECT_EQ(picture.ReadPixel(35, 25), 0xFF00FF00u);   // both: text on top
    EXPECT_EQ(picture.ReadPixel(55, 25), 0xFF00FF00u);   // text only
    EXPECT_EQ(picture.ReadPixel(100, 60), 0xFF000000u);  // neither
}

TEST(StampOnto, BlendsWithTheMarksOpacity) {
    TextWatermark text = SolidTextMark(10, 10, 200, 200, 200);
    ImageWatermark none;
    for (int32_t opacity : {0, -20}) {
        CRasterImage picture = UniformImage(50, 50, 32, 0xFF0A0A0A);
        text.base.opacity = opacity;
        StampOnto(picture, none, text, true);
        EXPECT_EQ(picture.ReadPixel(5, 5), 0xFF0A0A0Au) << opacity;
    }
    // Full opacity leaves the layer's own alpha in charge.
    text.layer.FillAlpha(0);
    text.layer.PixelAt(1, 1)[3] = 255;
    text.base.opacity = 100;
    CRasterImage picture = UniformImage(50, 50, 32, 0xFF0A0A0A);
    StampOnto(picture, none, text, true);
    EXPECT_EQ(picture.ReadPixel(1, 1), 0xFFC8C8C8u);
    EXPECT_EQ(picture.ReadPixel(2, 2), 0xFF0A0A0Au);
}

TEST(StampOnto, AMarkTooLargeToBuildIsLeftOffNotStampedAsADot) {
    // More pixels than any picture holds: neither mark is built, both keep a
    // size that no picture fits, however they are turned or shadowed.
    ImageWatermark image = LoadedMark(UniformImage(64, 32, 32, 0xFFFF0000), 65535, 65535);
    image.base.rotation = 30;
    ASSERT_TRUE(image.RebuildLayer());
    EXPECT_EQ(image.layer.Width() * image.layer.Height(), 1);
    EXPECT_EQ(image.base.markWidth, 65535);

    TextWatermark text;
    text.text = std::u16string(200, u'A');
    text.font = {1000, kFontWeightNormal, false, kDefaultCharSet, u"DejaVu Sans"};
    text.base.enabled = true;
    text.base.rotation = 45;
    text.shadowEnabled = true;
    text.UpdateParams();
    ASSERT_TRUE(text.RebuildLayer());
    EXPECT_EQ(text.base.CoverWidth(), kTextTooLargeSide);

    CRasterImage picture = UniformImage(640, 480, 32, 0xFF000000);
    Status reason;
    for (const WatermarkBase* mark : {&image.base, &text.base}) {
        const CRasterImage& layer = mark == &image.base ? image.layer : text.layer;
        EXPECT_EQ(StampLaidOut(picture, *mark, layer, MarkLayout{}, reason), MarkStamp::LeftOff);
    }
}

TEST(StampOnto, AMarkIsStampedAndMarginCheckedByAllItCovers) {
    // A 20 x 10 mark whose layer reaches 5 pixels further on every side.
    TextWatermark text = SolidTextMark(30, 20, 255, 255, 255);
    text.base.markWidth = 20;
    text.base.markHeight = 10;
    text.base.overhang = LayerOverhang{5, 5, 5, 5};
    text.base.x = 20;
    text.base.y = 20;
    ImageWatermark none;
    CRasterImage picture = UniformImage(60, 60, 32, 0xFF000000);
    StampOnto(picture, none, text, true);
    EXPECT_EQ(picture.ReadPixel(15, 15), 0xFFFFFFFFu);
    EXPECT_EQ(picture.ReadPixel(44, 34), 0xFFFFFFFFu);
    EXPECT_EQ(picture.ReadPixel(14, 15), 0xFF000000u);
    EXPECT_EQ(picture.ReadPixel(45, 35), 0xFF000000u);

    // The mark alone fits 35 pixels with its margin; with the overhang it
    // needs more than 40.
    CRasterImage narrow = UniformImage(35, 60, 32, 0xFF000000);
    EXPECT_EQ(StampMark(narrow, text.base, text.layer, true), MarkStamp::LeftOff);
    // The editor's save has no margin test.
    EXPECT_EQ(StampMark(narrow, text.base, text.layer, false), MarkStamp::Stamped);

    // An active mark without a usable layer, or a picture that is not 32-bit,
    // is a failure, never a silent omission.
    TextWatermark empty;
    empty.base.enabled = true;
    EXPECT_EQ(StampMark(picture, empty.base, empty.layer, false), MarkStamp::Failed);
    CRasterImage truecolour = UniformImage(60, 60, 24, 0xFF000000);
    EXPECT_EQ(StampMark(truecolour, text.base, text.layer, false), MarkStamp::Failed);
    empty.base.enabled = false;
    EXPECT_EQ(StampMark(picture, empty.base, empty.layer, false), MarkStamp::Inactive);
}
