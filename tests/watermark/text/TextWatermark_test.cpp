#include "watermark/text/TextWatermark.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/RecordingMessageSink.h"
#include "support/TestPictures.h"
#include "text/FontCatalog.h"
#include "text/TextEngine.h"
#include "watermark/text/RenderText.h"

using namespace stampora;

namespace {

constexpr const char* kTestFamily = "DejaVu Sans";

TextWatermarkParams Params(const char* text, int32_t size = 24) {
    TextWatermarkParams params;
    params.text = text;
    params.fontFace = kTestFamily;
    params.size = size;
    return params;
}

// A text mark as the text dialog leaves it after OK.
TextWatermark ConfirmedMark(const char16_t* text) {
    TextWatermark mark;
    mark.text = text;
    mark.font.height = 24;
    mark.font.weight = kFontWeightNormal;
    mark.font.charSet = kDefaultCharSet;
    mark.font.faceName = u"DejaVu Sans";
    mark.base.enabled = true;
    mark.UpdateParams();
    return mark;
}

}  // namespace

TEST(UpdateParams, ConvertsTheDialogSettingsForTheRasterizer) {
    TextWatermark mark;
    mark.text = u"© 2026 Ünïcødé 東京\nzweite Zeile";
    mark.colour = {0x12, 0x34, 0x56};
    mark.font = {36, kFontWeightBold, true, kDefaultCharSet, u"DejaVu Serif"};
    mark.shadowEnabled = true;
    mark.shadowDistance = -4;
    mark.smooth = 7;
    mark.shadowColour = {0xAB, 0xCD, 0xEF};
    mark.UpdateParams();

    EXPECT_EQ(mark.params.text, "© 2026 Ünïcødé 東京\nzweite Zeile");
    EXPECT_EQ(mark.params.colour, 0xFF123456u);
    EXPECT_EQ(static_cast<uint32_t>(mark.shadow.colour), 0xFFABCDEFu);
    EXPECT_EQ(mark.shadow.offsetX, -4);
    EXPECT_EQ(mark.shadow.offsetY, -4);
    EXPECT_TRUE(mark.params.bold);

    mark.font.weight = 600;  // only 700 is bold
    mark.UpdateParams();
    EXPECT_FALSE(mark.params.bold);
}

TEST(UpdateParams, KeepsThePreviousSettingsWhileTheSizeIsBelowOne) {
    TextWatermark mark = ConfirmedMark(u"first");
    mark.text = u"second";
    mark.shadowEnabled = true;
    mark.smooth = 9;
    for (int32_t height : {0, -3}) {
        mark.font.height = height;
        mark.UpdateParams();
        EXPECT_EQ(mark.params.text, "first");
        EXPECT_EQ(mark.params.size, 24);
        EXPECT_FALSE(mark.params.shadow);
        EXPECT_EQ(mark.shadow.blur, 0);  // as confirmed, not the 9 typed since
    }
}

TEST(UpdateParams, KeepsAFaceNameWithinItsCapacity) {
    TextWatermark mark = ConfirmedMark(u"x");
    mark.font.faceName = std::u16string(40, u'F');
    mark.UpdateParams();
    EXPECT_EQ(mark.params.fontFace, std::string(kFaceNameCapacity - 1, 'F'));
    mark.font.faceName = std::u16string(u"Dejä\0junk", 9);
    mark.UpdateParams();
    EXPECT_EQ(mark.params.fontFace, "Dejä");
}

TEST(RenderText, SizesTheLayerToTheMeasuredBoxPlusOne) {
    for (const char* text : {"Stampora", "Stampora\nsecond line", "A"}) {
        const TextWatermarkParams params = Params(text);
        const CTextLayout layout = LayOutText(TextStyle{kTestFamily, 24, false, false, true}, text);
        CTextLayer layer;
        RenderText(layer, params);
        EXPECT_EQ(layer.Bpp(), 32);
        EXPECT_EQ(layer.Width(), static_cast<int32_t>(std::ceil(layout.Width() + 1.0f))) << text;
        EXPECT_EQ(layer.Height(), static_cast<int32_t>(std::ceil(layout.Height() + 1.0f))) << text;
    }
}

// How grey and one-bit coverage look is the text engine's; here, that the
// setting reaches it and the colour fills every pixel whatever its alpha byte.
TEST(RenderText, ColourChannelsHoldTheColourAndAlphaTheCoverage) {
    TextWatermarkParams params = Params("Stampora");
    params.colour = 0x00FF0000;  // red with an alpha byte of 0
    for (bool antialias : {true, false}) {
        params.antialias = antialias;
        CTextLayer layer;
        RenderText(layer, params);
        EXPECT_EQ(CountPixels(layer, [](const uint8_t* p) { return p[3] != 0 && p[3] != 255; }) > 0,
                  antialias);
        EXPECT_GT(CountPixels(layer, [](const uint8_t* p) { return p[3] == 255; }), 20);
        EXPECT_EQ(CountPixels(layer, [](const uint8_t* p) { return p[0] != 0 || p[1] != 0 || p[2] != 255; }),
                  0);
    }
}

TEST(RenderText, AnUnknownFaceGivesATransparentDot) {
    TextWatermarkParams params = Params("Stampora");
    params.fontFace = "No Such Family Anywhere";
    CTextLayer layer;
    RenderText(layer, params);
    ASSERT_EQ(layer.Width(), 1);
    ASSERT_EQ(layer.Height(), 1);
    EXPECT_EQ(layer.PixelAt(0, 0)[3], 0);
}

TEST(RenderText, TheShadowPassGrowsTheLayerAndOffsetsTheText) {
    CTextLayer plain;
    RenderText(plain, Params("Stampora"));

    TextWatermarkParams params = Params("Stampora");
    params.shadow = true;  // offset (5, 5), blur 5
    CTextLayer shadowed;
    RenderText(shadowed, params);
    EXPECT_EQ(shadowed.Width(), plain.Width() + 10);
    EXPECT_EQ(shadowed.Height(), plain.Height() + 10);
    EXPECT_EQ(shadowed.offsetX, 0);
    EXPECT_EQ(shadowed.textOffsetX, 0);

    params.shadowParams.offsetX = 2;
    CTextLayer left;
    RenderText(left, params);
    EXPECT_EQ(left.offsetX, -3);
    EXPECT_EQ(left.textOffsetX, 3);
    EXPECT_EQ(left.offsetY, 0);
    EXPECT_EQ(left.Width(), plain.Width() + 10);

    // Without the shadow the text stays where it was: the layer returns to
    // the anchor.
    params.shadow = false;
    RenderText(left, params);
    EXPECT_EQ(left.offsetX, 0);
    EXPECT_EQ(left.textOffsetX, 0);
    EXPECT_EQ(left.Width(), plain.Width());
}

TEST(TextWatermarkLayer, RotationTurnsTheLayerOnlyFrom1To360) {
    TextWatermark mark = ConfirmedMark(u"Stampora");
    mark.RebuildLayer();
    const int32_t w = mark.layer.Width();
    const int32_t h = mark.layer.Height();
    EXPECT_EQ(mark.base.width, w);
    EXPECT_EQ(mark.base.markHeight, h);
    for (int32_t unturned : {0, 360, 361, -90}) {
        mark.base.rotation = unturned;
        mark.RebuildLayer();
        EXPECT_EQ(mark.layer.Width(), w) << unturned;
        EXPECT_EQ(mark.layer.Height(), h) << unturned;
    }
    mark.base.rotation = 90;
    mark.RebuildLayer();
    EXPECT_EQ(mark.base.markWidth, h);
    EXPECT_EQ(mark.base.markHeight, w);
    EXPECT_EQ(mark.base.width, h);
    mark.base.rotation = 30;
    mark.RebuildLayer();
    EXPECT_GT(mark.base.markHeight, h + w / 3);
}

TEST(TextWatermarkLayer, TheMeasuredSizeIsNeverMoreThanTheDrawnOne) {
    for (const char16_t* text : {u"Stampora", u"fj/ÅÇ\nline two is longer", u"שלום Stampora", u"x"}) {
        for (int32_t rotation : {0, 30, 90}) {
            for (bool italic : {false, true}) {
                TextWatermark mark = ConfirmedMark(text);
                mark.font.italic = italic;
                mark.base.rotation = rotation;
                mark.UpdateParams();
                const WatermarkBase smallest = mark.SmallestBase();
                ASSERT_TRUE(mark.RebuildLayer());
                EXPECT_LE(smallest.markWidth, mark.base.markWidth) << rotation;
                EXPECT_LE(smallest.markHeight, mark.base.markHeight) << rotation;
                EXPECT_GE(smallest.markWidth, mark.base.markWidth * 9 / 10) << rotation;
            }
        }
    }
    // Too large to draw, as the drawn layer records it.
    TextWatermark huge = ConfirmedMark(std::u16string(20000, u'W').c_str());
    huge.font.height = 1000;
    huge.UpdateParams();
    EXPECT_EQ(huge.SmallestBase().markWidth, kTextTooLargeSide);
}

TEST(TextWatermarkLayer, TheMarksShadowComesAfterTheRecordedSize) {
    TextWatermark mark = ConfirmedMark(u"Stampora");
    mark.RebuildLayer();
    const int32_t plainW = mark.base.markWidth;

    mark.shadowEnabled = true;
    mark.shadowDistance = 0;
    mark.smooth = 0;  // blurs with a window of 2 nonetheless
    mark.UpdateParams();
    mark.RebuildLayer();
    // The rasterizer's pass (offset 5, blur 5) grows the recorded size by 10;
    // the mark's own pass (offset 0, blur 2) grows only the layer, by 2 a side.
    EXPECT_EQ(mark.base.markWidth, plainW + 10);
    EXPECT_EQ(mark.layer.Width(), plainW + 14);
    EXPECT_EQ(mark.base.width, mark.base.markWidth);
    // That growth is the mark's overhang, so the text keeps its place.
    EXPECT_EQ(mark.base.overhang.left, 2);
    EXPECT_EQ(mark.base.overhang.right, 2);
    EXPECT_EQ(mark.base.CoverWidth(), mark.layer.Width());
    EXPECT_EQ(mark.base.CoverHeight(), mark.layer.Height());

    // Rebuilding again draws the same layer at the same place.
    const int32_t offsetX = mark.layer.offsetX;
    const int32_t textOffsetX = mark.layer.textOffsetX;
    for (int i = 0; i < 3; ++i) mark.RebuildLayer();
    EXPECT_EQ(mark.layer.offsetX, offsetX);
    EXPECT_EQ(mark.layer.textOffsetX, textOffsetX);
    EXPECT_EQ(mark.layer.offsetX + mark.layer.textOffsetX, 0);

    mark.shadowEnabled = false;
    mark.UpdateParams();
    mark.RebuildLayer();
    EXPECT_EQ(mark.layer.offsetX, 0);
    EXPECT_EQ(mark.layer.offsetY, 0);
    EXPECT_EQ(mark.base.markWidth, plainW);
    EXPECT_EQ(mark.base.CoverWidth(), plainW);
}

TEST(TextWatermarkLayer, EmojiKeepTheirColoursUnderTheMarksShadow) {
    if (!FindFallbackFace(U'\U0001F4F7', false, false, true))
        GTEST_SKIP() << "no colour emoji font installed";
    // Black text with a black shadow: any opaque pixel with colour is the
    // camera's own, and a box drawn in its place would have none.
    TextWatermark mark = ConfirmedMark(u"Studio \U0001F4F7 2026");
    mark.shadowEnabled = true;
    mark.shadowDistance = 3;
    mark.UpdateParams();
    ASSERT_TRUE(mark.RebuildLayer());
    const int64_t coloured =
        CountPixels(mark.layer, [](const uint8_t* p) { return p[3] == 255 && p[0] + p[1] + p[2] > 150; });
    EXPECT_GT(coloured, 50);
}

TEST(TextWatermarkLayer, ACharacterNoFontHasIsWarnedOfOnceAndTheMarkShowsNothing) {
    RecordingMessageSink sink;
    ScopedMessageSink installed(sink);
    // Plane 16's last private-use character is in no font.
    TextWatermark mark = ConfirmedMark(u"a \U0010FFFD b \U0010FFFD");
    Status first;
    Status again;
    mark.RebuildLayer();
    WarnMissingCharacters(mark.missingCharacters, first);
    mark.RebuildLayer();
    WarnMissingCharacters(mark.missingCharacters, again);
    EXPECT_EQ(first.Warning(Domain::Mark), "no font has U+10FFFD");
    EXPECT_TRUE(again.warnings.empty());
    EXPECT_TRUE(sink.messages.empty());
}

TEST(RenderText, OutlinesTheGlyphsUnderTheFillByTheTextSize) {
    const auto render = [](float pixels, bool outlined) {
        TextWatermarkParams params = Params("Hi");
        params.pixelSize = pixels;
        params.colour = 0xFFFFFFFF;
        if (outlined) params.outline = RelativeLength{10.0, true};
        CTextLayer layer;
        EXPECT_TRUE(RenderText(layer, params));
        return layer;
    };
    // The inked rows: a stroke of 6 pixels each side, 12 at twice the size.
    const auto inkedRows = [](const CTextLayer& layer) {
        int32_t rows = 0;
        for (int32_t y = 0; y < layer.Height(); ++y) {
            bool inked = false;
            for (int32_t x = 0; x < layer.Width(); ++x) inked = inked || layer.PixelAt(x, y)[3] > 0;
            rows += inked ? 1 : 0;
        }
        return rows;
    };
    const CTextLayer outlined = render(60.0f, true);
    EXPECT_NEAR(inkedRows(outlined) - inkedRows(render(60.0f, false)), 12, 2);
    EXPECT_NEAR(inkedRows(render(120.0f, true)) - inkedRows(render(120.0f, false)), 24, 2);

    // White text on white shows by its black outline, the fill left white.
    CRasterImage picture = UniformImage(outlined.Width(), outlined.Height(), 32, 0xFFFFFFFFu);
    picture.BlendLayer(outlined, 0, 0, 100);
    EXPECT_GT(CountPixels(picture, [](const uint8_t* p) { return p[0] < 64; }), 200);
    EXPECT_GT(CountPixels(outlined, [](const uint8_t* p) { return p[3] == 255 && p[0] == 255; }), 100);

    // Colour glyphs beside outlined letters: only what has an outline gets one.
    TextWatermarkParams emoji = Params("A \U0001F4F7 \u05E9");
    emoji.outline = RelativeLength{3.0, false};
    CTextLayer mixed;
    EXPECT_TRUE(RenderText(mixed, emoji));
    EXPECT_GT(mixed.Width(), 20);
}
