// Opening and saving through the main window's commands: one file per
// dialog, failures told with the reader's or writer's reason, Save into the
// output directory (asking before replacing the original), Save As by the
// chosen name and type, and pictures dropped on the window.
#include <QDropEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/EditorTestSupport.h"
#include "app/MainFrame.h"
#include "app/PictureFileFilters.h"
#include "app/settings/OutputDirectory.h"
#include "codecs/PictureFiles.h"
#include "platform/qt/QtMessageSink.h"

using namespace stampora;

namespace {

class OpenSaveTest : public ::testing::Test, protected EditorSession {
protected:
    OpenSaveTest() {
        std::filesystem::create_directories(dir.Path() / "out");
        outputDirectory = dir.File("out");
    }
    void OpenByDialog(const std::string& path) {
        choosers.openFiles.push_back(QString::fromStdString(path));
        frame.Action(CommandId::kOpen)->trigger();
    }

    MainFrame frame;
};

}  // namespace

TEST_F(OpenSaveTest, OpenOffersAFilterPerFormatReadAndLoadsTheChosenFile) {
    OpenByDialog(WritePicture(dir, "a.bmp", 30, 20));
    const QStringList filters = choosers.openFilters.back().split(QStringLiteral(";;"));
    ASSERT_EQ(filters.size(), 12);
    // Every extension in both cases, as the file system tells them apart.
    EXPECT_EQ(filters[0], QStringLiteral("JPEG Image File (*.JPG *.JPEG *.JPE *.jpg *.jpeg *.jpe)"));
    EXPECT_EQ(filters[11], QStringLiteral("All Files (*)"));
    EXPECT_TRUE(frame.Canvas()->Document().loaded);
    EXPECT_EQ(frame.Canvas()->Document().fileName, "a.bmp");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(OpenSaveTest, APictureThatCannotBeOpenedIsToldAndTheCanvasKeepsWhatItShowed) {
    OpenByDialog(WritePicture(dir, "good.bmp", 30, 20));
    WriteTextFile(dir.File("broken.png"), "\x89PNG\r\n\x1a\n not really");
    OpenByDialog(dir.File("broken.png"));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Error");
    EXPECT_NE(messages.messages[0].text.find("broken.png"), std::string::npos);
    EXPECT_GT(messages.messages[0].text.size(), std::string("Could not open \"broken.png\".\n").size());
    EXPECT_EQ(frame.Canvas()->Document().fileName, "good.bmp");
    EXPECT_TRUE(frame.Canvas()->Document().loaded);
}

TEST_F(OpenSaveTest, SaveWritesIntoTheOutputDirectoryAndLeavesTheOriginal) {
    const std::string original = WritePicture(dir, "a.bmp", 40, 30);
    const std::vector<uint8_t> before = FileBytes(original);
    OpenByDialog(original);
    frame.Action(CommandId::kSave)->trigger();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(FileBytes(original), before);
    CRasterImage saved;
    ASSERT_TRUE(saved.Load(dir.File("out/a.bmp")));
    EXPECT_EQ(saved.Width(), 40);

    // An empty output directory saves into the Documents default.
    outputDirectory.clear();
    frame.Action(CommandId::kSave)->trigger();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("Documents/Stampora/a.bmp")));
    EXPECT_FALSE(std::filesystem::exists("/a.bmp"));
}

TEST_F(OpenSaveTest, SaveIntoThePicturesOwnFolderAsksBeforeReplacingIt) {
    const std::string original = WritePicture(dir, "a.bmp", 40, 30);
    const std::vector<uint8_t> before = FileBytes(original);
    OpenByDialog(original);
    outputDirectory = dir.Path().string();
    messages.answer = MessageAnswer::No;
    frame.Action(CommandId::kSave)->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Replace the original picture?");
    EXPECT_EQ(messages.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(FileBytes(original), before);
    {
        // Enter on the question as the editor shows it answers No.
        QtMessageSink boxes;
        ScopedMessageSink shown{boxes};
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        frame.Action(CommandId::kSave)->trigger();
        EXPECT_EQ(FileBytes(original), before);
    }
    messages.answer = MessageAnswer::Yes;
    frame.Action(CommandId::kSave)->trigger();
    EXPECT_NE(FileBytes(original), before);  // now 32 bits per pixel
}

TEST_F(OpenSaveTest, AFailedSaveIsToldAndTheFileThereIsUntouched) {
    OpenByDialog(WritePicture(dir, "a.png", 40, 30));
    // The target name is taken by a folder, which no writer can replace.
    std::filesystem::create_directories(dir.Path() / "out" / "a.png" / "inside");
    frame.Action(CommandId::kSave)->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Error");
    EXPECT_NE(messages.messages[0].text.find(dir.File("out/a.png")), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "out" / "a.png" / "inside"));
    EXPECT_TRUE(frame.Canvas()->Document().loaded);
}

TEST_F(OpenSaveTest, SaveAsWritesTheChosenTypeAndGivesABareNameTheFiltersType) {
    OpenByDialog(WritePicture(dir, "a.png", 40, 30));
    choosers.saveFiles.push_back(QString::fromStdString(dir.File("result.bmp")));
    frame.Action(CommandId::kSaveAs)->trigger();
    EXPECT_EQ(FileText(dir.File("result.bmp")).substr(0, 2), "BM");
    // Save As offers the formats it can write: icons are read, not written.
    EXPECT_EQ(choosers.saveFilters.back().count(QStringLiteral(";;")), 10);
    EXPECT_FALSE(choosers.saveFilters.back().contains(QStringLiteral("*.ICO")));

    // The filter chosen decides the type of a name without an extension;
    // under All Files it is JPEG.
    const QStringList filters = PictureSaveFilters().split(QStringLiteral(";;"));
    choosers.saveFilterIndex =
        static_cast<int>(filters.indexOf(QRegularExpression(QStringLiteral("Portable Network Graphics.*"))));
    ASSERT_GT(choosers.saveFilterIndex, 0);
    choosers.saveFiles.push_back(QString::fromStdString(dir.File("filtertest")));
    frame.Action(CommandId::kSaveAs)->trigger();
    EXPECT_EQ(FileText(dir.File("filtertest.png")).substr(1, 3), "PNG");
    EXPECT_FALSE(std::filesystem::exists(dir.File("filtertest.jpg")));
    choosers.saveFilterIndex = static_cast<int>(filters.size()) - 1;
    choosers.saveFiles = {QString::fromStdString(dir.File("result")),
                          QString::fromStdString(dir.File("result"))};
    frame.Action(CommandId::kSaveAs)->trigger();
    EXPECT_EQ(FileText(dir.File("result.jpg")).substr(0, 2), "\xFF\xD8");
    EXPECT_TRUE(messages.messages.empty());
    // Choosing the bare name again asks about the file it would replace.
    messages.answer = MessageAnswer::No;
    const std::vector<uint8_t> before = FileBytes(dir.File("result.jpg"));
    frame.Action(CommandId::kSaveAs)->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(FileBytes(dir.File("result.jpg")), before);
}

TEST_F(OpenSaveTest, NothingOpenedSavesNothing) {
    // The commands are disabled; their handlers, reached all the same, do nothing.
    for (int id : {CommandId::kSave, CommandId::kSaveAs, CommandId::kPrint})
        EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
    frame.Save();
    frame.SaveAs();
    frame.Print();
    EXPECT_TRUE(choosers.saveFilters.empty() && choosers.printerRequests == 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "out"));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(OpenSaveTest, APictureDroppedOnTheWindowOpens) {
    struct DropTarget : MainFrame {
        using MainFrame::dragEnterEvent;
        using MainFrame::dropEvent;
    } target;
    const std::string path = WritePicture(dir, "dropped.bmp", 20, 10);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    target.dragEnterEvent(&enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    target.dropEvent(&drop);
    EXPECT_EQ(target.Canvas()->Document().fileName, "dropped.bmp");
    EXPECT_TRUE(messages.messages.empty());
}
