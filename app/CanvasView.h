#pragma once
// The scrolling canvas inside the main window: shows the picture at a zoom,
// previews the two watermarks over it with their opacity, lets the user drag
// them, and composes the full-resolution result that saving writes.
#include <QAbstractScrollArea>
#include <QPoint>
#include <QSize>
#include <memory>
#include <optional>
#include <thread>

#include "app/EditorMarks.h"
#include "app/PictureDocument.h"
#include "image/DibTypes.h"
#include "image/DrawingSurface.h"

class QRegion;
class QScrollBar;

namespace stampora {

class CanvasView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CanvasView(QWidget* parent = nullptr);
    ~CanvasView() override;

    PictureDocument& Document() { return document; }
    const PictureDocument& Document() const { return document; }
    // The loaded picture's size; 0 x 0 with none.
    QSize PictureSize() const { return {document.sourceWidth, document.sourceHeight}; }
    // The marks as the user set them, and as made for the open picture.
    const TextWatermark& TextMark() const { return marks.Text(); }
    const ImageWatermark& ImageMark() const { return marks.Image(); }
    const MarkFit& TextFit() const { return marks.TextFit(); }
    const MarkFit& ImageFit() const { return marks.ImageFit(); }
    const EditorMarks& Marks() const { return marks; }

    // Loads a picture (UTF-8 path) and shows it fitted, with both marks
    // made for it again: a mark it cannot take is hidden with the reason
    // told, and shows again on the next picture it fits. On failure the canvas keeps what it showed and
    // the reason is in `status`. A large JPEG is shown at once from a
    // reduced decode while the whole picture is read in the background.
    bool OpenPicture(const std::string& path, Status* status);
    // Waits, with a busy cursor, for the whole picture of one opened as a
    // reduced view, and shows it; false when there is no whole picture.
    bool FinishOpening();

    // Lays the picture out again (fitting it unless the user chose a zoom)
    // and scrolls back to the top-left.
    void RefreshView();
    void ZoomIn();
    void ZoomOut();
    void FullSize();
    // Shows the whole picture as large as the canvas holds it, up to the
    // largest zoom.
    void FitToWindow();
    // The picture's name, size and zoom for the window's title
    // ("harbour.jpg (6000 x 4000) - 11 %"); empty without a picture.
    QString ViewTitle() const;

    // The text dialog was confirmed with `edited`: it becomes the editor's
    // text mark, rendered afresh for the picture (with `fit`, or the fit it
    // had) and centred in it. A mark the picture cannot take is hidden with
    // the reason told.
    void TakeTextMark(const TextWatermark& edited);
    void TakeTextMark(const TextWatermark& edited, const MarkFit& fit);
    // The same for the image dialog.
    void TakeImageMark(const ImageWatermark& edited);
    void TakeImageMark(const ImageWatermark& edited, const MarkFit& fit);
    // Marks from a preset or a past session, placed by their anchors as the
    // batch tool places them; an inactive one leaves the mark as it was.
    void TakeAnchoredMarks(const TextWatermark& textMark, const MarkFit& textFit,
                           const ImageWatermark& imageMark, const MarkFit& imageFit);
    // New fits for both marks, made again for the picture where they lie.
    void SetMarkFits(const MarkFit& textFit, const MarkFit& imageFit);
    // Puts back a state of the marks taken earlier, as EditorMarks::Restore.
    void TakeMarkState(const MarkState& state);
    // A mark dialog's mark while the dialog is open: shown centred, as OK
    // would show it, and hidden without a word when the picture cannot take it.
    void PreviewTextMark(const TextWatermark& edited, const MarkFit& fit);
    void PreviewImageMark(const ImageWatermark& edited, const MarkFit& fit);
    // The mark is no longer shown nor stamped.
    void RemoveMark(MarkKind kind);

    // The picture at full resolution, promoted to 32 bits, with the shown
    // image mark and then the shown text mark blended in at their picture
    // positions (waiting for the whole picture if need be); empty when
    // memory fails for it.
    CRasterImage ComposeForSave();

    // Draws the content of the surface's area: background, framed picture
    // (over a checkerboard where it is transparent), image mark, text mark
    // and the drag outline. The surface's pixels are the screen's: the
    // content coordinates times the device pixel ratio last painted at.
    void Render(CDrawingSurface& surface) const;

    // Waits for the whole picture and for its smoothly reduced levels, which
    // are made in the background after its first paint, and puts them in
    // use. Until they are ready a reduced view is drawn straight from the
    // picture.
    void FinishReducing();

    // The largest zoom of every zoom command.
    static constexpr float kMostZoom = 2.0f;

    // The scroll offset: content coordinates of the client's top-left.
    QPoint ScrollOffset() const;
    bool IsDragging() const { return grabbed.has_value(); }

signals:
    // Another picture is shown, or the zoom changed.
    void ViewChanged();
    // A mark the user grabbed was let go, moved or not.
    void MarkDropped(MarkKind kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QSize ClientSize() const;
    void ApplyZoom(float zoom);
    // Zooms keeping the picture point under `pointer` (viewport
    // coordinates) where it is.
    void ZoomAround(float zoom, QPointF pointer);
    // Scrolls a bar by the started notches of a wheel's turn.
    void ScrollByWheel(QScrollBar* bar, int& accumulated, int delta, int step);
    // Draws the picture into `shown` (surface pixels) from `whole` or the
    // level of `levels` that suits the zoom.
    void DrawPicture(CDrawingSurface& dc, const CRasterImage& whole, const CReducedLevels& levels,
                     const PixelRect& shown) const;
    // The dark squares of the checkerboard under a transparent picture.
    void DrawDarkSquares(CDrawingSurface& dc, const PixelRect& shown) const;
    void StartOpening();
    void TakeWholePicture(std::shared_ptr<PictureDocument::WholePicture> whole);
    void UpdateScrollBars();
    // Page steps of the bars move by a tenth of the extent, whatever the
    // thumb's size.
    void StepPage(int action, bool vertical);
    // Where the picture is drawn, for the marks.
    MarkView View() const { return {document.displayRect, document.zoom}; }
    // Tells the user why marks are not shown, then repaints them.
    void ShowMarks(const std::vector<std::string>& refused);
    // Draws one shown mark: its layer at its place, or at every tile.
    void DrawMark(CDrawingSurface& dc, const PlacedMark& on, MarkKind kind) const;
    // Repaints the whole canvas at once after a mark changed.
    void InvalidateMark();
    // Repaints the one-pixel frame along the inside of a content rectangle.
    void InvalidateFrame(const PixelRect& rect);
    void StartReducing();
    void TakeReducedLevels(const std::shared_ptr<PictureDocument::Levels>& levels);

    PictureDocument document;
    EditorMarks marks;

    QSize extent{0, 0};
    QSize lineStep{1, 1};
    QSize pageStep{1, 1};
    QPoint wheelAccumulator{0, 0};

    std::optional<MarkKind> grabbed;
    bool outlineShown = false;
    // Where the pointer grabbed the mark, in content coordinates, and where
    // the mark lay then: the mark moves as far as the pointer has since.
    QPoint grabPointer;
    PixelRect grabRect{0, 0, 0, 0};

    CDrawingSurface surface;  // reused from paint to paint
    // The dark squares drawn apart from the light ones, for a transparent
    // picture.
    mutable CDrawingSurface darkSurface;
    int deviceScale = 1;  // surface pixels per content pixel

    // The background read of the whole picture of one shown from its
    // reduced view; the result it posts is dropped unless it is `opening`.
    std::thread opener;
    std::shared_ptr<PictureDocument::WholePicture> opening;
    bool openPending = false;  // the reduced view awaits its first paint

    // The background work that reduces the current picture; it only reads the
    // picture, which is not replaced before the work is joined.
    std::thread reducer;
    std::shared_ptr<PictureDocument::Levels> reducing;
    bool reducePending = false;  // the picture awaits its first paint
};

}  // namespace stampora
