#include "app/CanvasView.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/SurfacePainting.h"
#include "codecs/metadata/ImageProperties.h"
#include "platform/MessageSink.h"
#include "watermark/WatermarkMessages.h"
#include "watermark/text/MarkText.h"

namespace stampora {

namespace {

constexpr uint32_t kFramePen = 0x000000;
// The wheel reports its turn in eighths of a degree; one notch is 120.
constexpr int kWheelNotch = 120;

// The squares of the checkerboard under transparent pixels, in view pixels.
constexpr int kCheckerSquare = 8;
// The zoom one wheel notch with Ctrl multiplies or divides by.
constexpr double kWheelZoomStep = 1.25;
constexpr float kLeastZoom = 0.1f;

QRect ToQRect(const PixelRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A rectangle of content pixels in the surface's pixels.
PixelRect Scaled(const PixelRect& r, int scale) {
    return {r.left * scale, r.top * scale, r.right * scale, r.bottom * scale};
}

}  // namespace

CanvasView::CanvasView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { StepPage(action, false); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { StepPage(action, true); });
}

CanvasView::~CanvasView() {
    if (reducer.joinable()) reducer.join();
    if (opener.joinable()) opener.join();
}

void CanvasView::StartReducing() {
    if (reducer.joinable()) reducer.join();
    auto levels = std::make_shared<PictureDocument::Levels>();
    reducing = levels;
    const PictureDocument* picture = &document;
    reducer = std::thread([this, levels, picture] {
        // Without the levels (no memory) a reduced view is drawn from the
        // picture itself.
        picture->BuildLevels(*levels);
        QMetaObject::invokeMethod(
            this, [this, levels] { TakeReducedLevels(levels); }, Qt::QueuedConnection);
    });
}

void CanvasView::TakeReducedLevels(const std::shared_ptr<PictureDocument::Levels>& levels) {
    // Levels of a picture that is no longer shown are dropped.
    if (levels != reducing) return;
    if (reducer.joinable()) reducer.join();
    document.TakeLevels(*levels);
    reducing.reset();
    if (document.zoom < 1.0f) viewport()->update();
}

void CanvasView::StartOpening() {
    openPending = false;
    auto whole = std::make_shared<PictureDocument::WholePicture>();
    opening = whole;
    opener = std::thread(
        [this, whole, file = document.TakePendingRead(), gone = document.TakeRetired()]() mutable {
            // What was shown before goes first, now that the first view is up.
            gone.reset();
            *whole = PictureDocument::ReadWhole(std::move(file));
            QMetaObject::invokeMethod(
                this, [this, whole] { TakeWholePicture(whole); }, Qt::QueuedConnection);
        });
}

void CanvasView::TakeWholePicture(std::shared_ptr<PictureDocument::WholePicture> whole) {
    // The whole of a picture that is no longer shown is dropped.
    if (whole != opening) return;
    if (opener.joinable()) opener.join();
    opening.reset();
    if (!document.TakeWhole(*whole)) {
        // The reduced view stays; a save finds no picture to compose.
        const std::string reason = whole->file ? whole->file->status.Error() : std::string();
        ShowMessage("\"" + document.fileName + "\" could not be read whole: " +
                        (reason.empty() ? "the picture could not be read" : reason) + ".",
                    kErrorCaption, MessageIcon::Error);
        return;
    }
    reducePending = true;
    ShowMarks(marks.SeeWholePicture(&document.Shown(), View()));
    viewport()->update();
}

bool CanvasView::FinishOpening() {
    if (openPending) StartOpening();
    if (opening) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (opener.joinable()) opener.join();
        TakeWholePicture(opening);
        QApplication::restoreOverrideCursor();
    }
    return document.loaded && document.Whole();
}

void CanvasView::FinishReducing() {
    FinishOpening();
    if (reducePending) {
        reducePending = false;
        StartReducing();
    }
    if (reducing) TakeReducedLevels(reducing);
}

QSize CanvasView::ClientSize() const {
    return viewport()->size();
}

QPoint CanvasView::ScrollOffset() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

bool CanvasView::OpenPicture(const std::string& path, Status* status) {
    // The picture being reduced stays untouched until its work is done.
    if (reducing) TakeReducedLevels(reducing);
    if (!document.LoadPicture(path, status)) return false;
    // The whole of the picture shown before is no longer wanted.
    if (opener.joinable()) opener.join();
    opening.reset();
    // Reduced after its first paint, so the work does not delay that paint;
    // a picture shown from its reduced view is first read whole, also after
    // that paint.
    reducePending = document.Whole();
    openPending = !document.Whole();
    RefreshView();
    // Both marks are made for the new picture before it is shown.
    const CImageProperties none;
    const MarkTextFacts facts =
        FactsForPicture(document.path, document.sourceWidth, document.sourceHeight,
                        document.sourceFile ? document.sourceFile->properties : none, 1);
    marks.SeePicture(&document.Shown());
    ShowMarks(marks.FitToPicture(facts, View()));
    emit ViewChanged();
    return true;
}

void CanvasView::RefreshView() {
    if (!document.loaded) return;
    const QSize client = ClientSize();
    if (!document.zoomFixed) document.FitToBox(client.width(), client.height());
    extent = QSize(document.displayWidth, document.displayHeight);
    lineStep = QSize(std::max(1, extent.width() / 100), std::max(1, extent.height() / 100));
    pageStep = QSize(std::max(1, extent.width() / 10), std::max(1, extent.height() / 10));
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void CanvasView::UpdateScrollBars() {
    const QSize client = ClientSize();
    QScrollBar* bars[2] = {horizontalScrollBar(), verticalScrollBar()};
    const int extents[2] = {extent.width(), extent.height()};
    const int clients[2] = {client.width(), client.height()};
    const int lines[2] = {lineStep.width(), lineStep.height()};
    for (int i = 0; i < 2; ++i) {
        // The thumb shows the client's share of the extent.
        bars[i]->setPageStep(std::max(1, clients[i]));
        bars[i]->setSingleStep(lines[i]);
        bars[i]->setRange(0, std::max(0, extents[i] - clients[i]));
    }
}

void CanvasView::StepPage(int action, bool vertical) {
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int step = vertical ? pageStep.height() : pageStep.width();
    if (action == QAbstractSlider::SliderPageStepAdd) bar->setSliderPosition(bar->value() + step);
    if (action == QAbstractSlider::SliderPageStepSub) bar->setSliderPosition(bar->value() - step);
}

void CanvasView::ZoomIn() {
    const double zoom = static_cast<double>(document.zoom) + 0.1;
    if (zoom > 2.0) return;
    ApplyZoom(static_cast<float>(zoom));
}

void CanvasView::ZoomOut() {
    const double zoom = static_cast<double>(document.zoom) - 0.1;
    if (zoom < 0.1) return;
    ApplyZoom(static_cast<float>(zoom));
}

void CanvasView::FullSize() {
    if (document.zoom == 1.0f) return;
    ApplyZoom(1.0f);
}

void CanvasView::FitToWindow() {
    if (!document.loaded) return;
    // The frame takes a pixel on each side.
    const QSize client = ClientSize() - QSize(2, 2);
    const double fit = std::min(static_cast<double>(client.width()) / document.sourceWidth,
                                static_cast<double>(client.height()) / document.sourceHeight);
    ApplyZoom(static_cast<float>(std::clamp(fit, 0.001, static_cast<double>(kMostZoom))));
}

void CanvasView::ApplyZoom(float zoom) {
    const QSize client = ClientSize();
    document.SetZoom(zoom, client.width(), client.height());
    // A zoom that would leave no pixel of the picture is not taken.
    if (document.displayWidth < 1 || document.displayHeight < 1)
        document.SetZoom(std::max(1.0f / static_cast<float>(document.sourceWidth),
                                  1.0f / static_cast<float>(document.sourceHeight)),
                         client.width(), client.height());
    RefreshView();
    marks.FollowView(View());
    InvalidateMark();
    emit ViewChanged();
}

void CanvasView::ZoomAround(float zoom, QPointF pointer) {
    const QPoint offset = ScrollOffset();
    const PixelRect& shown = document.displayRect;
    // The picture point under the pointer, in picture pixels.
    const double px = (pointer.x() + offset.x() - shown.left) / static_cast<double>(document.zoom);
    const double py = (pointer.y() + offset.y() - shown.top) / static_cast<double>(document.zoom);
    ApplyZoom(zoom);
    const PixelRect& now = document.displayRect;
    horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(now.left + px * static_cast<double>(document.zoom) - pointer.x())));
    verticalScrollBar()->setValue(
        static_cast<int>(std::lround(now.top + py * static_cast<double>(document.zoom) - pointer.y())));
}

QString CanvasView::ViewTitle() const {
    if (!document.loaded) return QString();
    return QStringLiteral("%1 (%2 x %3) - %4 %")
        .arg(QString::fromStdString(document.fileName))
        .arg(document.sourceWidth)
        .arg(document.sourceHeight)
        .arg(std::lround(static_cast<double>(document.zoom) * 100.0));
}

void CanvasView::TakeTextMark(const TextWatermark& edited) {
    TakeTextMark(edited, marks.TextFit());
}

void CanvasView::TakeTextMark(const TextWatermark& edited, const MarkFit& fit) {
    ShowMarks(marks.TakeText(edited, fit, View()));
}

void CanvasView::TakeImageMark(const ImageWatermark& edited) {
    TakeImageMark(edited, marks.ImageFit());
}

void CanvasView::TakeImageMark(const ImageWatermark& edited, const MarkFit& fit) {
    ShowMarks(marks.TakeImage(edited, fit, View()));
}

void CanvasView::TakeAnchoredMarks(const TextWatermark& textMark, const MarkFit& textFit,
                                   const ImageWatermark& imageMark, const MarkFit& imageFit) {
    ShowMarks(marks.TakeAnchored(textMark, textFit, imageMark, imageFit, View()));
}

void CanvasView::SetMarkFits(const MarkFit& textFit, const MarkFit& imageFit) {
    ShowMarks(marks.SetFits(textFit, imageFit, View()));
}

void CanvasView::TakeMarkState(const MarkState& state) {
    ShowMarks(marks.Restore(state, View()));
}

void CanvasView::PreviewTextMark(const TextWatermark& edited, const MarkFit& fit) {
    marks.TakeText(edited, fit, View());
    InvalidateMark();
}

void CanvasView::PreviewImageMark(const ImageWatermark& edited, const MarkFit& fit) {
    marks.TakeImage(edited, fit, View());
    InvalidateMark();
}

void CanvasView::RemoveMark(MarkKind kind) {
    marks.Remove(kind);
    InvalidateMark();
}

void CanvasView::ShowMarks(const std::vector<std::string>& refused) {
    for (const std::string& message : marks.TakeWarnings())
        ShowMessage(message, kWarningCaption, MessageIcon::Warning);
    for (const std::string& message : refused) ShowMessage(message, kErrorCaption, MessageIcon::Error);
    InvalidateMark();
}

CRasterImage CanvasView::ComposeForSave() {
    CRasterImage result;
    if (!FinishOpening()) return result;
    // A picture that cannot take its marks is never saved without them.
    if (result.Assign(document.source).IsEmpty() || !result.PromoteDepth(32)) return CRasterImage();
    marks.StampPart(result, 0, 0);
    return result;
}

void CanvasView::Render(CDrawingSurface& dc) const {
    const int scale = deviceScale;
    const uint32_t background = palette().color(QPalette::Base).rgb() & 0xFFFFFFu;
    dc.FillRect(dc.Area(), background);
    if (!document.loaded) return;
    const PixelRect shown = Scaled(document.displayRect, scale);
    const PixelRect framed = Scaled({document.displayRect.left - 1, document.displayRect.top - 1,
                                     document.displayRect.right + 1, document.displayRect.bottom + 1},
                                    scale);
    dc.FillRect(framed, kFramePen);
    if (!document.Whole()) {
        // Until the whole picture is read, its reduced view is all there is.
        DrawSmoothToDC(document.firstView, dc, shown);
    } else {
        DrawPicture(dc, document.Shown(), document.reduced, shown);
        if (!document.ShownDark().IsEmpty()) DrawDarkSquares(dc, shown);
    }
    DrawMark(dc, marks.PlacedImage(), MarkKind::Image);
    DrawMark(dc, marks.PlacedText(), MarkKind::Text);
    // Tiles reach past the picture's edges; only what lies on it is shown.
    if (marks.PlacedImage().places.size() > 1 || marks.PlacedText().places.size() > 1) {
        const PixelRect& a = dc.Area();
        dc.FillRect({a.left, a.top, a.right, framed.top}, background);
        dc.FillRect({a.left, framed.bottom, a.right, a.bottom}, background);
        dc.FillRect({a.left, framed.top, framed.left, framed.bottom}, background);
        dc.FillRect({framed.right, framed.top, a.right, framed.bottom}, background);
        dc.FillRect({framed.left, framed.top, framed.right, shown.top}, kFramePen);
        dc.FillRect({framed.left, shown.bottom, framed.right, framed.bottom}, kFramePen);
        dc.FillRect({framed.left, shown.top, shown.left, shown.bottom}, kFramePen);
        dc.FillRect({shown.right, shown.top, framed.right, shown.bottom}, kFramePen);
    }
    if (outlineShown) {
        dc.InvertFrame(Scaled(grabRect, scale));
        dc.InvertFrame(Scaled(marks.Placed(*grabbed).made.base.screenRect, scale));
    }
}

void CanvasView::DrawPicture(CDrawingSurface& dc, const CRasterImage& whole, const CReducedLevels& levels,
                             const PixelRect& shown) const {
    // Below 100 % of the screen's pixels the picture comes smoothly from a
    // reduced level; at 100 % and above it is stretched pixel for pixel.
    const int32_t width = shown.right - shown.left;
    const int32_t height = shown.bottom - shown.top;
    if (width >= whole.Width()) {
        whole.DrawToDC(dc, shown);
    } else {
        DrawSmoothToDC(levels.SourceFor(whole, width, height), dc, shown);
    }
}

void CanvasView::DrawDarkSquares(CDrawingSurface& dc, const PixelRect& shown) const {
    const PixelRect part = IntersectRects(shown, dc.Area());
    if (IsEmptyRect(part) || !darkSurface.Begin(part)) return;
    DrawPicture(darkSurface, document.ShownDark(), document.reducedDark, shown);
    // The squares are fixed to the picture's corner and keep their size on
    // the screen at every zoom.
    const int square = kCheckerSquare * deviceScale;
    const PixelRect& area = dc.Area();
    for (int32_t y = part.top; y < part.bottom; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(darkSurface.Image().Row(y - part.top));
        auto* out = reinterpret_cast<uint32_t*>(dc.Image().Row(y - area.top)) + (part.left - area.left);
        const int32_t row = (y - shown.top) / square;
        for (int32_t x = part.left; x < part.right; ++x) {
            if (((x - shown.left) / square + row) & 1) out[x - part.left] = in[x - part.left];
        }
    }
}

void CanvasView::DrawMark(CDrawingSurface& dc, const PlacedMark& on, MarkKind kind) const {
    if (!on.shown || !on.made.layer) return;
    const WatermarkBase& base = on.made.base;
    // A grabbed mark stays where it was grabbed; only its outline moves.
    const PixelRect& own = grabbed == kind ? grabRect : base.screenRect;
    const PixelRect& area = dc.Area();
    for (const TilePlace& place : on.places) {
        const auto dx = static_cast<int32_t>(static_cast<float>(place.x - base.LayerX()) * document.zoom);
        const auto dy = static_cast<int32_t>(static_cast<float>(place.y - base.LayerY()) * document.zoom);
        const PixelRect tile = Scaled(OffsetRect(own, dx, dy), deviceScale);
        if (tile.right <= area.left || tile.left >= area.right || tile.bottom <= area.top ||
            tile.top >= area.bottom)
            continue;
        on.made.layer->DrawBlendedToDC(dc, tile, base.opacity);
    }
}

void CanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPoint offset = ScrollOffset();
    // The surface has the screen's own pixels: two for each content pixel on
    // a screen of device pixel ratio 2.
    deviceScale = std::max(1, static_cast<int>(std::lround(viewport()->devicePixelRatioF())));
    // Each rectangle of the region on its own: a drag repaints thin strips,
    // not the box around them.
    for (const QRect& rect : event->region()) {
        const PixelRect area = Scaled({rect.left() + offset.x(), rect.top() + offset.y(),
                                       rect.right() + 1 + offset.x(), rect.bottom() + 1 + offset.y()},
                                      deviceScale);
        if (!surface.Begin(area)) continue;
        Render(surface);
        PaintSurface(painter, surface, rect.topLeft(), deviceScale);
    }
    if (!document.loaded) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect(), Qt::AlignCenter,
                         QStringLiteral("Open a picture with Ctrl+O, or drop one here"));
    }
    if (openPending) {
        StartOpening();
    } else if (reducePending && document.loaded) {
        reducePending = false;
        StartReducing();
    }
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CanvasView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
}

void CanvasView::InvalidateMark() {
    viewport()->update();
}

void CanvasView::InvalidateFrame(const PixelRect& rect) {
    if (IsEmptyRect(rect)) return;
    const QPoint offset = ScrollOffset();
    const QRect r = ToQRect(rect).translated(-offset);
    QRegion frame(r);
    if (r.width() > 2 && r.height() > 2) frame -= QRegion(r.adjusted(1, 1, -1, -1));
    viewport()->update(frame);
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    grabPointer = event->position().toPoint() + ScrollOffset();
    // Only a mark that is shown can be grabbed; the text mark lies on top.
    grabbed = marks.MarkAt(grabPointer.x(), grabPointer.y());
    outlineShown = false;
    if (grabbed) {
        grabRect = marks.Placed(*grabbed).made.base.screenRect;
        viewport()->setCursor(Qt::SizeAllCursor);
    }
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    if (!grabbed) return;
    // The mark goes as far from where it was grabbed as the pointer has,
    // from the first movement on; the edges of the picture stop it.
    const QPoint moved = event->position().toPoint() + ScrollOffset() - grabPointer;
    const PixelRect old = marks.Placed(*grabbed).made.base.screenRect;
    const QPoint d(grabRect.left + moved.x() - old.left, grabRect.top + moved.y() - old.top);
    if (d.isNull()) return;
    marks.Move(*grabbed, d.x(), d.y(), View());
    if (!outlineShown) {
        outlineShown = true;
        InvalidateFrame(grabRect);
    }
    InvalidateFrame(old);
    InvalidateFrame(marks.Placed(*grabbed).made.base.screenRect);
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!grabbed) return;
    const QPoint offset = ScrollOffset();
    viewport()->update(ToQRect(grabRect).translated(-offset));
    const PixelRect& at = marks.Placed(*grabbed).made.base.screenRect;
    marks.Drop(*grabbed, at.left - grabRect.left, at.top - grabRect.top, View());
    grabRect = {0, 0, 0, 0};
    // A tiled mark's other tiles move with it.
    if (marks.Placed(*grabbed).places.size() > 1) {
        viewport()->update();
    } else {
        viewport()->update(ToQRect(marks.Placed(*grabbed).made.base.screenRect).translated(-offset));
    }
    const MarkKind dropped = *grabbed;
    grabbed.reset();
    outlineShown = false;
    viewport()->unsetCursor();
    emit MarkDropped(dropped);
}

void CanvasView::ScrollByWheel(QScrollBar* bar, int& accumulated, int delta, int step) {
    if (delta == 0) return;
    accumulated += delta;
    const int64_t turned = std::abs(int64_t{accumulated}) * std::max(0, QApplication::wheelScrollLines());
    // One step for each started notch of the turn, never more than it takes
    // to cross the whole extent.
    const int64_t steps =
        std::min<int64_t>((turned + kWheelNotch - 1) / kWheelNotch, bar->maximum() / step + 1);
    for (int64_t i = 0; i < steps; ++i) bar->setValue(bar->value() + (delta > 0 ? -step : step));
    accumulated %= kWheelNotch;
}

void CanvasView::wheelEvent(QWheelEvent* event) {
    QPoint angle = event->angleDelta();
    if (angle.isNull()) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        // Zooms by a step for each notch, keeping the point under the pointer.
        if (!document.loaded) return;
        const double notches = (angle.y() != 0 ? angle.y() : angle.x()) / static_cast<double>(kWheelNotch);
        const double least = std::min(static_cast<double>(kLeastZoom), static_cast<double>(document.zoom));
        const double zoom = std::clamp(static_cast<double>(document.zoom) * std::pow(kWheelZoomStep, notches),
                                       least, static_cast<double>(kMostZoom));
        if (static_cast<float>(zoom) != document.zoom)
            ZoomAround(static_cast<float>(zoom), event->position());
        return;
    }
    // A wheel turned over a picture that scrolls only sideways scrolls it
    // sideways; a sideways swipe always does.
    if (angle.x() == 0 && verticalScrollBar()->maximum() == 0) angle = QPoint(angle.y(), 0);
    ScrollByWheel(horizontalScrollBar(), wheelAccumulator.rx(), angle.x(), lineStep.width());
    ScrollByWheel(verticalScrollBar(), wheelAccumulator.ry(), angle.y(), lineStep.height());
}

}  // namespace stampora
