#include "app/review/PictureReviewDialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QLabel>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>
#include <QUndoCommand>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

namespace stampora {

namespace {

// Shown at most this large: enough to place a mark to a pixel or two on a
// screen, small enough to be read quickly.
constexpr int kReviewSide = 1600;

// A mark on the picture that the user may drag: it stays inside the
// picture, lands on whole pixels, and tells where it was dropped.
class MarkItem : public QGraphicsPixmapItem {
public:
    MarkItem(const QPixmap& layer, QSizeF picture, std::function<void(QPointF)> dropped)
        : QGraphicsPixmapItem(layer), picture(picture), dropped(std::move(dropped)) {
        setFlags(ItemIsMovable | ItemSendsGeometryChanges);
        setCursor(Qt::SizeAllCursor);
        setShapeMode(BoundingRectShape);
    }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override {
        if (change != ItemPositionChange) return QGraphicsPixmapItem::itemChange(change, value);
        const QPointF wanted = value.toPointF();
        const QSizeF size = boundingRect().size();
        return QPointF(
            std::round(std::clamp(wanted.x(), 0.0, std::max(0.0, picture.width() - size.width()))),
            std::round(std::clamp(wanted.y(), 0.0, std::max(0.0, picture.height() - size.height()))));
    }
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override {
        pressedAt = pos();
        QGraphicsPixmapItem::mousePressEvent(event);
    }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override {
        QGraphicsPixmapItem::mouseReleaseEvent(event);
        if (pos() != pressedAt) dropped(pos());
    }

private:
    QSizeF picture;
    std::function<void(QPointF)> dropped;
    QPointF pressedAt;
};

// One step of the history: the placement before and after it.
class PlacementCommand : public QUndoCommand {
public:
    PlacementCommand(const QString& text, PicturePlacement before, PicturePlacement after,
                     std::function<void(const PicturePlacement&)> apply)
        : QUndoCommand(text), before(std::move(before)), after(std::move(after)), apply(std::move(apply)) {}
    void undo() override { apply(before); }
    void redo() override { apply(after); }

private:
    PicturePlacement before;
    PicturePlacement after;
    std::function<void(const PicturePlacement&)> apply;
};

// The view keeps the whole picture in sight as the window changes size.
class FittedView : public QGraphicsView {
public:
    using QGraphicsView::QGraphicsView;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QGraphicsView::resizeEvent(event);
        if (scene() != nullptr) fitInView(scene()->sceneRect(), Qt::KeepAspectRatio);
    }
};

}  // namespace

PictureReviewDialog::PictureReviewDialog(std::shared_ptr<ReviewMarks> marks, std::string path, int64_t number,
                                         const PicturePlacement& placed, QWidget* parent)
    : QDialog(parent),
      marks(std::move(marks)),
      path(std::move(path)),
      number(number),
      placement(placed),
      view(new FittedView(&scene, this)),
      hint(new QLabel(QStringLiteral("Reading the picture..."), this)) {
    setWindowTitle(QStringLiteral("Review"));
    setObjectName(QStringLiteral("pictureReview"));
    view->setObjectName(QStringLiteral("reviewView"));
    view->setRenderHint(QPainter::SmoothPixmapTransform);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setBackgroundBrush(palette().window());

    auto* undo = history.createUndoAction(this, QStringLiteral("&Undo"));
    undo->setShortcut(QKeySequence::Undo);
    auto* redo = history.createRedoAction(this, QStringLiteral("&Redo"));
    redo->setShortcut(QKeySequence::Redo);
    addAction(undo);
    addAction(redo);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* undoButton = buttons->addButton(QStringLiteral("Undo"), QDialogButtonBox::ActionRole);
    auto* reset = buttons->addButton(QStringLiteral("Reset"), QDialogButtonBox::ResetRole);
    undoButton->setObjectName(QStringLiteral("undo"));
    for (QPushButton* button : {undoButton, reset}) button->setAutoDefault(false);
    reset->setObjectName(QStringLiteral("reset"));
    undoButton->setEnabled(false);
    connect(&history, &QUndoStack::canUndoChanged, undoButton, &QPushButton::setEnabled);
    connect(undoButton, &QPushButton::clicked, &history, &QUndoStack::undo);
    connect(reset, &QPushButton::clicked, this, &PictureReviewDialog::Reset);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    resize(900, 680);

    // Read away from the window. The reader is waited for before the dialog
    // goes, and a result posted to a dialog that is gone is dropped.
    reading.start([this, shared = this->marks, file = this->path] {
        ReducedPicture read = ReadReduced(file, kReviewSide, shared->NeedsMetadata());
        QMetaObject::invokeMethod(
            this, [this, read = std::move(read)] { TakePicture(read); }, Qt::QueuedConnection);
    });
}

PictureReviewDialog::~PictureReviewDialog() = default;

void PictureReviewDialog::TakePicture(const ReducedPicture& read) {
    picture = read;
    if (!picture.Read()) {
        hint->setText(QStringLiteral("The picture cannot be read: ") + QString::fromStdString(picture.error));
        return;
    }
    hint->setText(QStringLiteral("Drag a mark to move it on this picture only."));
    scene.setSceneRect(0, 0, picture.width, picture.height);
    Place(placement);
    emit PictureReady();
}

void PictureReviewDialog::Place(const PicturePlacement& placed) {
    placement = placed;
    scene.clear();
    if (!picture.Read()) return;
    auto* shown = scene.addPixmap(QPixmap::fromImage(picture.pixels));
    shown->setTransformationMode(Qt::SmoothTransformation);
    shown->setScale(static_cast<double>(picture.width) / picture.pixels.width());
    const QSizeF size(picture.width, picture.height);
    for (const ShownMark& mark : marks->ForPicture(path, picture, number, placement)) {
        const QPixmap layer = QPixmap::fromImage(mark.layer);
        for (const QPoint& place : mark.places) {
            QGraphicsPixmapItem* item = nullptr;
            if (mark.movable) {
                const MarkKind kind = mark.kind;
                const QPoint overhang = mark.overhang;
                // Items are made again once the drop is taken, so it is taken
                // after the item has finished with its event.
                item = new MarkItem(layer, size, [this, kind, overhang](QPointF at) {
                    QTimer::singleShot(
                        0, this, [this, kind, at, overhang] { MoveMark(kind, at.toPoint() + overhang); });
                });
                item->setToolTip(kind == MarkKind::Text ? QStringLiteral("Text mark: drag to move it")
                                                        : QStringLiteral("Image mark: drag to move it"));
                scene.addItem(item);
            } else {
                item = scene.addPixmap(layer);
            }
            item->setPos(place);
            item->setOpacity(mark.opacity);
            item->setTransformationMode(Qt::SmoothTransformation);
        }
    }
    FitView();
}

void PictureReviewDialog::MoveMark(MarkKind kind, QPoint markTopLeft) {
    PicturePlacement after = placement;
    after.Of(kind) = MarkPoint{markTopLeft.x(), markTopLeft.y()};
    if (after.Of(kind) == placement.Of(kind)) return;
    history.push(new PlacementCommand(
        kind == MarkKind::Text ? QStringLiteral("Move the text mark") : QStringLiteral("Move the image mark"),
        placement, after, [this](const PicturePlacement& p) { Place(p); }));
}

void PictureReviewDialog::Reset() {
    if (placement.Empty()) return;
    history.push(new PlacementCommand(QStringLiteral("Reset"), placement, PicturePlacement{},
                                      [this](const PicturePlacement& p) { Place(p); }));
}

void PictureReviewDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitView();
}

void PictureReviewDialog::FitView() {
    if (picture.Read()) view->fitInView(scene.sceneRect(), Qt::KeepAspectRatio);
}

}  // namespace stampora
