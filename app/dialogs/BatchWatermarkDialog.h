#pragma once
// "Batch Watermark": collects what a batch run needs (source directory,
// picture types, a text and an image watermark each with its anchor, output
// directory), starts runs and shows their progress. Runs go on in the
// dialog's own thread: the window keeps painting its progress but takes no
// input until the run ends. Everything it holds is discarded when it closes.
#include <QDialog>

#include "batch/BatchJob.h"
#include "batch/BatchUi.h"

class AlignmentGrid;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

class BatchWatermarkDialog : public QDialog, public CBatchUi {
    Q_OBJECT
public:
    // `outputDirectory` is the editor's output directory (UTF-8), the
    // starting value of the output field.
    explicit BatchWatermarkDialog(const std::string& outputDirectory, QWidget* parent = nullptr);

    // The job: directories and type flags as last read, and the two marks.
    CBatchJob job;

    bool Running() const { return running; }

    // CBatchUi.
    bool ReadFields(BatchFields& fields) override;
    void EnableProcess(bool enabled) override;
    void SetProgress(int32_t position) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool ConfirmReplaceOriginals(const std::string& directory) override;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Reads the directory edits and the check boxes into the job.
    void StoreFields();
    void ShowFields();
    void AllImagesClicked();
    void TypeClicked(int32_t BatchTypeFlags::*flag);
    void Browse(bool source);
    void EditTextMark();
    void EditImageMark();
    void Process();

    bool running = false;
    bool closeAfterRun = false;

    QLineEdit* sourceEdit;
    QLineEdit* outputEdit;
    QCheckBox* allImagesBox;
    QCheckBox* jpgBox;
    QCheckBox* bmpBox;
    QCheckBox* pngBox;
    QCheckBox* gifBox;
    QCheckBox* tgaBox;
    AlignmentGrid* textGrid;
    AlignmentGrid* imageGrid;
    QProgressBar* progress;
    QPushButton* processButton;
};

// Asked before a run whose output directory is its source directory.
std::string ReplaceOriginalsQuestion(const std::string& directory);
