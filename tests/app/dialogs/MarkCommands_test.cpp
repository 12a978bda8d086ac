// The three commands from the editor's menu, end to end: a confirmed text
// mark appears centred and is saved at full resolution; a chosen image mark,
// sized by Best Size and turned 30 degrees, appears and is saved; a batch run
// started from the batch dialog writes every picture.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "app/CanvasView.h"
#include "app/MainFrame.h"
#include "app/QueuedChoosers.h"
#include "app/dialogs/DialogIds.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/dialogs/ImageWatermarkDialog.h"
#include "app/dialogs/TextWatermarkDialog.h"
#include "app/settings/OutputDirectory.h"
#include "app/widgets/PicturePreview.h"
#include "batch/copy/WatermarkFile.h"
#include "codecs/PictureFiles.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedEnvironment.h"
#include "support/TestPaths.h"
#include "watermark/WatermarkMessages.h"

using namespace stampora;

namespace {

bool IsWhite(const CRasterImage& picture, int32_t x, int32_t y) {
    const uint8_t* p = picture.PixelAt(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

// Pixels of the rectangle that are not white.
int Marked(const CRasterImage& picture, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int count = 0;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) count += !IsWhite(picture, x, y);
    }
    return count;
}

class MarkCommandsTest : public ::testing::Test {
protected:
    MarkCommandsTest() {
        std::filesystem::create_directories(dir.Path() / "out");
        outputDirectory = dir.File("out");
        frame.resize(1000, 800);
        frame.show();
        QApplication::processEvents();
    }
    CanvasView& Canvas() { return *frame.Canvas(); }
    // Opens a white picture of the given size in the editor.
    void OpenWhite(int32_t width, int32_t height, const std::string& name = "photo.bmp") {
        WriteFilledPicture(dir.File(name), width, height, Qt::white);
        ASSERT_TRUE(frame.OpenPath(QString::fromStdString(dir.File(name))));
        QApplication::processEvents();
    }
    CRasterImage Saved(const std::string& name = "photo.bmp") {
        frame.Action(CommandId::kSave)->trigger();
        CRasterImage saved;
        EXPECT_TRUE(saved.Load(dir.File("out/" + name)));
        return saved;
    }
    // The mark's screen rectangle is centred in the shown picture.
    void ExpectCentredOnScreen(const WatermarkBase& mark) {
        const PixelRect& shown = Canvas().Document().displayRect;
        EXPECT_NEAR(mark.screenRect.left + mark.screenRect.right, shown.left + shown.right, 2);
        EXPECT_NEAR(mark.screenRect.top + mark.screenRect.bottom, shown.top + shown.bottom, 2);
    }

    ScratchDir dir;
    // Settings and remembered marks stay in the test's own folder.
    ScopedWorkingDirectory cwd{dir.Path()};
    QueuedChoosers choosers;
    ScopedChoosers chooserScope{choosers};
    RecordingMessageSink messages;
    ScopedMessageSink messageScope{messages};
    MainFrame frame;
};

TEST_F(MarkCommandsTest, AConfirmedTextMarkAppearsCentredAndIsSavedAtFullResolution) {
    OpenWhite(1200, 900);
    ASSERT_LT(Canvas().Document().zoom, 1.0f);  // shown reduced
    WhenOpened<TextWatermarkDialog>([](TextWatermarkDialog& text) {
        EXPECT_EQ(text.mark.base.pictureWidth, 1200);
        ById<QPlainTextEdit>(text, TextDialogId::kText)->setPlainText("Centre");
        ById<QComboBox>(text, TextDialogId::kFont)->setCurrentText("DejaVu Sans");
        ById<QComboBox>(text, TextDialogId::kSize)->setCurrentText("48");
        QTest::mouseClick(ById<QPushButton>(text, ButtonId::kOk), Qt::LeftButton);
    });
    frame.Action(CommandId::kTextWatermark)->trigger();

    const WatermarkBase& mark = Canvas().Marks().PlacedText().made.base;
    ASSERT_TRUE(mark.enabled);
    ASSERT_GT(mark.markWidth, 100);
    ExpectCentredOnScreen(mark);
    const float zoom = Canvas().Document().zoom;
    EXPECT_NEAR(mark.x, (1200 - mark.markWidth) / 2, 2 / zoom);
    EXPECT_NEAR(mark.y, (900 - mark.markHeight) / 2, 2 / zoom);
    EXPECT_TRUE(messages.messages.empty());

    const CRasterImage saved = Saved();
    ASSERT_EQ(saved.Width(), 1200);
    ASSERT_EQ(saved.Height(), 900);
    EXPECT_GT(Marked(saved, mark.x, mark.y, mark.x + mark.markWidth, mark.y + mark.markHeight), 500);
    EXPECT_EQ(Marked(saved, 0, 0, 1200, mark.y), 0);
    EXPECT_EQ(Marked(saved, 0, mark.y + mark.markHeight, 1200, 900), 0);

    // Reopening shows the confirmed mark; cancelling leaves it as it was.
    WhenOpened<TextWatermarkDialog>([](TextWatermarkDialog& text) {
        EXPECT_EQ(ById<QComboBox>(text, TextDialogId::kSize)->currentText(), "48");
        EXPECT_EQ(ById<QPlainTextEdit>(text, TextDialogId::kText)->toPlainText(), "Centre");
        text.reject();
    });
    frame.Action(CommandId::kTextWatermark)->trigger();
    EXPECT_TRUE(Canvas().Marks().PlacedText().shown);
}

TEST_F(MarkCommandsTest, AChosenImageMarkAtBestSizeTurned30DegreesAppearsAndIsSaved) {
    OpenWhite(640, 480);
    const std::string markPath = dir.File("logo.bmp");
    WriteFilledPicture(markPath, 800, 600, QColor(255, 0, 0));
    choosers.openFiles.push_back(QString::fromStdString(markPath));
    WhenOpened<ImageWatermarkDialog>([](ImageWatermarkDialog& image) {
        EXPECT_EQ(image.mark.base.pictureWidth, 640);
        QTest::mouseClick(ById<PicturePreview>(image, ImageDialogId::kPreview), Qt::LeftButton);
        QTest::mouseClick(ById<QRadioButton>(image, ImageDialogId::kBestSize), Qt::LeftButton);
        ById<QLineEdit>(image, ImageDialogId::kRotation)->setText("30");
        QTest::mouseClick(ById<QPushButton>(image, ButtonId::kOk), Qt::LeftButton);
    });
    frame.Action(CommandId::kImageWatermark)->trigger();

    const ImageWatermark& mark = Canvas().ImageMark();
    ASSERT_TRUE(mark.base.enabled);
    EXPECT_EQ(mark.base.rotation, 30);
    ExpectCentredOnScreen(Canvas().Marks().PlacedImage().made.base);
    EXPECT_TRUE(messages.messages.empty());

    const CRasterImage saved = Saved();
    ASSERT_EQ(saved.Width(), 640);
    const uint8_t* centre = saved.PixelAt(320, 240);
    EXPECT_EQ(centre[2], 255);
    EXPECT_LT(centre[1], 30);
    EXPECT_TRUE(IsWhite(saved, 5, 5));
    // The corners of the turned mark's box stay white: it is turned, not square.
    EXPECT_TRUE(IsWhite(saved, mark.base.x + 1, mark.base.y + 1));
}

TEST_F(MarkCommandsTest, MarksAreKeptFromPictureToPictureAndHiddenWhereTheyDoNotFit) {
    OpenWhite(1200, 900, "big.bmp");
    const std::string logo = dir.File("logo.bmp");
    WriteFilledPicture(logo, 500, 400, QColor(255, 0, 0));
    choosers.openFiles.push_back(QString::fromStdString(logo));
    WhenOpened<ImageWatermarkDialog>([](ImageWatermarkDialog& image) {
        QTest::mouseClick(ById<PicturePreview>(image, ImageDialogId::kPreview), Qt::LeftButton);
        ById<QLineEdit>(image, ImageDialogId::kOpacity)->setText("50");
        ById<QLineEdit>(image, ImageDialogId::kRotation)->setText("10");
        QTest::mouseClick(ById<QPushButton>(image, ButtonId::kOk), Qt::LeftButton);
    });
    frame.Action(CommandId::kImageWatermark)->trigger();
    const PlacedMark& placed = Canvas().Marks().PlacedImage();
    ASSERT_TRUE(placed.shown);
    const int32_t turnedWidth = placed.made.base.markWidth;

    // Too small for the mark: hidden with the message, not saved, and the
    // dialog opens on the mark as it was set.
    OpenWhite(300, 200, "small.bmp");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kImageMarkTooLargeMessage);
    EXPECT_FALSE(placed.shown);
    EXPECT_EQ(Marked(Saved("small.bmp"), 0, 0, 300, 200), 0);
    WhenOpened<ImageWatermarkDialog>([](ImageWatermarkDialog& image) {
        EXPECT_EQ(image.mark.source.Width(), 500);
        EXPECT_EQ(ById<QLineEdit>(image, ImageDialogId::kOpacity)->text(), "50");
        EXPECT_EQ(ById<QLineEdit>(image, ImageDialogId::kRotation)->text(), "10");
        image.reject();
    });
    frame.Action(CommandId::kImageWatermark)->trigger();

    // Large enough again: shown as it was.
    OpenWhite(1200, 900, "big.bmp");
    EXPECT_EQ(messages.messages.size(), 1u);
    ASSERT_TRUE(placed.shown);
    EXPECT_EQ(placed.made.base.markWidth, turnedWidth);
}

TEST_F(MarkCommandsTest, ARelativeTextMarkIsSavedAsTheBatchToolStampsIt) {
    OpenWhite(640, 480);  // shown at 100 %
    WhenOpened<TextWatermarkDialog>([](TextWatermarkDialog& text) {
        ById<QPlainTextEdit>(text, TextDialogId::kText)->setPlainText("{name}");
        ById<QComboBox>(text, TextDialogId::kFont)->setCurrentText("DejaVu Sans");
        ById<QComboBox>(text, TextDialogId::kSize)->setCurrentText("4%");
        QTest::mouseClick(ById<QPushButton>(text, ButtonId::kOk), Qt::LeftButton);
    });
    frame.Action(CommandId::kTextWatermark)->trigger();
    const PlacedMark& placed = Canvas().Marks().PlacedText();
    ASSERT_TRUE(placed.shown);
    EXPECT_TRUE(messages.messages.empty());

    // The batch tool's copy with the same mark anchored at the centre, where
    // the editor put it.
    TextWatermark mark = Canvas().TextMark();
    mark.base.alignment = Center;
    CFittedTextMark text(mark, Canvas().TextFit());
    const ImageWatermark none;
    CFittedImageMark image(none, MarkFit{});
    CRasterImage work;
    const BatchFileResult batch =
        WatermarkFile(work, dir.File("photo.bmp"), dir.File("batch.bmp"), image, text, 1, -1);
    ASSERT_EQ(batch.outcome, BatchFileOutcome::Written) << batch.status.Error();
    CRasterImage batchCopy;
    ASSERT_TRUE(batchCopy.Load(dir.File("batch.bmp")));
    EXPECT_GT(Marked(batchCopy, 0, 0, 640, 480), 50);
    ExpectSamePixels(Saved(), batchCopy);
}

}  // namespace
