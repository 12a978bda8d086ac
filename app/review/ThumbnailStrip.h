#pragma once
// The pictures a batch run will take, as thumbnails with the marks as they
// will be stamped. The folder is listed and each thumbnail made by a bounded
// pool of background workers, so a folder of a thousand photographs shows
// its first pictures at once and the window never waits; showing another
// folder or closing cancels what is still to be made.
#include <QImage>
#include <QListWidget>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/review/ReviewMarks.h"
#include "batch/BatchJob.h"

namespace stampora {

class ThumbnailStrip : public QListWidget {
    Q_OBJECT
public:
    explicit ThumbnailStrip(QWidget* parent = nullptr);
    ~ThumbnailStrip() override;

    // Shows the pictures `job` selects, with its marks and placements.
    void ShowPictures(const CBatchJob& job);
    // Makes one picture's thumbnail again, its marks placed as `placed`.
    void Remake(int row, const PicturePlacement& placed);
    // Stops every thumbnail still to be made.
    void Cancel();

    std::string NameAt(int row) const;
    std::string PathAt(int row) const;
    const std::shared_ptr<ReviewMarks>& Marks() const { return marks; }
    // Thumbnails made since the pictures were last shown.
    int MadeCount() const { return made; }

signals:
    // The folder was listed: how many pictures, or why it could not be.
    void Listed(int count, const QString& problem);

private:
    void TakeListing(quint64 listing, const std::vector<std::string>& names, bool listed);
    void Make(int row, const PicturePlacement& placed);
    void TakeThumbnail(quint64 listing, int row, const QImage& thumbnail, bool moved, const QString& problem);

    QThreadPool pool;
    // Raised by every new listing: work of an older one is dropped.
    std::atomic<quint64> generation{0};
    std::string folder;
    std::vector<std::string> names;
    std::shared_ptr<ReviewMarks> marks;
    int made = 0;
};

// A thumbnail's badge: the marks were moved on this picture.
QImage WithMovedBadge(QImage thumbnail);

}  // namespace stampora
