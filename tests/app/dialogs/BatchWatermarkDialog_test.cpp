#include "app/dialogs/BatchWatermarkDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/QueuedChoosers.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/dialogs/ImageWatermarkDialog.h"
#include "app/dialogs/TextWatermarkDialog.h"
#include "app/widgets/AlignmentButton.h"
#include "codecs/PictureFiles.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedEnvironment.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

class BatchWatermarkDialogTest : public ::testing::Test {
protected:
    BatchWatermarkDialogTest() { ShowActive(dialog); }

    QLineEdit* Edit(int id) { return ById<QLineEdit>(dialog, id); }
    QCheckBox* Box(int id) { return ById<QCheckBox>(dialog, id); }
    void Click(int id) { QTest::mouseClick(ById<QWidget>(dialog, id), Qt::LeftButton); }
    // White pictures in a source folder, an empty output folder, and every
    // picture type chosen.
    std::filesystem::path PrepareRun(std::initializer_list<const char*> names) {
        const std::filesystem::path source = scratch.Path() / "in";
        std::filesystem::create_directories(source);
        std::filesystem::create_directories(scratch.Path() / "out");
        for (const char* name : names) WriteFilledPicture((source / name).string(), 32, 32, Qt::white);
        TypeInto(*Edit(1022), QString::fromStdString(source.string()));
        TypeInto(*Edit(1063), QString::fromStdString((scratch.Path() / "out").string()));
        Click(1013);
        return source;
    }

    ScratchDir scratch;
    // Settings and the remembered state stay in the test's own folder.
    ScopedWorkingDirectory cwd{scratch.Path()};
    RecordingMessageSink messages;
    ScopedMessageSink messageScope{messages};
    QueuedChoosers choosers;
    ScopedChoosers chooserScope{choosers};
    BatchWatermarkDialog dialog{"/stored/output"};
};

TEST_F(BatchWatermarkDialogTest, OpensWithTheEditorsOutputDirectoryAndNothingChosen) {
    EXPECT_EQ(Edit(1063)->text(), "/stored/output");
    EXPECT_EQ(Edit(1022)->text(), "");
    for (int id : {1013, 1014, 1015, 1016, 1017, 1020, 1021}) EXPECT_FALSE(Box(id)->isChecked()) << id;
    for (int id = 1087; id <= 1103; ++id) EXPECT_TRUE(ById<AlignmentButton>(dialog, id)->isEnabled()) << id;
    EXPECT_TRUE(ById<QPushButton>(dialog, 1068)->isDefault());
}

TEST_F(BatchWatermarkDialogTest, AChosenCellIsDisabledUntilAnotherIsChosen) {
    Click(1094);  // Right Bottom
    EXPECT_EQ(dialog.job.textMark.base.alignment, RightBottom);
    auto* rightBottom = ById<AlignmentButton>(dialog, 1094);
    EXPECT_FALSE(rightBottom->isEnabled());
    EXPECT_EQ(rightBottom->CurrentImage(), AlignmentButton::Disabled);

    Click(1090);  // Center
    EXPECT_TRUE(rightBottom->isEnabled());
    EXPECT_FALSE(ById<AlignmentButton>(dialog, 1090)->isEnabled());
    EXPECT_EQ(dialog.job.textMark.base.alignment, 8);

    // The image grid is its own.
    EXPECT_EQ(dialog.job.imageMark.base.alignment, -1);
    Click(1097);  // Right Top
    EXPECT_EQ(dialog.job.imageMark.base.alignment, RightTop);
    EXPECT_EQ(dialog.job.textMark.base.alignment, Center);
    EXPECT_FALSE(ById<AlignmentButton>(dialog, 1090)->isEnabled());
}

TEST_F(BatchWatermarkDialogTest, CellImagesAreGreenThenGrey) {
    auto* cell = ById<AlignmentButton>(dialog, 1088);
    const auto centreColour = [cell](AlignmentButton::Image image) {
        return cell->ImageOf(image).toImage().pixelColor(8, 8);
    };
    for (auto image : {AlignmentButton::Normal, AlignmentButton::Pushed}) {
        const QColor c = centreColour(image);
        EXPECT_GT(c.green(), c.red() + 40) << image;
    }
    for (auto image : {AlignmentButton::Hot, AlignmentButton::Disabled}) {
        const QColor c = centreColour(image);
        EXPECT_EQ(c.red(), c.green()) << image;
    }
    // The transparent colour is cut out.
    EXPECT_EQ(cell->ImageOf(AlignmentButton::Normal).toImage().pixelColor(0, 15).alpha(), 0);
}

TEST_F(BatchWatermarkDialogTest, AllImagesAndTheTypeBoxes) {
    for (int id : {1014, 1015, 1020, 1016, 1017, 1021}) Click(id);
    EXPECT_FALSE(Box(1013)->isChecked());  // every type set never sets All Images
    Click(1013);
    EXPECT_TRUE(Box(1013)->isChecked());
    Click(1015);  // BMP off takes All Images off with it
    EXPECT_FALSE(Box(1015)->isChecked());
    EXPECT_FALSE(Box(1013)->isChecked());
    EXPECT_TRUE(Box(1014)->isChecked());
    EXPECT_EQ(dialog.job.typeFlags.allImages, 0);
    EXPECT_FALSE(dialog.job.typeFlags.Has(FormatBmp));

    Click(1013);  // All Images sets every type
    EXPECT_TRUE(Box(1015)->isChecked());
    EXPECT_TRUE(dialog.job.typeFlags.Has(FormatBmp));
    Click(1013);  // clearing it leaves the types alone
    EXPECT_TRUE(Box(1015)->isChecked());
}

TEST_F(BatchWatermarkDialogTest, BrowseReplacesUnreadTypingWithTheStoredDirectories) {
    choosers.folders.push_back(QStringLiteral("/picked/source"));
    TypeInto(*Edit(1063), "/typed/output");
    Click(1062);
    ASSERT_EQ(choosers.folderRequests.size(), 1u);
    EXPECT_EQ(choosers.folderRequests[0].title, "Browse the source directory");
    EXPECT_FALSE(choosers.folderRequests[0].mayCreate);
    EXPECT_EQ(Edit(1022)->text(), "/picked/source");
    EXPECT_EQ(Edit(1063)->text(), "/stored/output");

    // The output chooser may create folders and starts from the stored value.
    Click(1064);  // cancelled
    ASSERT_EQ(choosers.folderRequests.size(), 2u);
    EXPECT_EQ(choosers.folderRequests[1].title, "Browse the output directory");
    EXPECT_TRUE(choosers.folderRequests[1].mayCreate);
    EXPECT_EQ(choosers.folderRequests[1].start, "/stored/output");
    EXPECT_EQ(dialog.job.outputDirectory, "/stored/output");
}

TEST_F(BatchWatermarkDialogTest, EnterInAnEditStartsARun) {
    Edit(1063)->clear();
    TypeInto(*Edit(1022), QString::fromStdString(scratch.File("missing")));
    QTest::keyClick(Edit(1022), Qt::Key_Return);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kEmptyOutputText);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(ById<QPushButton>(dialog, 1068)->isEnabled());
}

TEST_F(BatchWatermarkDialogTest, TheMarkButtonsEditTheBatchsOwnMarks) {
    WhenOpened<TextWatermarkDialog>([](TextWatermarkDialog& text) {
        ById<QPlainTextEdit>(text, 1000)->setPlainText("Batch");
        ById<QComboBox>(text, 1010)->setCurrentText("12");
        text.accept();
    });
    Click(1076);
    EXPECT_EQ(dialog.job.textMark.text, u"Batch");
    EXPECT_TRUE(dialog.job.textMark.base.enabled);
    EXPECT_EQ(dialog.job.textMark.params.size, 12);  // taken into the rendering settings

    // Before any run the target size is unknown: no size warning.
    WhenOpened<ImageWatermarkDialog>([](ImageWatermarkDialog& image) {
        EXPECT_EQ(image.mark.base.pictureWidth, 0);
        image.reject();
    });
    Click(1086);
    EXPECT_FALSE(dialog.job.imageMark.base.enabled);
}

TEST_F(BatchWatermarkDialogTest, RunningIntoTheSourceDirectoryAsksFirst) {
    const std::string picture = scratch.File("only.bmp");
    WriteFilledPicture(picture, 64, 64, Qt::white);
    const auto before = std::filesystem::last_write_time(picture);
    TypeInto(*Edit(1022), QString::fromStdString(scratch.Path().string()));
    TypeInto(*Edit(1063), QString::fromStdString(scratch.Path().string() + "/"));
    Click(1013);
    messages.answer = MessageAnswer::No;
    Click(1068);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.messages[0].text, ReplaceOriginalsQuestion(scratch.Path().string() + "/"));
    EXPECT_EQ(std::filesystem::last_write_time(picture), before);
}

TEST_F(BatchWatermarkDialogTest, ClosingDuringARunWaitsForItsEnd) {
    PrepareRun({"a.bmp", "b.bmp"});

    bool visibleAfterClose = false;
    QObject::connect(ById<QProgressBar>(dialog, 1065), &QProgressBar::valueChanged, [&](int value) {
        if (value != 50) return;
        dialog.reject();
        visibleAfterClose = dialog.isVisible();
    });
    Click(1068);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_EQ(messages.messages.back().text, "Batch finish!");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Running());
}

TEST_F(BatchWatermarkDialogTest, TheClosingMessageNamesFilesThatDidNotComeOutWhole) {
    const std::filesystem::path source = PrepareRun({"good.bmp"});
    std::ofstream((source / "broken.png").string()) << "not a picture";
    Click(1068);
    ASSERT_EQ(messages.messages.size(), 1u);
    const std::string& text = messages.messages[0].text;
    EXPECT_EQ(text.rfind("Batch finish!", 0), 0u) << text;
    EXPECT_NE(text.find("\nbroken.png: skipped: "), std::string::npos) << text;
    EXPECT_EQ(text.find("good.bmp"), std::string::npos) << text;

    // A second run starts its list afresh.
    std::filesystem::remove(source / "broken.png");
    Click(1068);
    EXPECT_EQ(messages.messages[1].text.find("broken.png"), std::string::npos) << messages.messages[1].text;
}

TEST(ClosingMessage, NamesTenFilesAndCountsTheRest) {
    std::vector<std::string> lines;
    for (int i = 0; i < 10; ++i) lines.push_back("f" + std::to_string(i) + ": skipped");
    const std::string text = ClosingMessageWithFiles("Batch finish!", lines, 13);
    EXPECT_NE(text.find("f9: skipped\n... and 3 more."), std::string::npos) << text;
    EXPECT_EQ(ClosingMessageWithFiles("Batch finish!", {}, 0), "Batch finish!");
}

}  // namespace

TEST_F(BatchWatermarkDialogTest, MovedMarksTravelBesideThePresetOrOnTheirOwn) {
    dialog.job.placements.Set("a,b.bmp", MarkKind::Text, MarkPoint{5, 6});
    choosers.saveFiles.push_back(QString::fromStdString(scratch.File("mine.ini")));
    dialog.findChild<QPushButton*>("savePreset")->click();
    std::ifstream beside(scratch.File("mine.placements.csv"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(beside), {}), "\"a,b.bmp\",text,5,6\n");

    dialog.job.placements = Placements{};
    choosers.openFiles.push_back(QString::fromStdString(scratch.File("mine.ini")));
    dialog.findChild<QPushButton*>("loadPreset")->click();
    EXPECT_EQ(dialog.job.placements.For("a,b.bmp").text, (MarkPoint{5, 6}));

    choosers.saveFiles.push_back(QString::fromStdString(scratch.File("alone.csv")));
    dialog.findChild<QPushButton*>("savePlacements")->click();
    EXPECT_TRUE(std::filesystem::exists(scratch.File("alone.csv")));
}
