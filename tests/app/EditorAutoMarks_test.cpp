// The editor places and colours marks that choose for themselves by the open
// picture, as the batch does, and a mark dragged by hand keeps its place.
#include <gtest/gtest.h>

#include "app/EditorMarks.h"
#include "support/TestPictures.h"

using namespace stampora;

TEST(EditorAutoMarks, AnAutomaticMarkLandsOnTheFlatHalfInItsTone) {
    uint32_t seed = 7;
    const CRasterImage picture = PaintedImage(400, 300, 32, [&](int32_t x, int32_t, uint8_t* p) {
        seed = seed * 1664525u + 1013904223u;
        p[0] = p[1] = p[2] = static_cast<uint8_t>(x < 200 ? seed >> 24 : 20);
        p[3] = 255;
    });
    MarkTextFacts facts;
    facts.width = 400;
    facts.height = 300;
    const MarkView view{{0, 0, 400, 300}, 1.0f};
    EditorMarks marks;
    marks.SeePicture(&picture);
    marks.FitToPicture(facts, view);

    TextWatermark text;
    text.text = u"Mark";
    text.font = {24, kFontWeightNormal, false, kDefaultCharSet, u"DejaVu Sans"};
    text.base.enabled = true;
    text.base.alignment = AutoPlace;
    text.autoColour = true;
    text.UpdateParams();
    // Both marks choose: together, as the batch chooses them.
    ImageWatermark logo;
    logo.source = UniformImage(120, 90, 24, 0x2040C0);
    logo.base.width = 120;
    logo.base.height = 90;
    logo.base.enabled = true;
    logo.base.alignment = AutoPlace;
    EXPECT_TRUE(marks.TakeAnchored(text, MarkFit{}, logo, MarkFit{}, view).empty());
    const PlacedMark& placed = marks.PlacedText();
    ASSERT_TRUE(placed.shown && marks.PlacedImage().shown);
    EXPECT_EQ(marks.PlacedImage().made.base.alignment, RightTop);
    EXPECT_EQ(placed.made.base.alignment, Right);
    // White on the dark half: its fullest pixels are white.
    EXPECT_GT(CountPixels(*placed.made.layer, [](const uint8_t* p) { return p[3] == 255 && p[0] == 255; }),
              20);

    // Dragged onto the noise, it turns black there and stays where it was put
    // on the next picture of the size.
    const PixelRect before = placed.made.base.screenRect;
    marks.Move(MarkKind::Text, -250, 100, view);
    const PixelRect& after = placed.made.base.screenRect;
    marks.Drop(MarkKind::Text, after.left - before.left, after.top - before.top, view);
    EXPECT_EQ(CountPixels(*placed.made.layer, [](const uint8_t* p) { return p[3] == 255 && p[0] == 255; }),
              0);
    const int32_t x = placed.made.base.x;
    marks.FitToPicture(facts, view);
    EXPECT_EQ(marks.PlacedText().made.base.x, x);
}
