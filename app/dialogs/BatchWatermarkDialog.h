#pragma once
// "Batch Watermark": collects what a batch run needs (source directory,
// picture types, a text and an image watermark each with its anchor, output
// directory), starts runs and shows their progress. Runs go on in the
// dialog's own thread: the window keeps painting its progress but takes no
// input until the run ends. Its marks, options and folders are remembered
// for the next time it opens, in the settings' folder.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "batch/BatchJob.h"
#include "batch/BatchUi.h"
#include "batch/options/RunSettings.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace stampora {

class AlignmentGrid;
class OutputOptionsBox;
class ReviewPanel;

class BatchWatermarkDialog : public QDialog, public CBatchUi {
    Q_OBJECT
public:
    // `outputDirectory` is the editor's output directory (UTF-8), the
    // starting value of the output field.
    explicit BatchWatermarkDialog(const std::string& outputDirectory, QWidget* parent = nullptr);

    // The job: directories and type flags as last read, and the two marks.
    CBatchJob job;

    bool Running() const { return running; }

    // The marks and fits "Use the editor's marks" takes; without them the
    // button is disabled.
    void OfferEditorMarks(const RunSettings& marks);
    // The marks, fits and options of the next run, as a preset keeps them.
    RunSettings Settings();

    // CBatchUi.
    bool ReadFields(BatchFields& fields) override;
    void EnableProcess(bool enabled) override;
    void SetProgress(int32_t position) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool ConfirmReplaceOriginals(const std::string& directory) override;
    void FileFinished(const std::string& name, const BatchFileResult& result) override;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Reads the directory edits and the check boxes into the job.
    void StoreFields();
    void ShowFields();
    void AllImagesClicked();
    void TypeClicked(ImageFormat format);
    void Browse(bool source);
    void EditTextMark();
    void EditImageMark();
    void Process();
    // The option controls into the job, and back.
    void StoreOptions();
    void ShowOptions();
    void LoadPreset();
    void SavePreset();
    void UseEditorMarks();
    // The dialog's state as the next opening starts from it.
    void Remember();
    void Restore();

    bool running = false;
    bool closeAfterRun = false;
    // The files of the current run that did not come out whole: how many,
    // and the first few of them with the reason, for the closing message.
    int32_t incompleteCount = 0;
    std::vector<std::string> incompleteLines;

    QLineEdit* sourceEdit;
    QLineEdit* outputEdit;
    QCheckBox* allImagesBox;
    // One box per format a run can write back, in the table's order.
    std::vector<std::pair<ImageFormat, QCheckBox*>> typeBoxes;
    AlignmentGrid* textGrid;
    AlignmentGrid* imageGrid;
    OutputOptionsBox* outputOptions;
    QCheckBox* recursiveBox;
    QCheckBox* skipExistingBox;
    QPushButton* editorMarksButton;
    RunSettings editorMarks;
    QProgressBar* progress;
    QPushButton* processButton;
    // The selected pictures with their marks, each mark movable on its own.
    ReviewPanel* review;
};

// The closing message of a run, followed by the lines of the first ten
// files that did not come out whole and by how many more there were.
std::string ClosingMessageWithFiles(const std::string& message, const std::vector<std::string>& lines,
                                    int32_t count);

// Asked before a run whose output directory is its source directory.
std::string ReplaceOriginalsQuestion(const std::string& directory);

}  // namespace stampora
