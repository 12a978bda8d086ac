#pragma once
// The editor's one window: menu bar, toolbar, status bar and the canvas, and
// the handlers of every command.
#include <QMainWindow>
#include <QString>
#include <map>
#include <optional>
#include <string>

#include "watermark/WatermarkBase.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace stampora {

class CanvasView;
class MarkHistory;
class RecentPictures;

// Command ids, shared by menu items, toolbar buttons and shortcuts; each
// command's QAction is named "id<number>".
namespace CommandId {
constexpr int kNew = 57600;
constexpr int kOpen = 57601;
constexpr int kSave = 57603;
constexpr int kSaveAs = 57604;
constexpr int kPrint = 57607;
constexpr int kUndo = 57643;
constexpr int kRedo = 57644;
constexpr int kRecentPictures = 57616;
constexpr int kRemoveTextMark = 32793;
constexpr int kRemoveImageMark = 32794;
constexpr int kRemoveSelectedMark = 32795;
constexpr int kCut = 57635;
constexpr int kCopy = 57634;
constexpr int kPaste = 57637;
constexpr int kNextPane = 57680;
constexpr int kPreviousPane = 57681;
constexpr int kAbout = 57664;
constexpr int kExit = 57665;
constexpr int kTextWatermark = 32772;
constexpr int kImageWatermark = 32773;
constexpr int kZoomIn = 32780;
constexpr int kZoomOut = 32781;
constexpr int kFullSize = 32783;
constexpr int kFitToWindow = 32796;
constexpr int kOutputDirectory = 32784;
constexpr int kBatchWatermark = 32786;
constexpr int kLoadPreset = 32790;
constexpr int kSavePreset = 32791;
constexpr int kSaveOptions = 32792;
constexpr int kToolbar = 59392;
constexpr int kStatusBar = 59393;
}  // namespace CommandId

class MainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit MainFrame(QWidget* parent = nullptr);

    CanvasView* Canvas() const { return canvas; }
    // The command's action; nullptr for an unknown id.
    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return toolBar; }
    MarkHistory& History() const { return *history; }
    RecentPictures& Recent() const { return *recent; }

    // Shows the window maximised, then keeps that size (it has no maximise
    // button and cannot be resized by its border) and opens `picture`, if
    // one is named.
    void ShowMaximisedAndFixed(const QString& picture = QString());

    // Opens a picture as the Open command does once a file is chosen,
    // telling the user when it cannot be read.
    bool OpenPath(const QString& path);

    // The command handlers.
    void Open();
    void Save();
    void SaveAs();
    void ShowOutputDirectoryDialog();
    void ShowSaveOptionsDialog();
    void LoadPreset();
    void SavePreset();
    // Takes a preset's marks and output options, as Load Preset does once a
    // file is chosen; a refused preset shows its reason and changes nothing.
    bool LoadPresetPath(const QString& path);
    void ShowAboutBox();
    void Print();
    void ToggleToolBar();
    void ToggleStatusBar();
    // Removes the mark last clicked, or the only one there is.
    void RemoveSelectedMark();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddCommand(int id, const QString& text, const QString& prompt, const QString& tip = QString());
    void BuildMenus();
    void BuildToolBar();
    void BuildShortcuts();
    // The Edit menu's commands and the history behind them.
    void BuildEditing(QMenu& edit);
    // The mark dialogs' previews, confirmations and cancels reach the canvas
    // and the history.
    void ConnectMarkCommands();
    void RemoveMark(MarkKind kind);
    // Commands that need a picture or a mark are enabled only with one.
    void UpdateCommands();
    // Composes the picture and writes it to `path`, telling the user why
    // when it cannot be written.
    bool WriteComposite(const std::string& path);
    QString DialogFolder() const;

    CanvasView* canvas;
    QToolBar* toolBar = nullptr;
    QLabel* readyLabel = nullptr;
    std::map<int, QAction*> actions;
    bool toolBarVisible = true;
    MarkHistory* history = nullptr;
    RecentPictures* recent = nullptr;
    std::optional<MarkKind> selectedMark;  // the mark clicked last
};

}  // namespace stampora
