#include "app/review/ThumbnailStrip.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

#include "app/dialogs/DialogFields.h"
#include "app/review/ReducedPicture.h"
#include "batch/SourceSelection.h"
#include "platform/PathJoin.h"

namespace stampora {

namespace {

constexpr int kThumbnailSide = 160;

// The marks drawn over a reduced picture as the run stamps them over the
// whole one.
QImage Composed(const ReducedPicture& picture, const std::vector<ShownMark>& marks) {
    QImage shown = picture.pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&shown);
    const double scale = static_cast<double>(shown.width()) / picture.width;
    for (const ShownMark& mark : marks) {
        // Reduced once, smoothly: thin strokes of a text stay whole.
        const QImage layer = mark.layer.scaled(std::max(1, qRound(mark.layer.width() * scale)),
                                               std::max(1, qRound(mark.layer.height() * scale)),
                                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.setOpacity(mark.opacity);
        for (const QPoint& place : mark.places)
            painter.drawImage(QPointF(place.x() * scale, place.y() * scale), layer);
    }
    return shown;
}

// A grey square standing for a thumbnail not made yet, or for a file that
// could not be read.
QIcon Placeholder(bool failed) {
    QImage square(kThumbnailSide, kThumbnailSide * 2 / 3, QImage::Format_ARGB32_Premultiplied);
    square.fill(failed ? QColor(200, 120, 120) : QColor(210, 210, 210));
    return QIcon(QPixmap::fromImage(square));
}

}  // namespace

QImage WithMovedBadge(QImage thumbnail) {
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::max(16, thumbnail.height() / 5);
    const QRectF badge(thumbnail.width() - side - 3, 3, side, side);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(QColor(30, 110, 220));
    painter.drawEllipse(badge);
    // Four arrows from the centre: the sign of a moved mark.
    const QPointF c = badge.center();
    const double r = side * 0.34;
    const double head = side * 0.12;
    painter.setBrush(Qt::white);
    for (const QPointF d : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)}) {
        const QPointF tip = c + d * r;
        const QPointF across(d.y(), d.x());
        painter.drawLine(c, tip);
        painter.drawPolygon(QPolygonF({tip, tip - d * head + across * head, tip - d * head - across * head}));
    }
    return thumbnail;
}

ThumbnailStrip::ThumbnailStrip(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    // Room for a landscape photograph; an upright one is shown as tall.
    setIconSize(QSize(kThumbnailSide, kThumbnailSide * 3 / 4));
    setGridSize(QSize(kThumbnailSide + 16, kThumbnailSide * 3 / 4 + 28));
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Leave a core to the window on a small machine; never many workers,
    // each holds a picture while it reduces it.
    pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 4));
}

ThumbnailStrip::~ThumbnailStrip() {
    Cancel();
    pool.waitForDone();
}

void ThumbnailStrip::Cancel() {
    ++generation;
    pool.clear();
}

std::string ThumbnailStrip::NameAt(int row) const {
    return row >= 0 && static_cast<size_t>(row) < names.size() ? names[static_cast<size_t>(row)]
                                                               : std::string();
}

std::string ThumbnailStrip::PathAt(int row) const {
    return JoinPath(folder, NameAt(row));
}

void ThumbnailStrip::ShowPictures(const CBatchJob& job) {
    Cancel();
    clear();
    names.clear();
    made = 0;
    folder = job.sourceDirectory;
    marks = std::make_shared<ReviewMarks>(job);
    const quint64 listing = generation;
    if (folder.empty()) {
        emit Listed(0, QString());
        return;
    }
    // The listing is made where the run makes it, with the run's filter and
    // selection, so the strip shows the pictures the run will take.
    const std::string output = job.outputDirectory;
    const std::string filter = BuildTypeFilter(job.typeFlags);
    const SourceSelection selection = job.selection;
    const Placements placements = job.placements;
    pool.start([this, listing, output, filter, selection, placements, source = folder] {
        if (generation != listing) return;
        std::vector<std::string> listed;
        std::vector<std::string> refused;
        std::string leftOut;
        const bool ok = SelectSourceFiles(source, output, filter, selection, listed, refused, leftOut);
        QMetaObject::invokeMethod(
            this,
            [this, listing, listed = std::move(listed), ok, placements] {
                if (generation != listing) return;
                TakeListing(listing, listed, ok);
                for (int row = 0; row < count(); ++row) Make(row, placements.For(NameAt(row)));
            },
            Qt::QueuedConnection);
    });
}

void ThumbnailStrip::TakeListing(quint64, const std::vector<std::string>& listed, bool ok) {
    names = listed;
    const QIcon waiting = Placeholder(false);
    setUpdatesEnabled(false);
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(waiting, QStringFromUtf8(name), this);
        item->setToolTip(QStringFromUtf8(name));
    }
    setUpdatesEnabled(true);
    emit Listed(static_cast<int>(names.size()),
                ok ? QString() : QStringLiteral("The source directory cannot be listed."));
}

void ThumbnailStrip::Remake(int row, const PicturePlacement& placed) {
    if (row < 0 || row >= count()) return;
    Make(row, placed);
}

void ThumbnailStrip::Make(int row, const PicturePlacement& placed) {
    const quint64 listing = generation;
    pool.start([this, listing, row, placed, path = PathAt(row), shared = marks] {
        if (generation != listing) return;
        const ReducedPicture picture = ReadReduced(path, kThumbnailSide, shared->NeedsMetadata());
        QImage thumbnail;
        if (picture.Read()) {
            thumbnail = Composed(picture, shared->ForPicture(path, picture, row + 1, placed));
        }
        const bool moved = !placed.Empty();
        const QString problem = QStringFromUtf8(picture.error);
        QMetaObject::invokeMethod(
            this, [=, this] { TakeThumbnail(listing, row, thumbnail, moved, problem); },
            Qt::QueuedConnection);
    });
}

void ThumbnailStrip::TakeThumbnail(quint64 listing, int row, const QImage& thumbnail, bool moved,
                                   const QString& problem) {
    QListWidgetItem* shown = item(row);
    if (generation != listing || shown == nullptr) return;
    ++made;
    if (thumbnail.isNull()) {
        shown->setIcon(Placeholder(true));
        shown->setToolTip(shown->text() + QStringLiteral(": ") + problem);
        return;
    }
    shown->setIcon(QIcon(QPixmap::fromImage(moved ? WithMovedBadge(thumbnail) : thumbnail)));
    shown->setToolTip(moved ? shown->text() + QStringLiteral(": marks moved on this picture")
                            : shown->text());
}

}  // namespace stampora
