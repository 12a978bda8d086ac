// The main window as a user meets it: title, menus, toolbar, status bar,
// shortcuts, the two toggles, the About box and the output directory.
#include "app/MainFrame.h"

#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <map>

#include "app/AboutDialog.h"
#include "app/EditorTestSupport.h"
#include "app/edit/RecentPictures.h"
#include "app/settings/OutputDirectory.h"
#include "app/settings/OutputDirectoryDialog.h"
#include "platform/IniFile.h"

using namespace stampora;

namespace {

class FrameTest : public ::testing::Test, protected EditorSession {};

// A menu or toolbar as the ids of its commands, "-" for a separator.
QString IdsOf(const QList<QAction*>& actions) {
    QStringList ids;
    for (QAction* action : actions)
        ids << (action->isSeparator() ? QStringLiteral("-") : action->objectName().mid(2));
    return ids.join(QLatin1Char(' '));
}

}  // namespace

// Every command of the menus and the toolbar stands where a user looks for
// it, with its label and keys, and reaches its handler when chosen.
TEST_F(FrameTest, EveryMenuAndToolbarCommandReachesItsHandler) {
    MainFrame frame;
    std::filesystem::create_directories(dir.Path() / "out");
    outputDirectory = dir.File("out");
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Stampora"));
    EXPECT_FALSE(frame.windowIcon().isNull());
    frame.resize(800, 600);
    frame.show();
    ASSERT_TRUE(frame.OpenPath(QString::fromStdString(WritePicture(dir, "photo.bmp", 1200, 900))));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("photo.bmp (1200 x 900) - 53 % - Stampora"));
    EXPECT_EQ(frame.statusBar()->findChild<QLabel*>()->text(), QStringLiteral("Ready"));

    // What the last command showed: the title and labels of its modal dialog.
    QStringList shown;
    auto shownWidth = [&frame] {
        const PixelRect& rect = frame.Canvas()->Document().displayRect;
        return rect.right - rect.left;
    };
    int widthBefore = 0;
    auto togglesBar = [&frame](int id, QWidget* bar) {
        return [&frame, id, bar] {
            EXPECT_TRUE(bar->isHidden());
            EXPECT_FALSE(frame.Action(id)->isChecked());
            frame.Action(id)->trigger();
            EXPECT_FALSE(bar->isHidden());
            EXPECT_TRUE(frame.Action(id)->isChecked());
        };
    };
    auto opens = [&shown](const char* title) {
        return [&shown, title] { EXPECT_EQ(shown.value(0), QString::fromLatin1(title)); };
    };
    struct Command {
        const char* label;
        std::function<void()> reached;
    };
    using namespace CommandId;
    const std::map<int, Command> commands = {
        {kOpen, {"&Open...\tCtrl+O", [&] { EXPECT_EQ(choosers.openFilters.size(), 1u); }}},
        {kSave,
         {"&Save\tCtrl+S", [&] { EXPECT_TRUE(std::filesystem::exists(dir.Path() / "out" / "photo.bmp")); }}},
        {kSaveAs, {"Save &As...", [&] { EXPECT_EQ(choosers.saveFilters.size(), 1u); }}},
        {kPrint, {"&Print...\tCtrl+P", [&] { EXPECT_EQ(choosers.printerRequests, 1); }}},
        {kRecentPictures, {"Open &Recent", [&] { EXPECT_EQ(frame.Recent().Paths().size(), 1); }}},
        // Nothing to undo or remove yet: they are disabled.
        {kUndo, {"&Undo\tCtrl+Z", [] {}}},
        {kRedo, {"&Redo\tCtrl+Shift+Z", [] {}}},
        {kRemoveTextMark, {"Remove &Text Mark", [] {}}},
        {kRemoveImageMark, {"Remove &Image Mark", [] {}}},
        {kLoadPreset,
         {"&Load Preset...",
          [&] { EXPECT_TRUE(choosers.openFilters.back().startsWith("Presets (*.ini)")); }}},
        {kSavePreset,
         {"Save &Preset...",
          [&] { EXPECT_TRUE(choosers.saveFilters.back().startsWith("Presets (*.ini)")); }}},
        {kSaveOptions, {"Save O&ptions...", opens("Save options -- Setting")}},
        {kExit,
         {"E&xit",
          [&] {
              EXPECT_FALSE(frame.isVisible());
              frame.show();
          }}},
        {kTextWatermark, {"&Text Watermark", opens("Text Watermark")}},
        {kImageWatermark, {"&Image Watermark", opens("Image Watermark")}},
        {kBatchWatermark, {"&Batch Watermark", opens("Batch Watermark")}},
        {kToolbar, {"&Toolbar", togglesBar(kToolbar, frame.ToolBar())}},
        {kStatusBar, {"&Status Bar", togglesBar(kStatusBar, frame.statusBar())}},
        {kZoomIn, {"Zoom &In\tCtrl++", [&] { EXPECT_GT(shownWidth(), widthBefore); }}},
        {kZoomOut, {"Zoom &Out\tCtrl+-", [&] { EXPECT_LT(shownWidth(), widthBefore); }}},
        {kFullSize, {"&Full Size\tCtrl+1", [&] { EXPECT_EQ(shownWidth(), 1200); }}},
        {kFitToWindow,
         {"Fit to &Window\tCtrl+0",
          [&] {
              EXPECT_LT(shownWidth(), frame.Canvas()->viewport()->width());
              EXPECT_EQ(frame.windowTitle().right(13), QStringLiteral(" % - Stampora"));
          }}},
        {kOutputDirectory, {"&Output Directory", opens("Output directory -- Setting")}},
        {kAbout,
         {"&About Stampora...",
          [&] {
              EXPECT_EQ(shown.value(0), QStringLiteral("About Stampora"));
              EXPECT_TRUE(shown.contains(QStringLiteral("Stampora Image Editor v1.0")))
                  << shown.join('|').toStdString();
          }}},
    };

    QStringList menus;
    int reached = 0;
    for (QAction* popup : frame.menuBar()->actions()) {
        menus << popup->text() + QLatin1Char(' ') + IdsOf(popup->menu()->actions());
        for (QAction* action : popup->menu()->actions()) {
            if (action->isSeparator()) continue;
            const auto command = commands.find(action->objectName().mid(2).toInt());
            ASSERT_NE(command, commands.end()) << action->objectName().toStdString();
            SCOPED_TRACE(command->second.label);
            const QString keys =
                action->shortcut().isEmpty() ? QString() : "\t" + action->shortcut().toString();
            EXPECT_EQ(action->text() + keys, QString::fromLatin1(command->second.label));
            shown.clear();
            QTimer::singleShot(0, [&shown] {
                auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (box == nullptr) return;
                shown << box->windowTitle();
                for (QLabel* label : box->findChildren<QLabel*>()) shown << label->text();
                box->reject();
            });
            widthBefore = shownWidth();
            action->trigger();
            QApplication::processEvents();
            command->second.reached();
            ++reached;
        }
    }
    EXPECT_EQ(reached, static_cast<int>(commands.size()));
    EXPECT_EQ(menus, (QStringList{"&File 57601 57616 57603 57604 57607 - 32790 32791 - 57665",
                                  "&Edit 57643 57644 - 32793 32794", "&Tool 32772 32773 - 32786",
                                  "&View 59392 59393 - 32780 32781 32783 32796", "&Setting 32784 32792",
                                  "&Help 57664"}));

    EXPECT_EQ(IdsOf(frame.ToolBar()->actions()), "57601 57603 - 32772 32773 - 32780 32783 32781 - 57664");
    EXPECT_EQ(frame.ToolBar()->iconSize(), QSize(32, 32));
    for (QAction* button : frame.ToolBar()->actions()) {
        if (button->isSeparator()) continue;
        EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }
}

TEST_F(FrameTest, ClipboardKeysAreAcceptedAndIgnored) {
    MainFrame frame;
    const std::pair<int, QKeySequence> keys[] = {
        {CommandId::kNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {CommandId::kCopy, QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {CommandId::kPaste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
        {CommandId::kPreviousPane, QKeySequence(Qt::SHIFT | Qt::Key_F6)}};
    for (const auto& [id, key] : keys) {
        ASSERT_NE(frame.Action(id), nullptr) << id;
        EXPECT_TRUE(frame.Action(id)->shortcuts().contains(key)) << id;
        frame.Action(id)->trigger();
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FrameTest, FrameHasNoMaximiseButtonAndKeepsItsSizeOnceShown) {
    MainFrame frame;
    EXPECT_FALSE(frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    frame.ShowMaximisedAndFixed();
    QTest::qWait(400);
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize());
    frame.Action(CommandId::kExit)->trigger();
    EXPECT_FALSE(frame.isVisible());
}

TEST_F(FrameTest, HelpOpensTheOnlineHelpShortcutOfTheWorkingDirectoryAndKeepsTheBoxOpen) {
    // A text browser's setSource(QUrl) slot stands in for the desktop's handler.
    QTextBrowser opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "setSource");
    AboutDialog box;
    box.findChild<QPushButton*>(QStringLiteral("id57670"))->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(opened.source(),
              QUrl::fromLocalFile(QString::fromStdString(dir.File("Stampora Online Help.url"))));
    EXPECT_EQ(box.result(), 0);
}

// How the setting is read and defaulted is checked with the setting itself;
// the frame takes it up when it is made.
TEST_F(FrameTest, TheFrameTakesUpTheOutputDirectorySetting) {
    ASSERT_TRUE(WriteIniValue(dir.File("config.ini"), "Setting", "OutputDir", "/somewhere/else"));
    MainFrame frame;
    EXPECT_EQ(outputDirectory, "/somewhere/else");
}

TEST_F(FrameTest, OutputDirectoryDialogStoresOnOkAndForgetsOnCancel) {
    outputDirectory = "/in/use";
    {
        OutputDirectoryDialog dialog;
        auto* box = dialog.findChild<QLineEdit*>("id1022");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("/in/use"));
        choosers.folders.push_back(QStringLiteral("/chosen"));
        dialog.findChild<QPushButton*>("id102")->click();
        ASSERT_EQ(choosers.folderRequests.size(), 1u);
        EXPECT_EQ(choosers.folderRequests[0].start, QStringLiteral("/in/use"));
        EXPECT_EQ(box->text(), QStringLiteral("/chosen"));
        dialog.reject();
    }
    EXPECT_EQ(outputDirectory, "/in/use");
    EXPECT_FALSE(std::filesystem::exists(dir.File("config.ini")));
    {
        OutputDirectoryDialog dialog;
        dialog.findChild<QLineEdit*>("id1022")->setText(QStringLiteral("/typed"));
        dialog.findChild<QPushButton*>("id1")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(outputDirectory, "/typed");
    EXPECT_EQ(ReadIniValue(dir.File("config.ini"), "Setting", "OutputDir").value_or(""), "/typed");
}
