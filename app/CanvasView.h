#pragma once
// The scrolling canvas inside the main window: shows the picture at a zoom,
// previews the two watermarks over it with their opacity, lets the user drag
// them, and composes the full-resolution result that saving writes.
#include <QAbstractScrollArea>
#include <QPoint>
#include <QSize>
#include <memory>
#include <thread>

#include "app/PictureDocument.h"
#include "image/DibTypes.h"
#include "image/DrawingSurface.h"
#include "watermark/ImageWatermark.h"
#include "watermark/MarkFit.h"
#include "watermark/TextWatermark.h"

class QRegion;

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
    const TextWatermark& TextMark() const { return textMark; }
    const ImageWatermark& ImageMark() const { return imageMark; }

    // Loads a picture (UTF-8 path) and shows it fitted, with both marks
    // placed on it again. On failure the canvas keeps what it showed and
    // the reason is in `status`.
    bool OpenPicture(const std::string& path, FileStatus* status);

    // Lays the picture out again (fitting it unless the user chose a zoom)
    // and scrolls back to the top-left.
    void RefreshView();
    void ZoomIn();
    void ZoomOut();
    void FullSize();

    // The text dialog was confirmed with `edited`: it becomes the editor's
    // text mark, rendered afresh and centred in the visible picture.
    void TakeTextMark(const TextWatermark& edited);
    // The text dialog was cancelled: the mark stays as it was.
    void CancelTextMarkEdit();
    // How each mark adapts to the picture it goes on: its relative size,
    // margin and tiling.
    void SetMarkFits(const MarkFit& textFit, const MarkFit& imageFit);
    const MarkFit& TextFit() const { return textFit; }
    const MarkFit& ImageFit() const { return imageFit; }
    // The image dialog was confirmed with `edited`: it becomes the editor's
    // image mark; an enabled mark is prepared and centred in the visible
    // picture.
    void TakeImageMark(const ImageWatermark& edited);
    // The image dialog was cancelled: the mark stays as it was.
    void CancelImageMarkEdit();

    // The picture at full resolution, promoted to 32 bits, with the enabled
    // image mark and then the enabled text mark blended in at their picture
    // positions; empty when memory fails for it.
    CRasterImage ComposeForSave() const;

    // Draws the content of the surface's area: background, framed picture,
    // image mark, text mark and the drag outline.
    void Render(CDrawingSurface& surface) const;

    // Waits for the smoothly reduced levels of the picture, which are made
    // in the background after its first paint, and puts them in use. Until
    // they are ready a reduced view is drawn straight from the picture.
    void FinishReducing();

    // The scroll offset: content coordinates of the client's top-left.
    QPoint ScrollOffset() const;
    bool IsDragging() const { return draggingText || draggingImage; }
    // Places marks whose layout is pending on the current picture, showing a
    // fit check's message if one is refused. Runs before every repaint that
    // follows a change, never inside one.
    void LayOutPendingMarks();

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
    void UpdateScrollBars();
    // Page steps of the bars move by a tenth of the extent, whatever the
    // thumb's size.
    void StepPage(int action, bool vertical);
    // Repaints the whole canvas at once after a mark changed.
    void InvalidateMark();
    // Repaints the one-pixel frame along the inside of a content rectangle.
    void InvalidateFrame(const PixelRect& rect);
    WatermarkBase* GrabbedMark();
    void StartReducing();
    void TakeReducedLevels(const std::shared_ptr<CReducedLevels>& levels);

    PictureDocument document;
    TextWatermark textMark;
    ImageWatermark imageMark;
    MarkFit textFit;
    MarkFit imageFit;
    bool textLayoutPending = false;
    bool imageLayoutPending = false;
    bool imageCentrePending = false;

    QSize extent{0, 0};
    QSize lineStep{1, 1};
    QSize pageStep{1, 1};
    int wheelAccumulator = 0;

    bool draggingText = false;
    bool draggingImage = false;
    bool outlineShown = false;
    QPoint lastPointer{-1, -1};
    PixelRect grabRect{0, 0, 0, 0};
    QPoint grabScroll;

    CDrawingSurface surface;  // reused from paint to paint

    // The background work that reduces the current picture; it only reads the
    // picture, which is not replaced before the work is joined.
    std::thread reducer;
    std::shared_ptr<CReducedLevels> reducing;
    bool reducePending = false;  // the picture awaits its first paint
};

}  // namespace stampora
