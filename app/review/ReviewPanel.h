#pragma once
// The batch dialog's review: the pictures the run will take as thumbnails
// with their marks, one opened large to move its marks, and the moved marks
// saved as a placements file for the command-line tool.
#include <QGroupBox>
#include <QTimer>
#include <functional>

#include "batch/BatchJob.h"

class QLabel;
class QPushButton;

namespace stampora {

class ThumbnailStrip;

class ReviewPanel : public QGroupBox {
    Q_OBJECT
public:
    // `readJob` brings the job up to date with the dialog's fields before
    // the pictures are listed again.
    ReviewPanel(CBatchJob& job, std::function<void()> readJob, QWidget* parent = nullptr);

    // Lists and makes the thumbnails again soon: a burst of changes (typing
    // a folder's name) makes them once.
    void Refresh();
    // Stops the thumbnails still to be made (the dialog closes).
    void Cancel();
    // Opens picture `row` large; its moved marks are the job's when it closes.
    void OpenPicture(int row);
    ThumbnailStrip* Strip() const { return strip; }

private:
    void ShowNow();
    void SavePlacements();
    void ShowCount(int count, const QString& problem);

    CBatchJob& job;
    std::function<void()> readJob;
    QTimer refreshSoon;
    ThumbnailStrip* strip;
    QLabel* count;
    QPushButton* saveButton;
};

}  // namespace stampora
