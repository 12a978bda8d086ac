#pragma once
// One picture of a batch shown large with its marks as they will be
// stamped. Dragging a mark moves it on this picture only; Ctrl+Z takes a move
// back, "Reset" puts both marks back at their anchors.
#include <QDialog>
#include <QGraphicsScene>
#include <QThreadPool>
#include <QUndoStack>
#include <memory>
#include <string>

#include "app/review/ReducedPicture.h"
#include "app/review/ReviewMarks.h"

class QGraphicsPixmapItem;
class QGraphicsView;
class QLabel;

namespace stampora {

class PictureReviewDialog : public QDialog {
    Q_OBJECT
public:
    PictureReviewDialog(std::shared_ptr<ReviewMarks> marks, std::string path, int64_t number,
                        const PicturePlacement& placed, QWidget* parent = nullptr);
    ~PictureReviewDialog() override;

    const PicturePlacement& Placement() const { return placement; }
    // Moves a mark as a drag does, undoably (for the view and its tests).
    void MoveMark(MarkKind kind, QPoint markTopLeft);
    void Reset();
    QUndoStack& History() { return history; }
    bool PictureShown() const { return picture.Read(); }

signals:
    // The picture was read and is shown.
    void PictureReady();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void TakePicture(const ReducedPicture& read);
    void Apply(const PicturePlacement& placed);
    void Place(const PicturePlacement& placed);
    void Dropped(MarkKind kind, QPointF layerTopLeft);
    void FitView();

    std::shared_ptr<ReviewMarks> marks;
    std::string path;
    int64_t number;
    PicturePlacement placement;
    ReducedPicture picture;
    QGraphicsScene scene;
    QGraphicsView* view;
    QLabel* hint;
    QUndoStack history;
    // Last, so it is the first to go and waits for the picture being read.
    QThreadPool reading;
};

}  // namespace stampora
