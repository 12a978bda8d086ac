// The canvas driven as the user drives it: opening fits and centres the
// picture (a large JPEG from a reduced decode first), the zoom commands step
// within their limits, marks keep their picture positions, drags follow the
// pointer, are clamped and end on release wherever it happens, and the paint
// draws frame, picture (over a checkerboard where transparent) and marks.
#include "app/CanvasView.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cstring>

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
    // Drags from `from` by `by` in one movement.
    void Drag(QPoint from, QPoint by, QPoint releaseAt) {
        Press(from);
        MoveTo(from + by);
        Release(releaseAt);
    }
    void Wheel(QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPointF at = {10, 10}) {
        QWheelEvent wheel(at, canvas.viewport()->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas.viewport(), &wheel);
    }
    static QPoint Centre(const PixelRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    ScratchDir dir;
    RecordingMessageSink messages;
    ScopedMessageSink sink{messages};
    CanvasView canvas;
};

}  // namespace

TEST_F(CanvasTest, OpeningFitsLargePicturesIntoTheBoxAndANarrowClientScrolls) {
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

    // A client narrower than the picture puts it at the left, with scrolling.
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

TEST_F(CanvasTest, AMarkFollowsThePointerFromItsFirstMovementAtEveryZoom) {
    SetClientSize(canvas, 1000, 700);
    Open(600, 400);  // at 100 %
    canvas.TakeImageMark(SolidImageMark(60, 40, 0xFF0000));
    const WatermarkBase& mark = canvas.Marks().PlacedImage().made.base;
    Drag(Centre(mark.screenRect), QPoint(150, -100), QPoint());
    EXPECT_EQ(mark.x, 270 + 150);
    EXPECT_EQ(mark.y, 180 - 100);
    Open(1280, 960);  // at 0.5: each view pixel is two of the picture's
    canvas.TakeImageMark(SolidImageMark(60, 40, 0xFF0000));
    Drag(Centre(mark.screenRect), QPoint(-33, 21), QPoint());
    EXPECT_EQ(mark.x, (1280 - 60) / 2 - 66);
    EXPECT_EQ(mark.y, (960 - 40) / 2 + 42);
}

// Dragged past the edge, the mark stops flush with it; released anywhere,
// even far outside the canvas, the drag ends there.
TEST_F(CanvasTest, AMarkDraggedIntoACornerAtTheFittedZoomReachesIt) {
    SetClientSize(canvas, 1000, 700);
    Open(1500, 1000);  // at 0.4267
    canvas.TakeImageMark(SolidImageMark(100, 60, 0xFF0000));
    const WatermarkBase& mark = canvas.Marks().PlacedImage().made.base;
    Drag(Centre(mark.screenRect), QPoint(900, 900), QPoint(-500, 3000));
    EXPECT_FALSE(canvas.IsDragging());
    EXPECT_EQ(mark.x, 1400);
    EXPECT_EQ(mark.y, 940);
    // Moving afterwards, without a press, moves nothing.
    MoveTo(QPoint(10, 10));
    MoveTo(QPoint(20, 20));
    EXPECT_EQ(mark.x, 1400);
    const CRasterImage saved = canvas.ComposeForSave();
    EXPECT_EQ(saved.ReadPixel(1499, 999) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(saved.ReadPixel(1400, 940) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_NE(saved.ReadPixel(1399, 939) & 0xFFFFFFu, 0xFF0000u);
    Drag(Centre(mark.screenRect), QPoint(-900, -900), QPoint());
    EXPECT_EQ(mark.x, 0);
    EXPECT_EQ(mark.y, 0);
}

TEST_F(CanvasTest, ALargeJpegShowsAtOnceFromAReducedDecodeAndSavingWaitsForTheWhole) {
    SetClientSize(canvas, 1000, 700);
    const std::string path = dir.File("photo.jpg");
    ASSERT_TRUE(PhotoLikePicture(2000, 1500, 24).Save(path));
    Status status;
    ASSERT_TRUE(canvas.OpenPicture(path, &status)) << status.Error();
    const PictureDocument& document = canvas.Document();
    EXPECT_FALSE(document.Whole());
    EXPECT_EQ(document.firstView.Width(), 1000);  // 1/2 for 640 shown
    EXPECT_EQ(canvas.PictureSize(), QSize(2000, 1500));
    EXPECT_EQ(document.displayHeight, 480);
    // A mark is placed and dragged in the whole picture's pixels at once.
    canvas.TakeImageMark(SolidImageMark(200, 100, 0x0000FF));
    const WatermarkBase& mark = canvas.Marks().PlacedImage().made.base;
    Drag(Centre(mark.screenRect), QPoint(2000, 2000), QPoint());
    EXPECT_EQ(mark.x, 1800);
    const CRasterImage saved = canvas.ComposeForSave();
    EXPECT_TRUE(document.Whole());
    ASSERT_EQ(saved.Width(), 2000);
    EXPECT_EQ(saved.ReadPixel(1999, 1499) & 0xFFFFFFu, 0x0000FFu);
    CRasterImage whole;
    ASSERT_TRUE(whole.Load(path));
    EXPECT_EQ(saved.ReadPixel(10, 10) & 0xFFFFFFu, whole.ReadPixel(10, 10));
}

TEST_F(CanvasTest, ATransparentPictureShowsOverACheckerboardAndIsSavedAsJpegOverWhite) {
    SetClientSize(canvas, 400, 300);
    // Hidden black on the left half, half-transparent red on the right.
    const CRasterImage picture = PaintedImage(64, 32, 32, [](int32_t x, int32_t, uint8_t* p) {
        const uint32_t pixel = x < 32 ? 0x00000000u : 0x80FF0000u;
        std::memcpy(p, &pixel, 4);
    });
    const std::string png = dir.File("clear.png");
    ASSERT_TRUE(picture.Save(png));
    Status status;
    ASSERT_TRUE(canvas.OpenPicture(png, &status)) << status.Error();
    CDrawingSurface surface;
    ASSERT_TRUE(surface.Begin({0, 0, 400, 300}));
    canvas.Render(surface);
    const PixelRect& shown = canvas.Document().displayRect;
    EXPECT_EQ(surface.ColourAt(shown.left + 1, shown.top + 1), 0xFFFFFFu);
    EXPECT_EQ(surface.ColourAt(shown.left + 9, shown.top + 1), 0xCCCCCCu);
    EXPECT_EQ(surface.ColourAt(shown.left + 33, shown.top + 1), 0xFF7F7Fu);
    const std::string jpeg = dir.File("clear.jpg");
    ASSERT_TRUE(canvas.ComposeForSave().Save(jpeg));
    CRasterImage saved;
    ASSERT_TRUE(saved.Load(jpeg));
    EXPECT_TRUE(ColourNear(saved, 8, 16, 255, 255, 255, 2));
    EXPECT_TRUE(ColourNear(saved, 56, 16, 255, 127, 127, 4));
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
    // One notch down scrolls three lines; a sideways swipe scrolls sideways.
    bar->setValue(0);
    Wheel(QPoint(0, -120));
    EXPECT_EQ(bar->value(), 3 * 4);
    Wheel(QPoint(-120, 0));
    EXPECT_EQ(bar->value(), 3 * 4);
    EXPECT_EQ(canvas.horizontalScrollBar()->value(), 3 * 6);
}

TEST_F(CanvasTest, CtrlWheelZoomsAroundThePointerAndTheTitleTellsTheZoom) {
    SetClientSize(canvas, 400, 300);
    Open(1500, 1000);
    EXPECT_EQ(canvas.ViewTitle(), QStringLiteral("picture.bmp (1500 x 1000) - 43 %"));
    const QPointF pointer(250, 120);
    const auto pictureX = [&] {
        return (pointer.x() + canvas.ScrollOffset().x() - canvas.Document().displayRect.left) /
               static_cast<double>(canvas.Document().zoom);
    };
    const double before = pictureX();
    Wheel(QPoint(0, 240), Qt::ControlModifier, pointer);
    EXPECT_NEAR(canvas.Document().zoom, 0.4267f * 1.25f * 1.25f, 1e-3f);
    EXPECT_NEAR(pictureX(), before, 1.5);
    canvas.FitToWindow();
    EXPECT_NEAR(canvas.Document().displayWidth, 398, 1);
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
