#include "app/dialogs/BatchWatermarkDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogFields.h"
#include "app/dialogs/ImageWatermarkDialog.h"
#include "app/dialogs/OutputOptionsBox.h"
#include "app/dialogs/TextWatermarkDialog.h"
#include "app/review/ReviewPanel.h"
#include "app/widgets/AlignmentGrid.h"
#include "batch/FileResultLine.h"
#include "platform/IniFile.h"
#include "platform/OutputDirectorySetting.h"
#include "platform/qt/Choosers.h"

namespace stampora {

namespace {

// Longest directory a chooser may hand back; a longer path would not leave
// room for a file name.
constexpr qsizetype kMaxDirectoryLength = 259;

// How many files the closing message names.
constexpr size_t kNamedFiles = 10;

constexpr std::array<int, 9> kTextGridIds{1067, 1087, 1088, 1089, 1090, 1091, 1092, 1093, 1094};
constexpr std::array<int, 9> kImageGridIds{1095, 1096, 1097, 1098, 1099, 1100, 1101, 1102, 1103};

// Where the dialog's state waits for its next opening: the marks and options
// as a preset, the folders beside the output directory in config.ini.
constexpr char kRememberedFile[] = "batch.ini";
constexpr char kSettingsSection[] = "Setting";
constexpr char kSourceKey[] = "BatchSourceDir";
constexpr char kOutputKey[] = "BatchOutputDir";
const QString kPresetFilters = QStringLiteral("Presets (*.ini);;All Files (*)");

int32_t CheckState(const QCheckBox& box) {
    return box.isChecked() ? 1 : 0;
}

// A flag outside 0..2 is shown as clear.
bool ShownChecked(int32_t flag) {
    return flag == 1 || flag == 2;
}

// Keeps the application from taking input while a run goes on and shows it
// busy; painting goes on.
class RunInProgress {
public:
    explicit RunInProgress(bool& running) : running(running) {
        running = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~RunInProgress() {
        QApplication::restoreOverrideCursor();
        running = false;
    }
    RunInProgress(const RunInProgress&) = delete;
    RunInProgress& operator=(const RunInProgress&) = delete;

private:
    bool& running;
};

}  // namespace

std::string ClosingMessageWithFiles(const std::string& message, const std::vector<std::string>& lines,
                                    int32_t count) {
    if (lines.empty()) return message;
    std::string text = message + "\n";
    for (const std::string& line : lines) text += "\n" + line;
    const int32_t more = count - static_cast<int32_t>(lines.size());
    if (more > 0) text += "\n... and " + std::to_string(more) + " more.";
    return text;
}

std::string ReplaceOriginalsQuestion(const std::string& directory) {
    return "The output directory is the source directory:\n" + directory +
           "\nEvery original picture there will be replaced by its watermarked version. Go on?";
}

BatchWatermarkDialog::BatchWatermarkDialog(const std::string& outputDirectory, QWidget* parent)
    : QDialog(parent),
      sourceEdit(Named(new QLineEdit(this), 1022)),
      outputEdit(Named(new QLineEdit(this), 1063)),
      allImagesBox(Named(new QCheckBox(QStringLiteral("All Images"), this), 1013)),
      textGrid(new AlignmentGrid(kTextGridIds, this)),
      imageGrid(new AlignmentGrid(kImageGridIds, this)),
      outputOptions(new OutputOptionsBox(QStringLiteral("Output"), QStringLiteral("As each source"), this)),
      recursiveBox(Named(new QCheckBox(QStringLiteral("Include subfolders"), this), "recursive")),
      skipExistingBox(
          Named(new QCheckBox(QStringLiteral("Skip pictures already done"), this), "skipExisting")),
      editorMarksButton(
          Named(new QPushButton(QStringLiteral("Use the editor's marks"), this), "editorMarks")),
      progress(Named(new QProgressBar(this), 1065)),
      processButton(Named(new QPushButton(QStringLiteral("PROCESS"), this), 1068)),
      review(new ReviewPanel(
          job,
          [this] {
              StoreFields();
              StoreOptions();
          },
          this)) {
    setWindowTitle(QStringLiteral("Batch Watermark"));
    for (const FormatEntry& format : AllFormats()) {
        if (!format.ReadsAndWrites()) continue;
        auto* box = Named(new QCheckBox(QString::fromLatin1(format.typeBoxLabel), this), format.typeBoxId);
        typeBoxes.emplace_back(format.id, box);
    }
    job.outputDirectory = outputDirectory;
    sourceEdit->setMinimumWidth(360);
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);

    auto* browseSource = Named(new QPushButton(QStringLiteral("Browse..."), this), 1062);
    auto* browseOutput = Named(new QPushButton(QStringLiteral("Browse..."), this), 1064);
    auto* textButton = Named(new QPushButton(QStringLiteral("Text"), this), 1076);
    auto* imageButton = Named(new QPushButton(QStringLiteral("Image"), this), 1086);
    auto* closeButton = Named(new QPushButton(QStringLiteral("CLOSE"), this), 2);
    auto* loadPreset = Named(new QPushButton(QStringLiteral("Load Preset..."), this), "loadPreset");
    auto* savePreset = Named(new QPushButton(QStringLiteral("Save Preset..."), this), "savePreset");
    editorMarksButton->setEnabled(false);
    for (QPushButton* button : {browseSource, browseOutput, textButton, imageButton, closeButton, loadPreset,
                                savePreset, editorMarksButton}) {
        button->setAutoDefault(false);
    }
    processButton->setDefault(true);

    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(sourceEdit, 1);
    sourceRow->addWidget(browseSource);

    auto* types = new QGroupBox(this);
    auto* typeRow = new QHBoxLayout(types);
    typeRow->addWidget(allImagesBox);
    for (const auto& [format, box] : typeBoxes) typeRow->addWidget(box);
    typeRow->addStretch();

    const auto markGroup = [this](const QString& title, QPushButton* settings, AlignmentGrid* grid) {
        auto* group = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(group);
        row->addWidget(settings, 0, Qt::AlignVCenter);
        row->addSpacing(16);
        row->addWidget(new QLabel(QStringLiteral("Align"), group), 0, Qt::AlignVCenter);
        row->addWidget(grid, 0, Qt::AlignVCenter);
        row->addStretch();
        return group;
    };
    auto* marks = new QHBoxLayout;
    marks->addWidget(markGroup(QStringLiteral("Text Watermark"), textButton, textGrid));
    marks->addWidget(markGroup(QStringLiteral("Image Watermark"), imageButton, imageGrid));

    auto* folderOptions = new QVBoxLayout;
    folderOptions->addStretch();
    folderOptions->addWidget(recursiveBox);
    folderOptions->addWidget(skipExistingBox);
    folderOptions->addStretch();
    auto* options = new QHBoxLayout;
    options->addWidget(outputOptions, 1);
    options->addLayout(folderOptions);

    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputEdit, 1);
    outputRow->addWidget(browseOutput);

    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(editorMarksButton);
    commandRow->addWidget(loadPreset);
    commandRow->addWidget(savePreset);
    commandRow->addStretch();
    commandRow->addWidget(processButton);
    commandRow->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    auto* sourceLabel = new QLabel(QStringLiteral("The Source Directory"), this);
    sourceLabel->setBuddy(sourceEdit);
    auto* outputLabel = new QLabel(QStringLiteral("The output directory"), this);
    outputLabel->setBuddy(outputEdit);
    layout->addWidget(sourceLabel);
    layout->addLayout(sourceRow);
    layout->addWidget(types);
    layout->addWidget(review);
    layout->addLayout(marks);
    layout->addLayout(options);
    layout->addWidget(outputLabel);
    layout->addLayout(outputRow);
    layout->addWidget(progress);
    layout->addLayout(commandRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(allImagesBox, &QCheckBox::clicked, this, &BatchWatermarkDialog::AllImagesClicked);
    for (const auto& [format, box] : typeBoxes) {
        connect(box, &QCheckBox::clicked, this, [this, format = format] { TypeClicked(format); });
    }
    connect(browseSource, &QPushButton::clicked, this, [this] { Browse(true); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { Browse(false); });
    connect(textButton, &QPushButton::clicked, this, &BatchWatermarkDialog::EditTextMark);
    connect(imageButton, &QPushButton::clicked, this, &BatchWatermarkDialog::EditImageMark);
    connect(textGrid, &AlignmentGrid::Chosen, this,
            [this](MarkAlignment a) { job.textMark.base.alignment = a; });
    connect(imageGrid, &AlignmentGrid::Chosen, this,
            [this](MarkAlignment a) { job.imageMark.base.alignment = a; });
    connect(processButton, &QPushButton::clicked, this, &BatchWatermarkDialog::Process);
    connect(closeButton, &QPushButton::clicked, this, &BatchWatermarkDialog::reject);
    connect(loadPreset, &QPushButton::clicked, this, &BatchWatermarkDialog::LoadPreset);
    connect(savePreset, &QPushButton::clicked, this, &BatchWatermarkDialog::SavePreset);
    connect(editorMarksButton, &QPushButton::clicked, this, &BatchWatermarkDialog::UseEditorMarks);
    // What the run will take and how it marks it, seen as it changes.
    connect(sourceEdit, &QLineEdit::textChanged, review, &ReviewPanel::Refresh);
    connect(outputEdit, &QLineEdit::textChanged, review, &ReviewPanel::Refresh);
    connect(recursiveBox, &QCheckBox::toggled, review, &ReviewPanel::Refresh);
    connect(allImagesBox, &QCheckBox::clicked, review, &ReviewPanel::Refresh);
    for (const auto& [format, box] : typeBoxes)
        connect(box, &QCheckBox::clicked, review, &ReviewPanel::Refresh);
    for (AlignmentGrid* grid : {textGrid, imageGrid})
        connect(grid, &AlignmentGrid::Chosen, review, &ReviewPanel::Refresh);

    Restore();
    ShowFields();
    ShowOptions();
    review->Refresh();
}

void BatchWatermarkDialog::OfferEditorMarks(const RunSettings& marks) {
    editorMarks = marks;
    editorMarksButton->setEnabled(true);
}

void BatchWatermarkDialog::StoreOptions() {
    OutputSettings output;
    outputOptions->Read(output);
    output.recursive = recursiveBox->isChecked();
    output.skipExisting = skipExistingBox->isChecked();
    TakeOutputSettings(output, job);
}

void BatchWatermarkDialog::ShowOptions() {
    outputOptions->Show(OutputSettingsOf(job));
    recursiveBox->setChecked(job.selection.recursive);
    skipExistingBox->setChecked(job.skipExisting);
    textGrid->Choose(job.textMark.base.alignment);
    imageGrid->Choose(job.imageMark.base.alignment);
}

RunSettings BatchWatermarkDialog::Settings() {
    StoreFields();
    StoreOptions();
    RunSettings settings;
    settings.textMark = job.textMark;
    settings.imageMark = job.imageMark;
    settings.textFit = job.textFit;
    settings.imageFit = job.imageFit;
    settings.output = OutputSettingsOf(job);
    return settings;
}

void BatchWatermarkDialog::LoadPreset() {
    const auto path =
        CurrentChoosers().ChooseOpenFile(this, QStringLiteral("Load Preset"), QString(), kPresetFilters);
    if (!path || path->isEmpty()) return;
    RunSettings settings;
    Status status;
    if (!LoadRunSettings(Utf8FromQString(*path), settings, status)) {
        stampora::ShowMessage(status.Error(), kBatchErrorCaption, MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    StoreFields();
    TakeRunSettings(settings, job);
    // The marks moved on single pictures come with the preset they were saved with.
    Status placed;
    const std::string beside = PlacementsBeside(Utf8FromQString(*path));
    if (QFileInfo::exists(QStringFromUtf8(beside)) && !ReadPlacements(beside, job.placements, placed))
        stampora::ShowMessage(placed.Error(), kBatchErrorCaption, MessageIcon::Error, MessageButtons::Ok);
    ShowFields();
    ShowOptions();
    review->Refresh();
}

void BatchWatermarkDialog::SavePreset() {
    const auto chosen =
        CurrentChoosers().ChooseSaveFile(this, QStringLiteral("Save Preset"), QString(), kPresetFilters);
    if (!chosen || chosen->isEmpty()) return;
    std::string path = Utf8FromQString(*chosen);
    if (QFileInfo(*chosen).suffix().isEmpty()) path += ".ini";
    Status status;
    if (!SaveRunSettings(path, Settings(), status)) {
        stampora::ShowMessage(status.Error(), kBatchErrorCaption, MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    // The moved marks go beside it; an older file there is emptied when no
    // mark is moved now, so loading the preset brings back none.
    const std::string beside = PlacementsBeside(path);
    Status placed;
    if ((!job.placements.byName.empty() || QFileInfo::exists(QStringFromUtf8(beside))) &&
        !WritePlacements(beside, job.placements, placed))
        stampora::ShowMessage(placed.Error(), kBatchErrorCaption, MessageIcon::Error, MessageButtons::Ok);
}

void BatchWatermarkDialog::UseEditorMarks() {
    job.textMark = editorMarks.textMark;
    job.imageMark = editorMarks.imageMark;
    job.textFit = editorMarks.textFit;
    job.imageFit = editorMarks.imageFit;
    job.textMark.UpdateParams();
    textGrid->Choose(job.textMark.base.alignment);
    imageGrid->Choose(job.imageMark.base.alignment);
    review->Refresh();
}

void BatchWatermarkDialog::Remember() {
    const RunSettings settings = Settings();
    // Remembering is a convenience: a folder that cannot be written loses
    // it, not the run.
    const std::string config = SettingsFilePath();
    if (config.empty()) return;
    WriteIniValue(config, kSettingsSection, kSourceKey, job.sourceDirectory);
    WriteIniValue(config, kSettingsSection, kOutputKey, job.outputDirectory);
    Status ignored;
    SaveRunSettings(SettingsFolderFile(kRememberedFile), settings, ignored);
}

void BatchWatermarkDialog::Restore() {
    const std::string config = SettingsFilePath();
    if (config.empty()) return;
    job.sourceDirectory = ReadIniValue(config, kSettingsSection, kSourceKey).value_or(job.sourceDirectory);
    const std::string output = ReadIniValue(config, kSettingsSection, kOutputKey).value_or(std::string());
    if (!output.empty()) job.outputDirectory = output;
    // Marks that cannot be made again (a font or a picture gone) are not
    // taken; the folders are.
    RunSettings settings;
    Status ignored;
    if (LoadRunSettings(SettingsFolderFile(kRememberedFile), settings, ignored))
        TakeRunSettings(settings, job);
}

bool BatchWatermarkDialog::ReadFields(BatchFields& fields) {
    fields.sourceDirectory = Utf8FromQString(sourceEdit->text());
    fields.outputDirectory = Utf8FromQString(outputEdit->text());
    fields.types.allImages = CheckState(*allImagesBox);
    for (const auto& [format, box] : typeBoxes) fields.types.Set(format, box->isChecked());
    return true;
}

void BatchWatermarkDialog::StoreFields() {
    BatchFields fields;
    ReadFields(fields);
    job.sourceDirectory = fields.sourceDirectory;
    job.outputDirectory = fields.outputDirectory;
    job.typeFlags = fields.types;
}

void BatchWatermarkDialog::ShowFields() {
    sourceEdit->setText(QStringFromUtf8(job.sourceDirectory));
    outputEdit->setText(QStringFromUtf8(job.outputDirectory));
    const BatchTypeFlags& flags = job.typeFlags;
    allImagesBox->setChecked(ShownChecked(flags.allImages));
    for (const auto& [format, box] : typeBoxes) box->setChecked(flags.Has(format));
}

void BatchWatermarkDialog::AllImagesClicked() {
    StoreFields();
    if (job.typeFlags.allImages == 0) return;
    for (const auto& [format, box] : typeBoxes) job.typeFlags.Set(format, true);
    ShowFields();
}

void BatchWatermarkDialog::TypeClicked(ImageFormat format) {
    StoreFields();
    if (job.typeFlags.Has(format)) return;
    job.typeFlags.allImages = 0;
    ShowFields();
}

void BatchWatermarkDialog::Browse(bool source) {
    std::string& stored = source ? job.sourceDirectory : job.outputDirectory;
    const std::optional<QString> chosen =
        CurrentChoosers().ChooseFolder(this,
                                       source ? QStringLiteral("Browse the source directory")
                                              : QStringLiteral("Browse the output directory"),
                                       QStringFromUtf8(stored), !source);
    if (!chosen || chosen->isEmpty()) return;
    stored = Utf8FromQString(chosen->left(kMaxDirectoryLength));
    // Text typed into either edit since the fields were last read gives way
    // to the stored directories.
    ShowFields();
}

void BatchWatermarkDialog::EditTextMark() {
    TextWatermarkDialog dialog(this);
    dialog.mark = job.textMark;
    dialog.fit = job.textFit;
    if (dialog.exec() != QDialog::Accepted) return;
    job.textMark = dialog.mark;
    job.textFit = dialog.fit;
    job.textMark.UpdateParams();
    review->Refresh();
}

void BatchWatermarkDialog::EditImageMark() {
    ImageWatermarkDialog dialog(this);
    dialog.mark = job.imageMark;
    dialog.fit = job.imageFit;
    if (dialog.exec() != QDialog::Accepted) return;
    job.imageMark = dialog.mark;
    job.imageFit = dialog.fit;
    review->Refresh();
}

void BatchWatermarkDialog::Process() {
    if (running) return;
    StoreOptions();
    incompleteCount = 0;
    incompleteLines.clear();
    {
        const RunInProgress run(running);
        job.RunBatch(*this);
    }
    if (closeAfterRun) reject();
}

void BatchWatermarkDialog::EnableProcess(bool enabled) {
    processButton->setEnabled(enabled);
}

void BatchWatermarkDialog::SetProgress(int32_t position) {
    progress->setValue(position);
    // The run holds the thread: let the window paint (and be repainted when
    // uncovered) without taking any input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BatchWatermarkDialog::FileFinished(const std::string& name, const BatchFileResult& result) {
    if (result.Complete()) return;
    ++incompleteCount;
    if (incompleteLines.size() < kNamedFiles) incompleteLines.push_back(FileResultLine(name, result));
}

void BatchWatermarkDialog::ShowMessage(const std::string& text, const std::string& caption,
                                       MessageIcon icon) {
    // The closing message names the files that did not come out whole.
    const std::string shown = caption == kBatchFinishCaption
                                  ? ClosingMessageWithFiles(text, incompleteLines, incompleteCount)
                                  : text;
    stampora::ShowMessage(shown, caption, icon, MessageButtons::Ok);
}

bool BatchWatermarkDialog::ConfirmReplaceOriginals(const std::string& directory) {
    return stampora::ShowMessage(ReplaceOriginalsQuestion(directory), "Batch Watermark",
                                 MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
}

void BatchWatermarkDialog::reject() {
    // A run cannot be interrupted; closing takes effect when it has ended.
    if (running) {
        closeAfterRun = true;
        return;
    }
    review->Cancel();
    Remember();
    QDialog::reject();
}

void BatchWatermarkDialog::closeEvent(QCloseEvent* event) {
    if (running) {
        closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace stampora
