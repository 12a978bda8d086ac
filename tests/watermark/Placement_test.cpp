#include <gtest/gtest.h>

#include <array>

#include "support/RecordingMessageSink.h"
#include "watermark/ImageWatermark.h"
#include "watermark/WatermarkBase.h"
#include "watermark/WatermarkMessages.h"
#include "watermark/text/TextWatermark.h"

using namespace stampora;

namespace {

WatermarkBase Mark(int32_t markW, int32_t markH, int32_t alignment) {
    WatermarkBase mark;
    mark.markWidth = markW;
    mark.markHeight = markH;
    mark.alignment = alignment;
    mark.x = -1;
    mark.y = -1;
    return mark;
}

// A rectangle as its left, top, right and bottom.
std::array<int32_t, 4> Sides(const PixelRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

struct Anchor {
    int32_t alignment;
    int32_t x;
    int32_t y;
};

}  // namespace

TEST(PlaceByAlignment, PutsTheMarkAtEachAnchorWithTheMargin) {
    // A 200 x 100 mark on a 1000 x 800 picture.
    const Anchor anchors[] = {
        {Top, 400, 10},          {RightTop, 790, 10}, {Right, 790, 350},
        {RightBottom, 790, 690}, {Bottom, 400, 690},  {LeftBottom, 10, 690},
        {Left, 10, 350},         {LeftTop, 10, 10},   {Center, 400, 350},
    };
    for (const Anchor& anchor : anchors) {
        WatermarkBase mark = Mark(200, 100, anchor.alignment);
        mark.PlaceByAlignment(1000, 800);
        EXPECT_EQ(mark.x, anchor.x) << MarkAlignmentTooltip(anchor.alignment);
        EXPECT_EQ(mark.y, anchor.y) << MarkAlignmentTooltip(anchor.alignment);
    }
    // Centring truncates toward zero.
    WatermarkBase odd = Mark(99, 50, Center);
    odd.PlaceByAlignment(200, 151);  // W - mw = 101, H - mh = 101
    EXPECT_EQ(odd.x, 50);
    EXPECT_EQ(odd.y, 50);
}

TEST(PlaceByAlignment, LeavesAMarkWithoutRoomForTheMarginWhereItWas) {
    WatermarkBase tooWide = Mark(100, 10, RightTop);
    tooWide.PlaceByAlignment(110, 100);
    EXPECT_EQ(tooWide.x, -1);
    EXPECT_EQ(tooWide.pictureWidth, 110);

    WatermarkBase justFits = Mark(99, 10, RightTop);
    justFits.PlaceByAlignment(110, 100);
    EXPECT_EQ(justFits.x, 1);
    EXPECT_EQ(justFits.y, 10);

    WatermarkBase sameSize = Mark(300, 200, Center);
    sameSize.PlaceByAlignment(300, 200);
    EXPECT_EQ(sameSize.x, -1);

    for (int32_t outside : {-1, 9, 1000}) {
        WatermarkBase mark = Mark(10, 10, outside);
        mark.PlaceByAlignment(500, 500);
        EXPECT_EQ(mark.x, -1);
        EXPECT_EQ(mark.y, -1);
    }
    EXPECT_STREQ(MarkAlignmentTooltip(10), "");
    EXPECT_STREQ(MarkAlignmentTooltip(AutoPlace), "Auto");
}

TEST(PlaceByAlignment, PlacesTheRectangleTheLayerCoversInsideTheMargin) {
    // A 100 x 40 mark with a shadow reaching 3 left, 2 up, 40 right, 41 down.
    WatermarkBase mark = Mark(100, 40, RightBottom);
    mark.overhang = LayerOverhang{3, 2, 40, 41};
    mark.PlaceByAlignment(400, 300);
    EXPECT_EQ(mark.LayerX() + mark.CoverWidth(), 390);
    EXPECT_EQ(mark.LayerY() + mark.CoverHeight(), 290);
    EXPECT_EQ(mark.x, 400 - 10 - 40 - 100);
    EXPECT_EQ(mark.y, 300 - 10 - 41 - 40);

    mark.alignment = LeftTop;
    mark.PlaceByAlignment(400, 300);
    EXPECT_EQ(mark.LayerX(), 10);
    EXPECT_EQ(mark.LayerY(), 10);

    // Room for the mark but not for its shadow: not placed.
    mark.x = mark.y = -1;
    mark.PlaceByAlignment(150, 300);
    EXPECT_EQ(mark.x, -1);
}

TEST(CheckFits, RefusesALargerMarkWithTheMessageOfItsKind) {
    RecordingMessageSink sink;
    ScopedMessageSink installed(sink);
    TextWatermark text;
    text.base.enabled = true;
    text.base.markWidth = 300;
    text.base.pictureWidth = 300;
    EXPECT_TRUE(text.CheckFits());  // no larger than the picture
    EXPECT_TRUE(sink.messages.empty());
    text.base.markWidth = 301;
    EXPECT_FALSE(text.CheckFits());
    EXPECT_FALSE(text.base.enabled);

    ImageWatermark image;
    image.base.enabled = true;
    image.base.markHeight = 11;
    image.base.pictureWidth = 50;
    image.base.pictureHeight = 10;
    EXPECT_FALSE(image.CheckFits());
    EXPECT_FALSE(image.base.enabled);

    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, kTextMarkTooLargeMessage);
    EXPECT_EQ(sink.messages[1].text, kImageMarkTooLargeMessage);
    for (const auto& message : sink.messages) {
        EXPECT_EQ(message.caption, "Error");
        EXPECT_EQ(message.icon, MessageIcon::Error);
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
    }
}

TEST(ScreenPlacement, CentresInTheViewAndTakesThePositionBack) {
    WatermarkBase mark = Mark(200, 100, -1);
    mark.CenterInView(PixelRect{10, 20, 410, 320}, 0.5f);
    EXPECT_EQ(Sides(mark.screenRect), (std::array{10 + (400 - 100) / 2, 20 + (300 - 50) / 2, 260, 195}));
    EXPECT_EQ(mark.x, 300);
    EXPECT_EQ(mark.y, 250);

    mark.RectFromPosition(PixelRect{10, 20, 0, 0}, 0.5f);
    EXPECT_EQ(Sides(mark.screenRect), (std::array{160, 145, 260, 195}));

    // A mark larger than the view starts before it.
    WatermarkBase large = Mark(500, 400, -1);
    large.CenterInView(PixelRect{0, 0, 300, 200}, 1.0f);
    EXPECT_EQ(Sides(large.screenRect), (std::array{-100, -100, 400, 300}));
    EXPECT_EQ(large.x, -100);
    EXPECT_EQ(large.y, -100);
}

TEST(ScreenPlacement, TheShadowGrowsTheScreenRectangleWithoutMovingTheMark) {
    WatermarkBase mark = Mark(200, 100, -1);
    mark.x = 50;
    mark.y = 40;
    mark.RectFromPosition(PixelRect{0, 0, 0, 0}, 1.0f);
    const PixelRect plain = mark.screenRect;

    mark.overhang = LayerOverhang{8, 8, 12, 12};
    mark.RectFromPosition(PixelRect{0, 0, 0, 0}, 1.0f);
    EXPECT_EQ(mark.screenRect.left, plain.left - 8);
    EXPECT_EQ(mark.screenRect.bottom, plain.bottom + 12);
    // Taking the position back from that rectangle gives the mark's own.
    mark.PositionFromRect(0, 0, 1.0f);
    EXPECT_EQ(mark.x, 50);
    EXPECT_EQ(mark.y, 40);

    // Centring centres all it covers; a picture exactly that large fits.
    mark.CenterInView(PixelRect{0, 0, 420, 320}, 1.0f);
    EXPECT_EQ(mark.screenRect.left, (420 - 220) / 2);
    EXPECT_EQ(mark.x, (420 - 220) / 2 + 8);
    mark.pictureWidth = 220;
    mark.pictureHeight = 120;
    EXPECT_TRUE(mark.CheckFits(MarkKind::Text));
    mark.pictureWidth = 219;
    RecordingMessageSink sink;
    ScopedMessageSink installed(sink);
    EXPECT_FALSE(mark.CheckFits(MarkKind::Text));
}

TEST(ScreenPlacement, TruncatesEveryConversionTowardZero) {
    WatermarkBase mark = Mark(333, 101, -1);
    mark.x = 7;
    mark.y = 5;
    mark.RectFromPosition(PixelRect{0, 0, 0, 0}, 0.3f);
    EXPECT_EQ(Sides(mark.screenRect), (std::array{2, 1, 2 + 99, 1 + 30}));  // 2.1, 1.5, 99.9, 30.3

    // A rectangle left of the view gives a position truncated toward zero.
    mark.screenRect = PixelRect{-5, 7, 0, 0};
    mark.PositionFromRect(0, 0, 2.0f);
    EXPECT_EQ(mark.x, -2);
    EXPECT_EQ(mark.y, 3);
    // The reciprocal of the zoom is taken first, in double precision.
    mark.screenRect = PixelRect{100, 100, 0, 0};
    mark.PositionFromRect(0, 0, 0.1f);
    EXPECT_EQ(mark.x, 999);  // 100 * (1 / 0.1f) = 999.99998...
}

TEST(ScreenPlacement, ExtremeZoomsSaturateInsteadOfOverflowing) {
    WatermarkBase mark = Mark(2000000000, 2000000000, -1);
    mark.CenterInView(PixelRect{0, 0, 100, 100}, 1000.0f);
    mark.screenRect = PixelRect{2000000000, -2000000000, 0, 0};
    mark.PositionFromRect(-2000000000, 2000000000, 1e-30f);
    EXPECT_EQ(mark.x, 2147483647);
    EXPECT_EQ(mark.y, -2147483647 - 1);
}
