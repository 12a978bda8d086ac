#include "app/review/ReviewPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogFields.h"
#include "app/review/PictureReviewDialog.h"
#include "app/review/ThumbnailStrip.h"
#include "platform/MessageSink.h"
#include "platform/qt/Choosers.h"

namespace stampora {

namespace {
constexpr int kRefreshDelayMs = 300;
}  // namespace

ReviewPanel::ReviewPanel(CBatchJob& job, std::function<void()> readJob, QWidget* parent)
    : QGroupBox(QStringLiteral("Pictures"), parent),
      job(job),
      readJob(std::move(readJob)),
      strip(new ThumbnailStrip(this)),
      count(new QLabel(this)),
      saveButton(new QPushButton(QStringLiteral("Save Placements..."), this)) {
    strip->setObjectName(QStringLiteral("thumbnails"));
    saveButton->setObjectName(QStringLiteral("savePlacements"));
    saveButton->setAutoDefault(false);
    saveButton->setToolTip(
        QStringLiteral("Save the marks moved on single pictures, for stampora-batch --placements"));
    // Two rows of four at least.
    strip->setMinimumHeight(2 * 148 + 8);
    strip->setMinimumWidth(4 * 176 + 24);
    count->setText(QStringLiteral("Click a picture to see it large and move its marks."));

    auto* row = new QHBoxLayout;
    row->addWidget(count, 1);
    row->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(strip, 1);
    layout->addLayout(row);

    refreshSoon.setSingleShot(true);
    refreshSoon.setInterval(kRefreshDelayMs);
    connect(&refreshSoon, &QTimer::timeout, this, &ReviewPanel::ShowNow);
    connect(strip, &ThumbnailStrip::Listed, this, &ReviewPanel::ShowCount);
    connect(strip, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OpenPicture(strip->row(item)); });
    connect(saveButton, &QPushButton::clicked, this, &ReviewPanel::SavePlacements);
}

void ReviewPanel::Refresh() {
    refreshSoon.start();
}

void ReviewPanel::Cancel() {
    refreshSoon.stop();
    strip->Cancel();
}

void ReviewPanel::ShowNow() {
    readJob();
    strip->ShowPictures(job);
}

void ReviewPanel::ShowCount(int pictures, const QString& problem) {
    if (!problem.isEmpty()) {
        count->setText(problem);
    } else if (job.sourceDirectory.empty()) {
        count->setText(QStringLiteral("Choose the source directory to see its pictures."));
    } else if (pictures == 0) {
        count->setText(QStringLiteral("No picture of the chosen types in the source directory."));
    } else {
        count->setText(
            QStringLiteral("%1 pictures. Click one to see it large and move its marks.").arg(pictures));
    }
}

void ReviewPanel::OpenPicture(int row) {
    const std::string name = strip->NameAt(row);
    if (name.empty() || !strip->Marks()) return;
    PictureReviewDialog review(strip->Marks(), strip->PathAt(row), row + 1, job.placements.For(name), this);
    review.setWindowTitle(QStringFromUtf8(name));
    review.exec();
    const PicturePlacement placed = review.Placement();
    job.placements.Set(name, MarkKind::Text, placed.text);
    job.placements.Set(name, MarkKind::Image, placed.image);
    strip->Remake(row, placed);
}

void ReviewPanel::SavePlacements() {
    const auto chosen = CurrentChoosers().ChooseSaveFile(this, QStringLiteral("Save Placements"), QString(),
                                                         QStringLiteral("Placements (*.csv);;All Files (*)"));
    if (!chosen || chosen->isEmpty()) return;
    Status status;
    if (!WritePlacements(Utf8FromQString(*chosen), job.placements, status))
        ShowMessage(status.Error(), kBatchErrorCaption, MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace stampora
