#include "app/CanvasView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "app/SurfacePainting.h"
#include "codecs/metadata/ImageProperties.h"
#include "platform/MessageSink.h"
#include "watermark/WatermarkMessages.h"
#include "watermark/text/MarkText.h"

namespace stampora {

namespace {

constexpr uint32_t kFramePen = 0x000000;
constexpr uint32_t kFrameBrush = 0xFFFFFF;
// The wheel reports its turn in eighths of a degree; one notch is 120.
constexpr int kWheelNotch = 120;

QRect ToQRect(const PixelRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
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
}

void CanvasView::StartReducing() {
    if (reducer.joinable()) reducer.join();
    auto levels = std::make_shared<CReducedLevels>();
    reducing = levels;
    const CRasterImage* picture = &document.Shown();
    reducer = std::thread([this, levels, picture] {
        // Without the levels (no memory) a reduced view is drawn from the
        // picture itself.
        if (!levels->Build(*picture)) levels->Clear();
        QMetaObject::invokeMethod(
            this, [this, levels] { TakeReducedLevels(levels); }, Qt::QueuedConnection);
    });
}

void CanvasView::TakeReducedLevels(const std::shared_ptr<CReducedLevels>& levels) {
    // Levels of a picture that is no longer shown are dropped.
    if (levels != reducing) return;
    if (reducer.joinable()) reducer.join();
    document.reduced = std::move(*levels);
    reducing.reset();
    if (document.zoom < 1.0f) viewport()->update();
}

void CanvasView::FinishReducing() {
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
    // Reduced after its first paint, so the work does not delay that paint.
    reducePending = true;
    RefreshView();
    // Both marks are made for the new picture before it is shown.
    const CImageProperties none;
    const MarkTextFacts facts =
        FactsForPicture(document.path, document.sourceWidth, document.sourceHeight,
                        document.sourceFile ? document.sourceFile->properties : none, 1);
    marks.SeePicture(&document.Shown());
    ShowMarks(marks.FitToPicture(facts, View()));
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

void CanvasView::ApplyZoom(float zoom) {
    const QSize client = ClientSize();
    document.SetZoom(zoom, client.width(), client.height());
    RefreshView();
    marks.FollowView(View());
    InvalidateMark();
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

void CanvasView::ShowMarks(const std::vector<std::string>& refused) {
    for (const std::string& message : refused) ShowMessage(message, kErrorCaption, MessageIcon::Error);
    InvalidateMark();
}

CRasterImage CanvasView::ComposeForSave() const {
    CRasterImage result;
    if (!document.loaded) return result;
    // A picture that cannot take its marks is never saved without them.
    if (result.Assign(document.source).IsEmpty() || !result.PromoteDepth(32)) return CRasterImage();
    marks.StampPart(result, 0, 0);
    return result;
}

void CanvasView::Render(CDrawingSurface& dc) const {
    dc.FillRect(dc.Area(), palette().color(QPalette::Base).rgb() & 0xFFFFFFu);
    if (!document.loaded) return;
    const PixelRect& shown = document.displayRect;
    dc.DrawFramedRect({shown.left - 1, shown.top - 1, shown.right + 1, shown.bottom + 1}, kFramePen,
                      kFrameBrush);
    // Below 100 % the picture comes smoothly from a reduced level; at 100 %
    // and above it is stretched pixel for pixel.
    if (document.zoom >= 1.0f) {
        document.Shown().DrawToDC(dc, shown);
    } else {
        DrawSmoothToDC(document.PaintSource(), dc, shown);
    }
    DrawMark(dc, marks.PlacedImage(), MarkKind::Image);
    DrawMark(dc, marks.PlacedText(), MarkKind::Text);
    // Tiles reach past the picture's edges; only what lies on it is shown.
    if (marks.PlacedImage().places.size() > 1 || marks.PlacedText().places.size() > 1) {
        const uint32_t background = palette().color(QPalette::Base).rgb() & 0xFFFFFFu;
        const PixelRect& a = dc.Area();
        const PixelRect framed{shown.left - 1, shown.top - 1, shown.right + 1, shown.bottom + 1};
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
        dc.InvertFrame(grabRect);
        dc.InvertFrame(marks.Placed(*grabbed).made.base.screenRect);
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
        const PixelRect tile = OffsetRect(own, dx, dy);
        if (tile.right <= area.left || tile.left >= area.right || tile.bottom <= area.top ||
            tile.top >= area.bottom)
            continue;
        on.made.layer->DrawBlendedToDC(dc, tile, base.opacity);
    }
}

void CanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPoint offset = ScrollOffset();
    // Each rectangle of the region on its own: a drag repaints thin strips,
    // not the box around them.
    for (const QRect& rect : event->region()) {
        const PixelRect area{rect.left() + offset.x(), rect.top() + offset.y(), rect.right() + 1 + offset.x(),
                             rect.bottom() + 1 + offset.y()};
        if (!surface.Begin(area)) continue;
        Render(surface);
        PaintSurface(painter, surface, rect.topLeft());
    }
    if (reducePending && document.loaded) {
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
    grabScroll = ScrollOffset();
    const QPoint p = event->position().toPoint() + grabScroll;
    // Only a mark that is shown can be grabbed; the text mark lies on top.
    grabbed = marks.MarkAt(p.x(), p.y());
    outlineShown = false;
    if (grabbed) {
        grabRect = marks.Placed(*grabbed).made.base.screenRect;
        viewport()->setCursor(Qt::SizeAllCursor);
    }
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    if (!grabbed) return;
    const QPoint p = event->position().toPoint();
    if (lastPointer == QPoint(-1, -1)) {
        lastPointer = p;
        return;
    }
    const QPoint d = p - lastPointer;
    if (d.isNull()) return;
    const PixelRect old = marks.Placed(*grabbed).made.base.screenRect;
    marks.Move(*grabbed, d.x(), d.y(), View());
    if (!outlineShown) {
        outlineShown = true;
        InvalidateFrame(grabRect);
    }
    InvalidateFrame(old);
    InvalidateFrame(marks.Placed(*grabbed).made.base.screenRect);
    lastPointer = p;
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    lastPointer = QPoint(-1, -1);
    if (!grabbed) return;
    const QPoint offset = ScrollOffset();
    viewport()->update(ToQRect(grabRect).translated(-offset));
    grabRect = {0, 0, 0, 0};
    marks.Drop(*grabbed, View());
    // A tiled mark's other tiles move with it.
    if (marks.Placed(*grabbed).places.size() > 1) {
        viewport()->update();
    } else {
        viewport()->update(ToQRect(marks.Placed(*grabbed).made.base.screenRect).translated(-offset));
    }
    grabbed.reset();
    outlineShown = false;
    viewport()->unsetCursor();
}

void CanvasView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0) {
        event->ignore();
        return;
    }
    wheelAccumulator += delta;
    const int64_t turned =
        std::abs(int64_t{wheelAccumulator}) * std::max(0, QApplication::wheelScrollLines());
    // One step for each started notch of the turn, never more than it takes
    // to cross the whole extent.
    const bool vertical = verticalScrollBar()->maximum() > 0;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int step = vertical ? lineStep.height() : lineStep.width();
    const int64_t steps =
        std::min<int64_t>((turned + kWheelNotch - 1) / kWheelNotch, bar->maximum() / step + 1);
    for (int64_t i = 0; i < steps; ++i) bar->setValue(bar->value() + (delta > 0 ? -step : step));
    wheelAccumulator %= kWheelNotch;
    event->accept();
}

}  // namespace stampora
