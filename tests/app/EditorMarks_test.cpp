// The editor's marks without a window: a tiled mark lands as the batch lays
// it out, also after a drag, and a grid of too many tiles is refused with its
// reason; a mark sized by the picture keeps its share of the picture from one
// to the next, a mark sized in pixels stays inside it.
#include "app/EditorMarks.h"

#include <gtest/gtest.h>

#include "support/TestPictures.h"
#include "watermark/StampOnto.h"

using namespace stampora;

namespace {

ImageWatermark SolidMark(int32_t width, int32_t height) {
    ImageWatermark mark;
    mark.source = UniformImage(width, height, 24, 0x2040C0);
    mark.base.width = width;
    mark.base.height = height;
    mark.base.enabled = true;
    return mark;
}

MarkTextFacts Picture(int32_t width, int32_t height) {
    MarkTextFacts facts;
    facts.name = "picture";
    facts.width = width;
    facts.height = height;
    return facts;
}

MarkView ShownWhole(int32_t width, int32_t height) {
    return {{0, 0, width, height}, 1.0f};
}

TEST(EditorMarksTest, ATiledMarkLandsAsTheBatchLaysItOutAfterADragAndTooManyTilesAreRefused) {
    EditorMarks marks;
    const MarkView view = ShownWhole(300, 200);
    marks.FitToPicture(Picture(300, 200), view);
    MarkFit fit;
    fit.layout.tile = true;
    fit.layout.gapX = fit.layout.gapY = RelativeLength{5, false};
    EXPECT_TRUE(marks.TakeImage(SolidMark(20, 10), fit, view).empty());
    marks.Move(MarkKind::Image, 7, 3, view);
    marks.Drop(MarkKind::Image, 7, 3, view);
    const PlacedMark& placed = marks.PlacedImage();
    ASSERT_TRUE(placed.shown);
    EXPECT_GT(placed.places.size(), 50u);
    CRasterImage shown = UniformImage(300, 200, 32, 0xFFFFFF);
    CRasterImage batch = UniformImage(300, 200, 32, 0xFFFFFF);
    marks.StampPart(shown, 0, 0);
    Status reason;
    ASSERT_EQ(StampLaidOut(batch, placed.made.base, *placed.made.layer, fit.layout, reason),
              MarkStamp::Stamped);
    ExpectSamePixels(shown, batch);

    // One-pixel tiles without gaps on a large picture: too many to stamp.
    fit.layout.gapX = fit.layout.gapY = RelativeLength{0, false};
    marks.FitToPicture(Picture(1000, 1000), ShownWhole(1000, 1000));
    const std::vector<std::string> refused = marks.TakeImage(SolidMark(1, 1), fit, ShownWhole(1000, 1000));
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0].find("tiles"), std::string::npos);
    EXPECT_FALSE(placed.shown);
}

TEST(EditorMarksTest, ARelativeMarkKeepsItsShareOfThePicture) {
    EditorMarks marks;
    marks.FitToPicture(Picture(400, 400), ShownWhole(400, 400));
    MarkFit fit;
    fit.sizePercent = 10;
    fit.side = FitSide::Width;
    marks.TakeImage(SolidMark(50, 50), fit, ShownWhole(400, 400));
    const PlacedMark& placed = marks.PlacedImage();
    // Dragged to the top-left quarter's centre: (100, 100) of 400 x 400.
    marks.Move(MarkKind::Image, -100, -100, ShownWhole(400, 400));
    marks.Drop(MarkKind::Image, -100, -100, ShownWhole(400, 400));
    marks.FitToPicture(Picture(800, 600), ShownWhole(800, 600));
    ASSERT_TRUE(placed.shown);
    EXPECT_EQ(placed.made.base.markWidth, 80);
    EXPECT_EQ(placed.made.base.LayerX() + 40, 200);
    EXPECT_EQ(placed.made.base.LayerY() + 40, 150);

    // Sized in pixels at the large picture's right edge, then on a narrower
    // picture: kept inside it.
    marks.TakeImage(SolidMark(50, 50), MarkFit{}, ShownWhole(800, 600));
    marks.Move(MarkKind::Image, 1000, 0, ShownWhole(800, 600));
    marks.Drop(MarkKind::Image, 1000, 0, ShownWhole(800, 600));
    marks.FitToPicture(Picture(300, 600), ShownWhole(300, 600));
    EXPECT_EQ(placed.made.base.x, 250);
}

}  // namespace
