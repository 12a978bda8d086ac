// The canvas driven as the user drives it: opening fits and centres the
// picture, the zoom commands step within their limits, marks keep their
// picture positions, drags are clamped and end on release wherever it
// happens, and the paint draws frame, picture and marks.
#include "app/CanvasView.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "app/EditorTestSupport.h"
#include "support/RecordingMessageSink.h"
#include "watermark/WatermarkMessages.h"

using namespace stampora;

namespace {

// An enabled, opaque image mark of one colour.
ImageWatermark SolidImageMark(int32_t width, int32_t height, uint32_t colour, int32_t opacity = 100) {
    ImageWatermark mark;
    mark.source = UniformImage(width, height, 24, colour);
    mark.base.width = width;
    mark.base.height = height;
    mark.base.opacity = opacity;
    mark.base.enabled = true;
    return mark;
}

class CanvasTest : public ::testing::Test {
protected:
    void Open(int32_t width, int32_t height) {
        Status status;
        ASSERT_TRUE(canvas.OpenPicture(WritePicture(dir, "picture.bmp", width, height), &status))
            << status.Error();
    }
    void Press(QPoint at) { QTest::mousePress(canvas.viewport(), Qt::LeftButton, Qt::NoModifier, at); }
    void MoveTo(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, canvas.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas.viewport(), &move);
    }
    void Release(QPoint at) { QTest::mouseRelease(canvas.viewport(), Qt::LeftButton, Qt::NoModifier, at); }
    // Drags from `from` by `by`; the first move only records the pointer.
    void Drag(QPoint from, QPoint by, QPoint releaseAt) {
        Press(from);
        MoveTo(from);
        MoveTo(from + by);
        Release(releaseAt);
    }
    static QPoint Centre(const PixelRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    ScratchDir dir;
    RecordingMessageSink messages;
    ScopedMessageSink sink{messages};
    CanvasView canvas;
};

}  // namespace

TEST_F(CanvasTest, OpeningFitsLargePicturesIntoTheBox) {
    SetClientSize(canvas, 1000, 700);
    struct Case {
        int32_t width, height;
        float zoom;
        int32_t shownWidth, shownHeight;
    };
    const Case cases[] = {
        {1280, 960, 0.5f, 640, 480},           {1000, 1000, 0.48f, 479, 480}, {2000, 1000, 0.32f, 640, 320},
        {641, 480, 640.0f / 641.0f, 640, 479}, {300, 200, 1.0f, 300, 200},
    };
    for (const Case& c : cases) {
        Open(c.width, c.height);
        const PictureDocument& document = canvas.Document();
        EXPECT_EQ(document.zoom, c.zoom) << c.width << "x" << c.height;
        EXPECT_EQ(document.displayWidth, c.shownWidth) << c.width << "x" << c.height;
        EXPECT_EQ(document.displayHeight, c.shownHeight) << c.width << "x" << c.height;
    }
    const PixelRect& shown = canvas.Document().displayRect;
    EXPECT_EQ(shown.left, 351);
    EXPECT_EQ(shown.top, 251);
    EXPECT_EQ(shown.right, 651);
    EXPECT_EQ(shown.bottom, 451);
    EXPECT_EQ(canvas.PictureSize(), QSize(300, 200));
}

TEST_F(CanvasTest, ANarrowClientPutsThePictureAtTheLeftWithScrolling) {
    SetClientSize(canvas, 200, 700);
    Open(300, 200);
    EXPECT_EQ(canvas.Document().displayRect.left, 0);
    EXPECT_EQ(canvas.horizontalScrollBar()->maximum() + canvas.viewport()->width(), 300);
}

TEST_F(CanvasTest, ZoomStepsStopAtTheirLimits) {
    SetClientSize(canvas, 1000, 700);
    Open(300, 200);
    for (int i = 0; i < 9; ++i) canvas.ZoomIn();
    const float nine = canvas.Document().zoom;
    EXPECT_NEAR(nine, 1.9f, 1e-5f);
    canvas.ZoomIn();
    EXPECT_EQ(canvas.Document().zoom, nine);
    EXPECT_EQ(canvas.Document().displayWidth, static_cast<int32_t>(300 * static_cast<double>(nine)));

    canvas.FullSize();
    EXPECT_EQ(canvas.Document().zoom, 1.0f);
    for (int i = 0; i < 8; ++i) canvas.ZoomOut();
    const float eight = canvas.Document().zoom;
    EXPECT_NEAR(eight, 0.2f, 1e-5f);
    canvas.ZoomOut();
    EXPECT_EQ(canvas.Document().zoom, eight);
}

TEST_F(CanvasTest, FullSizeAtFullSizeKeepsTheScrollPositionOtherZoomsReturnToTheTop) {
    SetClientSize(canvas, 400, 300);
    Open(600, 450);  // fits at 1.0, larger than the client
    QScrollBar* bar = canvas.verticalScrollBar();
    bar->setValue(40);
    canvas.FullSize();
    EXPECT_EQ(bar->value(), 40);
    canvas.ZoomIn();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(CanvasTest, MarksKeepTheirPicturePositionsAcrossZoom) {
    SetClientSize(canvas, 620, 340);
    Open(400, 200);
    canvas.TakeImageMark(SolidImageMark(50, 20, 0x00FF00));
    const WatermarkBase& mark = canvas.Marks().PlacedImage().made.base;
    EXPECT_EQ(mark.x, 175);  // centred
    EXPECT_EQ(mark.y, 90);
    // Drag it to picture position (100, 40): the picture starts at (111, 71).
    Drag(Centre(mark.screenRect), QPoint(100 - 175, 40 - 90), Centre(mark.screenRect) + QPoint(-75, -50));
    EXPECT_EQ(mark.x, 100);
    EXPECT_EQ(mark.y, 40);
    for (int i = 0; i < 5; ++i) canvas.ZoomIn();
    EXPECT_NEAR(canvas.Document().zoom, 1.5f, 1e-5f);
    EXPECT_EQ(canvas.Document().displayRect.left, 11);
    EXPECT_EQ(canvas.Document().displayRect.top, 21);
    EXPECT_EQ(mark.screenRect.left, 161);
    EXPECT_EQ(mark.screenRect.top, 81);
    EXPECT_EQ(mark.x, 100);
}

TEST_F(CanvasTest, DraggingPastTheEdgeStopsFlushAndReleaseAnywhereEndsTheDrag) {
    SetClientSize(canvas, 1000, 700);
    Open(1280, 960);  // shown at 0.5
    canvas.TakeImageMark(SolidImageMark(100, 60, 0xFF0000));
    const WatermarkBase& mark = canvas.Marks().PlacedImage().made.base;
    const PixelRect& shown = canvas.Document().displayRect;
    // Released far outside the canvas: the drag still ends there.
    Drag(Centre(mark.screenRect), QPoint(2000, 2000), QPoint(-500, 3000));
    EXPECT_FALSE(canvas.IsDragging());
    EXPECT_EQ(mark.screenRect.right, shown.right);
    EXPECT_EQ(mark.screenRect.bottom, shown.bottom);
    EXPECT_EQ(mark.x, static_cast<int32_t>((mark.screenRect.left - shown.left) * (1.0 / 0.5)));
    EXPECT_EQ(mark.x, 1280 - 100);
    EXPECT_EQ(mark.y, 960 - 60);
    // Moving afterwards, without a press, moves nothing.
    const PixelRect after = mark.screenRect;
    MoveTo(QPoint(10, 10));
    MoveTo(QPoint(20, 20));
    EXPECT_EQ(mark.screenRect.left, after.left);
}

TEST_F(CanvasTest, TheTextMarkIsGrabbedWhereTheMarksOverlap) {
    SetClientSize(canvas, 1000, 700);
    Open(600, 400);
    canvas.TakeImageMark(SolidImageMark(200, 100, 0x0000FF));
    TextWatermark text;
    text.text = u"Hi";
    text.font = {24, 400, false, 1, u"DejaVu Sans"};
    text.base.enabled = true;
    canvas.TakeTextMark(text);
    ASSERT_TRUE(canvas.Marks().PlacedText().shown);
    const QPoint centre = Centre(canvas.Marks().PlacedText().made.base.screenRect);
    const int32_t imageLeft = canvas.Marks().PlacedImage().made.base.screenRect.left;
    Drag(centre, QPoint(-30, 0), centre + QPoint(-30, 0));
    EXPECT_EQ(canvas.Marks().PlacedImage().made.base.screenRect.left, imageLeft);
    EXPECT_NE(canvas.Marks().PlacedText().made.base.x,
              (600 - canvas.Marks().PlacedText().made.base.markWidth) / 2);
}

TEST_F(CanvasTest, ATooLargeMarkIsRefusedWhenTakenNotWhilePainting) {
    SetClientSize(canvas, 1000, 700);
    Open(120, 80);
    TextWatermark text;
    text.text = u"A watermark far wider than the picture";
    text.font = {48, 400, false, 1, u"DejaVu Sans"};
    text.base.enabled = true;
    canvas.TakeTextMark(text);  // no event loop has run yet
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kTextMarkTooLargeMessage);
    EXPECT_FALSE(canvas.Marks().PlacedText().shown);
    EXPECT_TRUE(canvas.TextMark().base.enabled);  // hidden, not switched off
    canvas.viewport()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST_F(CanvasTest, PaintDrawsTheFramePictureAndBlendedMark) {
    SetClientSize(canvas, 400, 300);
    Open(100, 50);  // at (151, 126) ... (251, 176)
    canvas.TakeImageMark(SolidImageMark(20, 10, 0x0000FF, 50));
    const PixelRect& shown = canvas.Document().displayRect;
    ASSERT_EQ(shown.left, 151);
    CDrawingSurface surface;
    ASSERT_TRUE(surface.Begin({0, 0, 400, 300}));
    canvas.Render(surface);
    EXPECT_EQ(surface.ColourAt(shown.left - 1, shown.top - 1), 0u);
    EXPECT_EQ(surface.ColourAt(shown.right, shown.bottom), 0u);
    EXPECT_EQ(surface.ColourAt(shown.left - 2, shown.top), 0xFFFFFFu);  // background
    const CRasterImage& source = canvas.Document().source;
    EXPECT_EQ(surface.ColourAt(shown.left + 3, shown.top + 4), source.ReadPixel(3, 4));
    // The mark: blue over the picture with half opacity (alpha 127).
    const WatermarkBase& mark = canvas.Marks().PlacedImage().made.base;
    const uint32_t under = source.ReadPixel(mark.x, mark.y);
    const uint32_t red = (under >> 16) & 0xFF;
    const uint32_t blue = under & 0xFF;
    const uint32_t shownPixel = surface.ColourAt(mark.screenRect.left, mark.screenRect.top);
    EXPECT_EQ((shownPixel >> 16) & 0xFF, red + ((0 - static_cast<int>(red)) * 127) / 255);
    EXPECT_EQ(shownPixel & 0xFF, blue + ((255 - static_cast<int>(blue)) * 127) / 255);
}

TEST_F(CanvasTest, TilesAreShownOnlyOnThePicture) {
    SetClientSize(canvas, 400, 300);
    Open(100, 50);  // at (151, 126) ... (251, 176)
    MarkFit tiled;
    tiled.layout.tile = true;
    tiled.layout.gapX = tiled.layout.gapY = RelativeLength{0, false};
    canvas.TakeImageMark(SolidImageMark(30, 20, 0x0000FF), tiled);
    ASSERT_GT(canvas.Marks().PlacedImage().places.size(), 4u);
    CDrawingSurface surface;
    ASSERT_TRUE(surface.Begin({0, 0, 400, 300}));
    canvas.Render(surface);
    const PixelRect& shown = canvas.Document().displayRect;
    EXPECT_EQ(surface.ColourAt(shown.left + 1, shown.top + 1), 0x0000FFu);  // covered edge to edge
    EXPECT_EQ(surface.ColourAt(shown.right - 1, shown.bottom - 1), 0x0000FFu);
    EXPECT_EQ(surface.ColourAt(shown.left - 1, shown.top + 5), 0u);  // the frame
    EXPECT_EQ(surface.ColourAt(shown.right + 3, shown.top + 5), 0xFFFFFFu);
    EXPECT_EQ(surface.ColourAt(shown.left + 5, shown.bottom + 3), 0xFFFFFFu);
}

TEST_F(CanvasTest, ScrollStepsAreAHundredthAndATenthOfTheExtent) {
    SetClientSize(canvas, 300, 200);
    Open(600, 450);
    canvas.FullSize();
    canvas.ZoomIn();  // 660 x 495
    QScrollBar* bar = canvas.verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 49);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 49 + 4);
    // One notch down scrolls three lines.
    bar->setValue(0);
    QWheelEvent wheel(QPointF(10, 10), canvas.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas.viewport(), &wheel);
    EXPECT_EQ(bar->value(), 3 * 4);
}

TEST_F(CanvasTest, ReducedLevelsArriveAfterOpeningAndServeTheReducedView) {
    SetClientSize(canvas, 1000, 700);
    Open(1280, 960);
    Open(2000, 1500);  // while the first is still being reduced
    for (int i = 0; i < 500 && canvas.Document().reduced.Count() == 0; ++i) QTest::qWait(10);
    const PictureDocument& document = canvas.Document();
    ASSERT_GT(document.reduced.Count(), 0u);
    EXPECT_EQ(document.reduced.Level(0).Width(), 1000);
    EXPECT_EQ(&document.PaintSource(), &document.reduced.Level(0));  // 1000 wide for 640 shown
    canvas.FullSize();
    EXPECT_EQ(&document.PaintSource(), &document.Shown());
}
