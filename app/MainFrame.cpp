#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <filesystem>

#include "app/AboutDialog.h"
#include "app/CanvasView.h"
#include "app/PictureFileFilters.h"
#include "app/ProgramIcon.h"
#include "app/SavedCopy.h"
#include "app/dialogs/MarkCommands.h"
#include "app/edit/MarkHistory.h"
#include "app/edit/PrintPicture.h"
#include "app/edit/RecentPictures.h"
#include "app/settings/EditorSettings.h"
#include "app/settings/OutputDirectory.h"
#include "app/settings/OutputDirectoryDialog.h"
#include "app/settings/SaveOptions.h"
#include "app/settings/SaveOptionsDialog.h"
#include "codecs/PictureFiles.h"
#include "platform/MessageSink.h"
#include "platform/PathJoin.h"
#include "platform/Utf8Path.h"
#include "platform/qt/Choosers.h"

namespace stampora {

namespace {

constexpr const char* kErrorCaption = "Error";
constexpr const char* kProgramName = "Stampora";

// True when both paths name one existing file.
bool IsSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), error) && !error;
}

}  // namespace

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent) {
    // No maximise button; the size is fixed once the window is shown.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(kProgramName));
    setWindowIcon(ProgramIcon());
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(true);

    canvas = new CanvasView(this);
    canvas->setObjectName(QStringLiteral("canvas"));
    setCentralWidget(canvas);
    history = new MarkHistory(*canvas, this);

    BuildMenus();
    BuildToolBar();
    BuildShortcuts();

    statusBar()->setObjectName(QStringLiteral("id59393"));
    readyLabel = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(readyLabel, 1);
    statusBar()->setSizeGripEnabled(true);

    ReadOutputDirectoryIntoProcess();
    saveOptions = ReadSaveOptions();
    RestoreRememberedMarks(*canvas);
    // The history starts from the marks remembered from the last session.
    history->Resync();
    ConnectMarkCommands();
    UpdateCommands();
}

void MainFrame::ConnectMarkCommands() {
    // The mark dialogs open on the canvas's marks; what is typed in them
    // shows at once, and OK makes it one step of the history.
    auto* markCommands = new MarkCommands(canvas->Marks(), this);
    connect(Action(CommandId::kTextWatermark), &QAction::triggered, markCommands,
            &MarkCommands::EditTextMark);
    connect(Action(CommandId::kImageWatermark), &QAction::triggered, markCommands,
            &MarkCommands::EditImageMark);
    connect(Action(CommandId::kBatchWatermark), &QAction::triggered, markCommands,
            &MarkCommands::ShowBatchDialog);
    connect(markCommands, &MarkCommands::EditStarted, history, &MarkHistory::Resync);
    connect(markCommands, &MarkCommands::TextMarkPreviewed, canvas, &CanvasView::PreviewTextMark);
    connect(markCommands, &MarkCommands::ImageMarkPreviewed, canvas, &CanvasView::PreviewImageMark);
    connect(markCommands, &MarkCommands::EditCancelled, history, &MarkHistory::Revert);
    connect(markCommands, &MarkCommands::TextMarkEdited, this,
            [this](const TextWatermark& mark, const MarkFit& fit) {
                canvas->TakeTextMark(mark, fit);
                history->Record(tr("Text Watermark"));
            });
    connect(markCommands, &MarkCommands::ImageMarkEdited, this,
            [this](const ImageWatermark& mark, const MarkFit& fit) {
                canvas->TakeImageMark(mark, fit);
                history->Record(tr("Image Watermark"));
            });
    connect(canvas, &CanvasView::MarkDropped, this, [this](MarkKind kind) {
        selectedMark = kind;
        history->RecordDrop();
    });
    // The marks as every change leaves them are remembered for the next session.
    connect(history, &MarkHistory::Changed, this, [this] {
        RememberMarks(canvas->Marks());
        UpdateCommands();
    });
}

void MainFrame::BuildEditing(QMenu& edit) {
    using namespace CommandId;
    QAction* undo = history->Stack().createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("id%1").arg(kUndo));
    undo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    undo->setStatusTip(QStringLiteral("Undo the last change to the marks"));
    QAction* redo = history->Stack().createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("id%1").arg(kRedo));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo->setStatusTip(QStringLiteral("Redo the change undone last"));
    for (QAction* action : {undo, redo}) {
        addAction(action);
        actions[action->objectName().mid(2).toInt()] = action;
    }
    QAction* removeText = AddCommand(kRemoveTextMark, QStringLiteral("Remove &Text Mark"),
                                     QStringLiteral("Take the text watermark off the picture"));
    connect(removeText, &QAction::triggered, this, [this] { RemoveMark(MarkKind::Text); });
    QAction* removeImage = AddCommand(kRemoveImageMark, QStringLiteral("Remove &Image Mark"),
                                      QStringLiteral("Take the image watermark off the picture"));
    connect(removeImage, &QAction::triggered, this, [this] { RemoveMark(MarkKind::Image); });
    QAction* removeSelected = AddCommand(kRemoveSelectedMark, QString(),
                                         QStringLiteral("Take the mark clicked last off the picture"));
    removeSelected->setShortcut(QKeySequence(Qt::Key_Delete));
    connect(removeSelected, &QAction::triggered, this, &MainFrame::RemoveSelectedMark);
    edit.addActions({undo, redo});
    edit.addSeparator();
    edit.addActions({removeText, removeImage});
}

void MainFrame::RemoveMark(MarkKind kind) {
    const bool enabled =
        kind == MarkKind::Text ? canvas->TextMark().base.enabled : canvas->ImageMark().base.enabled;
    if (!enabled) return;
    canvas->RemoveMark(kind);
    history->Record(kind == MarkKind::Text ? tr("Remove Text Mark") : tr("Remove Image Mark"));
}

void MainFrame::RemoveSelectedMark() {
    const bool text = canvas->TextMark().base.enabled;
    const bool image = canvas->ImageMark().base.enabled;
    if (selectedMark) {
        RemoveMark(*selectedMark);
    } else if (text != image) {
        RemoveMark(text ? MarkKind::Text : MarkKind::Image);
    }
    selectedMark.reset();
}

void MainFrame::UpdateCommands() {
    using namespace CommandId;
    const bool picture = canvas->Document().loaded;
    for (int id : {kSave, kSaveAs, kPrint}) Action(id)->setEnabled(picture);
    Action(kRemoveTextMark)->setEnabled(canvas->TextMark().base.enabled);
    Action(kRemoveImageMark)->setEnabled(canvas->ImageMark().base.enabled);
}

QAction* MainFrame::AddCommand(int id, const QString& text, const QString& prompt, const QString& tip) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("id%1").arg(id));
    action->setStatusTip(prompt);
    // A command whose string has no second line gets no tooltip.
    action->setToolTip(tip.isEmpty() ? QString() : tip);
    addAction(action);
    actions[id] = action;
    return action;
}

QAction* MainFrame::Action(int id) const {
    const auto found = actions.find(id);
    return found == actions.end() ? nullptr : found->second;
}

void MainFrame::BuildMenus() {
    using namespace CommandId;
    QAction* open = AddCommand(kOpen, QStringLiteral("&Open..."), QStringLiteral("Open an existing document"),
                               QStringLiteral("Open"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setIcon(ToolbarIcon(0));
    connect(open, &QAction::triggered, this, &MainFrame::Open);
    QAction* save = AddCommand(kSave, QStringLiteral("&Save"), QStringLiteral("Save the active document"),
                               QStringLiteral("Save"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setIcon(ToolbarIcon(1));
    connect(save, &QAction::triggered, this, &MainFrame::Save);
    QAction* saveAs =
        AddCommand(kSaveAs, QStringLiteral("Save &As..."),
                   QStringLiteral("Save the active document with a new name"), QStringLiteral("Save As"));
    connect(saveAs, &QAction::triggered, this, &MainFrame::SaveAs);
    QAction* print = AddCommand(kPrint, QStringLiteral("&Print..."),
                                QStringLiteral("Print the active document"), QStringLiteral("Print"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, this, &MainFrame::Print);
    QAction* exit =
        AddCommand(kExit, QStringLiteral("E&xit"),
                   QStringLiteral("Quit the application; prompts to save documents"), QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QAction* loadPreset = AddCommand(kLoadPreset, QStringLiteral("&Load Preset..."),
                                     QStringLiteral("Take the marks and save options of a preset file"),
                                     QStringLiteral("Load Preset"));
    connect(loadPreset, &QAction::triggered, this, &MainFrame::LoadPreset);
    QAction* savePreset = AddCommand(kSavePreset, QStringLiteral("Save &Preset..."),
                                     QStringLiteral("Keep the marks and save options in a preset file"),
                                     QStringLiteral("Save Preset"));
    connect(savePreset, &QAction::triggered, this, &MainFrame::SavePreset);

    // The watermark dialogs and the batch dialog are connected to MarkCommands.
    QAction* textMark = AddCommand(kTextWatermark, QStringLiteral("&Text Watermark"),
                                   QStringLiteral("Text Watermark"), QStringLiteral("Add Text Watermark"));
    textMark->setIcon(ToolbarIcon(2));
    QAction* imageMark = AddCommand(kImageWatermark, QStringLiteral("&Image Watermark"),
                                    QStringLiteral("Image Watermark"), QStringLiteral("Add Image Watermark"));
    imageMark->setIcon(ToolbarIcon(3));
    QAction* batch =
        AddCommand(kBatchWatermark, QStringLiteral("&Batch Watermark"), QStringLiteral("Batch Watermark"));

    QAction* toolbar =
        AddCommand(kToolbar, QStringLiteral("&Toolbar"), QStringLiteral("Show or hide the toolbar"),
                   QStringLiteral("Toggle ToolBar"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::triggered, this, &MainFrame::ToggleToolBar);
    QAction* status =
        AddCommand(kStatusBar, QStringLiteral("&Status Bar"), QStringLiteral("Show or hide the status bar"),
                   QStringLiteral("Toggle StatusBar"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::triggered, this, &MainFrame::ToggleStatusBar);
    QAction* zoomIn =
        AddCommand(kZoomIn, QStringLiteral("Zoom &In"), QStringLiteral("Zoom In"), QStringLiteral("Zoom In"));
    zoomIn->setIcon(ToolbarIcon(4));
    connect(zoomIn, &QAction::triggered, canvas, &CanvasView::ZoomIn);
    QAction* zoomOut = AddCommand(kZoomOut, QStringLiteral("Zoom &Out"), QStringLiteral("Zoom Out"),
                                  QStringLiteral("Zoom Out"));
    zoomOut->setIcon(ToolbarIcon(6));
    connect(zoomOut, &QAction::triggered, canvas, &CanvasView::ZoomOut);
    QAction* fullSize = AddCommand(kFullSize, QStringLiteral("&Full Size"), QStringLiteral("Full Size"),
                                   QStringLiteral("Show Full Size"));
    fullSize->setIcon(ToolbarIcon(5));
    connect(fullSize, &QAction::triggered, canvas, &CanvasView::FullSize);
    // Zoom from the keyboard, a fit to the canvas, and a title that names the
    // picture, its size and the zoom.
    zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    fullSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    QAction* fitToWindow =
        AddCommand(kFitToWindow, QStringLiteral("Fit to &Window"),
                   QStringLiteral("Show the whole picture as large as the window holds it"),
                   QStringLiteral("Fit to Window"));
    fitToWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(fitToWindow, &QAction::triggered, canvas, &CanvasView::FitToWindow);
    connect(canvas, &CanvasView::ViewChanged, this, [this] {
        const QString view = canvas->ViewTitle();
        setWindowTitle(view.isEmpty() ? QString::fromLatin1(kProgramName)
                                      : view + QStringLiteral(" - ") + QString::fromLatin1(kProgramName));
    });

    QAction* output = AddCommand(kOutputDirectory, QStringLiteral("&Output Directory"),
                                 QStringLiteral("Output Directory"), QStringLiteral("Output Directory"));
    connect(output, &QAction::triggered, this, &MainFrame::ShowOutputDirectoryDialog);
    QAction* saveOptionsCommand = AddCommand(kSaveOptions, QStringLiteral("Save O&ptions..."),
                                             QStringLiteral("JPEG quality and metadata of saved copies"),
                                             QStringLiteral("Save Options"));
    connect(saveOptionsCommand, &QAction::triggered, this, &MainFrame::ShowSaveOptionsDialog);
    QAction* about = AddCommand(kAbout, QStringLiteral("&About Stampora..."),
                                QStringLiteral("Display program information, version number and copyright"),
                                QStringLiteral("About"));
    about->setIcon(ToolbarIcon(7));
    connect(about, &QAction::triggered, this, &MainFrame::ShowAboutBox);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(open);
    QMenu* recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    recentMenu->menuAction()->setObjectName(QStringLiteral("id%1").arg(kRecentPictures));
    actions[kRecentPictures] = recentMenu->menuAction();
    recent = new RecentPictures(*recentMenu, this);
    connect(recent, &RecentPictures::Chosen, this, &MainFrame::OpenPath);
    file->addActions({save, saveAs, print});
    file->addSeparator();
    file->addActions({loadPreset, savePreset});
    file->addSeparator();
    file->addAction(exit);
    BuildEditing(*menuBar()->addMenu(QStringLiteral("&Edit")));
    QMenu* tool = menuBar()->addMenu(QStringLiteral("&Tool"));
    tool->addActions({textMark, imageMark});
    tool->addSeparator();
    tool->addAction(batch);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addActions({toolbar, status});
    view->addSeparator();
    view->addActions({zoomIn, zoomOut, fullSize, fitToWindow});
    menuBar()->addMenu(QStringLiteral("&Setting"))->addActions({output, saveOptionsCommand});
    menuBar()->addMenu(QStringLiteral("&Help"))->addAction(about);
}

void MainFrame::BuildToolBar() {
    using namespace CommandId;
    toolBar = addToolBar(QStringLiteral("Toolbar"));
    toolBar->setObjectName(QStringLiteral("id59392"));
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->addActions({Action(kOpen), Action(kSave)});
    toolBar->addSeparator();
    toolBar->addActions({Action(kTextWatermark), Action(kImageWatermark)});
    toolBar->addSeparator();
    toolBar->addActions({Action(kZoomIn), Action(kFullSize), Action(kZoomOut)});
    toolBar->addSeparator();
    toolBar->addAction(Action(kAbout));
}

void MainFrame::BuildShortcuts() {
    using namespace CommandId;
    // Accepted and ignored: the editor has no new document and no clipboard.
    struct Ignored {
        int id;
        QList<QKeySequence> keys;
    };
    const Ignored ignored[] = {
        {kNew, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {kCut, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {kCopy, {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {kPaste, {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {kNextPane, {QKeySequence(Qt::Key_F6)}},
        {kPreviousPane, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const Ignored& command : ignored) {
        QAction* action = new QAction(this);
        action->setObjectName(QStringLiteral("id%1").arg(command.id));
        action->setShortcuts(command.keys);
        addAction(action);
        actions[command.id] = action;
    }
    actions[kNew]->setStatusTip(QStringLiteral("Create a new document"));
}

void MainFrame::ShowMaximisedAndFixed(const QString& picture) {
    // Covering the screen's free area stands in for maximising where no
    // window manager does it.
    if (QScreen* shown = screen()) setGeometry(shown->availableGeometry());
    showMaximized();
    // Once maximised the frame keeps its size: no border to drag. A picture
    // is opened after that, so it is centred in the final window.
    QTimer::singleShot(300, this, [this, picture] {
        setFixedSize(size());
        if (!picture.isEmpty()) OpenPath(picture);
    });
}

QString MainFrame::DialogFolder() const {
    const PictureDocument& document = canvas->Document();
    if (document.path.empty()) return QString();
    return QFileInfo(QString::fromStdString(document.path)).absolutePath();
}

void MainFrame::Open() {
    const auto path = CurrentChoosers().ChooseOpenFile(this, QString(), DialogFolder(), PictureFileFilters());
    if (!path) return;
    OpenPath(*path);
}

bool MainFrame::OpenPath(const QString& path) {
    const std::string utf8 = path.toStdString();
    Status status;
    if (!canvas->OpenPicture(utf8, &status)) {
        const std::string reason = status.Error().empty() ? "The file could not be read." : status.Error();
        ShowMessage("Could not open \"" + FileNamePart(utf8) + "\".\n" + reason, kErrorCaption,
                    MessageIcon::Error);
        return false;
    }
    // The marks were made again for the picture; the next step starts there.
    history->Resync();
    recent->Add(path);
    UpdateCommands();
    if (status.Damaged()) {
        ShowMessage("\"" + FileNamePart(utf8) + "\" is damaged: " + status.damage +
                        ".\nThe part that could be read is shown.",
                    kProgramName, MessageIcon::Warning);
    }
    return true;
}

bool MainFrame::WriteComposite(const std::string& path) {
    CRasterImage composite = canvas->ComposeForSave();
    Status status;
    if (composite.IsEmpty()) {
        status.failure = {Domain::Write, "There is not enough memory to compose the picture."};
    } else if (WriteSavedCopy(canvas->Document(), composite, canvas->Marks(), path, saveOptions, status)) {
        statusBar()->showMessage(QStringLiteral("Saved %1").arg(QString::fromStdString(path)), 5000);
        return true;
    }
    const std::string reason = status.Error().empty() ? "The file could not be written." : status.Error();
    ShowMessage("Could not save \"" + path + "\".\n" + reason, kErrorCaption, MessageIcon::Error);
    return false;
}

void MainFrame::Save() {
    const PictureDocument& document = canvas->Document();
    if (!document.loaded) return;
    const std::string target = JoinPath(SaveDirectory(), document.fileName);
    // Saving into the picture's own folder would put the watermarked copy
    // in place of the original.
    if (IsSameFile(target, document.path) &&
        ShowMessage("Replace the original picture?", kProgramName, MessageIcon::Question,
                    MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    WriteComposite(target);
}

void MainFrame::SaveAs() {
    if (!canvas->Document().loaded) return;
    QString filter;
    const auto chosen =
        CurrentChoosers().ChooseSaveFile(this, QString(), DialogFolder(), PictureSaveFilters(), &filter);
    if (!chosen || chosen->isEmpty()) return;
    QString path = *chosen;
    // A name typed without an extension takes the type of the filter chosen
    // (JPEG under All Files); the dialog asked about the name as typed, so
    // the full name is asked about here.
    if (QFileInfo(path).suffix().isEmpty()) {
        const QString extension = ExtensionOfFilter(filter);
        path += QLatin1Char('.') + (extension.isEmpty() ? QStringLiteral("jpg") : extension);
        if (QFileInfo::exists(path) &&
            ShowMessage(
                QFileInfo(path).fileName().toStdString() + " already exists.\nDo you want to replace it?",
                "Save As", MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) {
            return;
        }
    }
    WriteComposite(path.toStdString());
}

void MainFrame::ShowOutputDirectoryDialog() {
    OutputDirectoryDialog dialog(this);
    dialog.exec();
}

void MainFrame::ShowSaveOptionsDialog() {
    SaveOptionsDialog dialog(this);
    dialog.exec();
}

namespace {
const QString kPresetFilters = QStringLiteral("Presets (*.ini);;All Files (*)");
}  // namespace

void MainFrame::LoadPreset() {
    const auto path =
        CurrentChoosers().ChooseOpenFile(this, QStringLiteral("Load Preset"), QString(), kPresetFilters);
    if (path && !path->isEmpty()) LoadPresetPath(*path);
}

bool MainFrame::LoadPresetPath(const QString& path) {
    Status status;
    if (!LoadEditorPreset(*canvas, path.toStdString(), status)) {
        ShowMessage(status.Error(), kErrorCaption, MessageIcon::Error);
        return false;
    }
    history->Record(tr("Load Preset"));
    return true;
}

void MainFrame::SavePreset() {
    const auto chosen =
        CurrentChoosers().ChooseSaveFile(this, QStringLiteral("Save Preset"), QString(), kPresetFilters);
    if (!chosen || chosen->isEmpty()) return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".ini");
    Status status;
    if (!SaveRunSettings(path.toStdString(), EditorSettings(canvas->Marks()), status))
        ShowMessage(status.Error(), kErrorCaption, MessageIcon::Error);
}

void MainFrame::ShowAboutBox() {
    AboutDialog dialog(this);
    dialog.exec();
}

void MainFrame::Print() {
    if (!canvas->Document().loaded) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(canvas->Document().fileName));
    const QSize picture = canvas->PictureSize();
    printer.setPageOrientation(BestOrientation(picture));
    if (!CurrentChoosers().ChoosePrinter(this, printer)) return;
    Status status;
    const CRasterImage composite = canvas->ComposeForSave();
    if (composite.IsEmpty()) {
        status.failure = {Domain::Write, "There is not enough memory to compose the picture."};
    } else if (PrintPicture(composite, printer, status)) {
        statusBar()->showMessage(QStringLiteral("Printed %1").arg(printer.docName()), 5000);
        return;
    }
    ShowMessage("Could not print \"" + canvas->Document().fileName + "\".\n" + status.Error(), kErrorCaption,
                MessageIcon::Error);
}

void MainFrame::ToggleToolBar() {
    toolBarVisible = !toolBarVisible;
    toolBar->setVisible(toolBarVisible);
    Action(CommandId::kToolbar)->setChecked(toolBarVisible);
}

void MainFrame::ToggleStatusBar() {
    const bool show = statusBar()->isHidden();
    statusBar()->setVisible(show);
    Action(CommandId::kStatusBar)->setChecked(show);
}

void MainFrame::closeEvent(QCloseEvent* event) {
    event->accept();
}

namespace {
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return QString();
    const QUrl url = data->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}
}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    OpenPath(path);
}

}  // namespace stampora
