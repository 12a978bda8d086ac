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

#include "app/AboutDialog.h"
#include "app/EditorTestSupport.h"
#include "app/OutputDirectory.h"
#include "app/OutputDirectoryDialog.h"
#include "platform/IniFile.h"
#include "support/RecordingMessageSink.h"

using namespace stampora;

namespace {

QStringList MenuItems(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        items << (action->isSeparator()
                      ? QStringLiteral("-")
                      : action->text() + (action->shortcut().isEmpty()
                                              ? QString()
                                              : QLatin1Char('\t') + action->shortcut().toString()));
    }
    return items;
}

class FrameTest : public ::testing::Test {
protected:
    ScratchDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};
    ScopedEnvironment documents{"XDG_DOCUMENTS_DIR", dir.File("Documents")};
    QueuedChoosers choosers;
    ScopedChoosers installChoosers{choosers};
    RecordingMessageSink messages;
    ScopedMessageSink sink{messages};
};

}  // namespace

TEST_F(FrameTest, MenusHoldEveryCommandWithItsKeys) {
    MainFrame frame;
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Stampora"));
    EXPECT_FALSE(frame.windowIcon().isNull());
    const QList<QAction*> popups = frame.menuBar()->actions();
    ASSERT_EQ(popups.size(), 5);
    const QStringList titles = {"&File", "&Tool", "&View", "&Setting", "&Help"};
    const QList<QStringList> items = {
        {"&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-", "&Load Preset...", "Save &Preset...", "-",
         "E&xit"},
        {"&Text Watermark", "&Image Watermark", "-", "&Batch Watermark"},
        {"&Toolbar", "&Status Bar", "-", "Zoom &In", "Zoom &Out", "&Full Size"},
        {"&Output Directory", "Save O&ptions..."},
        {"&About Stampora..."},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(popups[i]->text(), titles[i]);
        EXPECT_EQ(MenuItems(popups[i]->menu()), items[i]) << titles[i].toStdString();
    }
    EXPECT_EQ(frame.Action(CommandId::kOpen)->statusTip(), QStringLiteral("Open an existing document"));
    EXPECT_EQ(frame.Action(CommandId::kExit)->statusTip(),
              QStringLiteral("Quit the application; prompts to save documents"));
    EXPECT_EQ(frame.Action(CommandId::kFullSize)->toolTip(), QStringLiteral("Show Full Size"));
    // The watermark and batch commands exist by their ids, for their dialogs.
    for (int id : {CommandId::kTextWatermark, CommandId::kImageWatermark, CommandId::kBatchWatermark}) {
        EXPECT_NE(frame.findChild<QAction*>(QStringLiteral("id%1").arg(id)), nullptr) << id;
    }
}

TEST_F(FrameTest, ToolbarHasElevenEntriesWithImagesAndTooltips) {
    MainFrame frame;
    const QList<QAction*> entries = frame.ToolBar()->actions();
    ASSERT_EQ(entries.size(), 11);
    const QStringList expected = {"id57601", "id57603", "-",       "id32772", "id32773", "-",
                                  "id32780", "id32783", "id32781", "-",       "id57664"};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(entries[i]->isSeparator() ? QStringLiteral("-") : entries[i]->objectName(), expected[i]);
        if (!entries[i]->isSeparator()) {
            EXPECT_FALSE(entries[i]->icon().isNull()) << i;
            EXPECT_FALSE(entries[i]->toolTip().isEmpty()) << i;
        }
    }
    EXPECT_EQ(frame.ToolBar()->iconSize(), QSize(32, 32));
    EXPECT_EQ(entries[0]->toolTip(), QStringLiteral("Open"));
    EXPECT_EQ(entries[3]->toolTip(), QStringLiteral("Add Text Watermark"));
}

TEST_F(FrameTest, StatusBarSaysReadyAndTheTogglesFollowTheirBars) {
    MainFrame frame;
    frame.show();
    EXPECT_NE(frame.statusBar()->findChild<QLabel*>(), nullptr);
    EXPECT_EQ(frame.statusBar()->findChild<QLabel*>()->text(), QStringLiteral("Ready"));
    const std::pair<QAction*, QWidget*> toggles[] = {
        {frame.Action(CommandId::kToolbar), frame.ToolBar()},
        {frame.Action(CommandId::kStatusBar), frame.statusBar()}};
    for (const auto& [toggle, bar] : toggles) {
        EXPECT_TRUE(toggle->isChecked());
        toggle->trigger();
        EXPECT_FALSE(toggle->isChecked());
        EXPECT_TRUE(bar->isHidden());
        toggle->trigger();
        EXPECT_TRUE(toggle->isChecked());
        EXPECT_FALSE(bar->isHidden());
    }
}

TEST_F(FrameTest, EditKeysAreAcceptedAndIgnoredAndPrintShowsOnlyTheDialog) {
    MainFrame frame;
    struct Key {
        int id;
        QKeySequence keys;
    };
    const Key keys[] = {{CommandId::kNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
                        {CommandId::kUndo, QKeySequence(Qt::ALT | Qt::Key_Backspace)},
                        {CommandId::kCopy, QKeySequence(Qt::CTRL | Qt::Key_Insert)},
                        {CommandId::kPaste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
                        {CommandId::kPreviousPane, QKeySequence(Qt::SHIFT | Qt::Key_F6)}};
    for (const Key& key : keys) {
        ASSERT_NE(frame.Action(key.id), nullptr) << key.id;
        EXPECT_TRUE(frame.Action(key.id)->shortcuts().contains(key.keys)) << key.id;
        frame.Action(key.id)->trigger();
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(frame.Action(CommandId::kPrint)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    frame.Action(CommandId::kPrint)->trigger();
    EXPECT_EQ(choosers.printerRequests, 1);
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

TEST_F(FrameTest, AboutBoxShowsItsIconTextsLinksAndButtons) {
    MainFrame frame;
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        texts << box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) texts << label->text();
        for (QPushButton* button : box->findChildren<QPushButton*>()) texts << button->text();
        static_cast<QDialog*>(box)->accept();
    });
    frame.Action(CommandId::kAbout)->trigger();
    EXPECT_TRUE(texts.contains("About Stampora"));
    EXPECT_TRUE(texts.contains("Stampora Image Editor v1.0"));
    EXPECT_TRUE(texts.contains("OK"));
    EXPECT_TRUE(texts.contains("HELP"));
    EXPECT_TRUE(texts.filter("Homepage").size() == 1 && texts.filter("Feedback").size() == 1);
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

TEST_F(FrameTest, OutputDirectoryComesFromConfigOrTheDocumentsDefault) {
    const std::string folder = dir.File("Documents");
    {
        MainFrame frame;
        EXPECT_EQ(outputDirectory, folder + "/Stampora");
        EXPECT_TRUE(std::filesystem::is_directory(folder + "/Stampora"));
        EXPECT_FALSE(std::filesystem::exists(dir.File("config.ini")));
    }
    ASSERT_TRUE(WriteIniValue(dir.File("config.ini"), "Setting", "OutputDir", "/somewhere/else"));
    MainFrame frame;
    EXPECT_EQ(outputDirectory, "/somewhere/else");
}

TEST_F(FrameTest, OutputDirectoryDialogStoresOnOkAndForgetsOnCancel) {
    outputDirectory = "/in/use";
    {
        OutputDirectoryDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Output directory -- Setting"));
        auto* box = dialog.findChild<QLineEdit*>("id1022");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("/in/use"));
        choosers.folders.push_back(QStringLiteral("/chosen"));
        dialog.findChild<QPushButton*>("id102")->click();
        ASSERT_EQ(choosers.folderRequests.size(), 1u);
        EXPECT_EQ(choosers.folderRequests[0].title, QStringLiteral("Browse the save directory"));
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
    OutputDirectoryDialog reopened;
    EXPECT_EQ(reopened.findChild<QLineEdit*>("id1022")->text(), QStringLiteral("/typed"));
}
