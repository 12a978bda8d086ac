#include "app/dialogs/ImageWatermarkDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <fstream>
#include <tuple>

#include "app/QueuedChoosers.h"
#include "app/dialogs/DialogIds.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/widgets/ArrowPair.h"
#include "app/widgets/PicturePreview.h"
#include "codecs/PictureFiles.h"
#include "support/RecordingMessageSink.h"
#include "support/TestPaths.h"

using namespace stampora;
using namespace stampora::ImageDialogId;

namespace {

// A picture file of the given size, red on the left half and blue on the right.
std::string WritePicture(const ScratchDir& dir, const std::string& name, int32_t width, int32_t height) {
    const std::string path = dir.File(name);
    EXPECT_TRUE(PaintedImage(width, height, 24, [width](int32_t x, int32_t, uint8_t* p) {
                    p[0] = x < width / 2 ? 0 : 255;
                    p[1] = 0;
                    p[2] = x < width / 2 ? 255 : 0;
                }).Save(path));
    return path;
}

class ImageWatermarkDialogTest : public ::testing::Test {
protected:
    void Open(const ImageWatermark& mark = {}) {
        dialog.mark = mark;
        ShowActive(dialog);
    }
    QLineEdit* Edit(int id) { return ById<QLineEdit>(dialog, id); }
    void ClickPreview() { QTest::mouseClick(ById<PicturePreview>(dialog, kPreview), Qt::LeftButton); }
    void Choose(const std::string& path) {
        choosers.openFiles.push_back(QString::fromStdString(path));
        ClickPreview();
    }
    void ChooseLandscape() { Choose(WritePicture(scratch, "mark.bmp", 800, 600)); }

    ScratchDir scratch;
    RecordingMessageSink messages;
    ScopedMessageSink messageScope{messages};
    QueuedChoosers choosers;
    ScopedChoosers chooserScope{choosers};
    ImageWatermarkDialog dialog;
};

TEST_F(ImageWatermarkDialogTest, WithoutAPictureOnlyThePreviewAndTheButtonsAreUsable) {
    Open();
    for (int id : {kWidth, kHeight, kOpacity}) EXPECT_TRUE(Edit(id)->isReadOnly()) << id;
    for (int id : {kLockAspectRatio, kBestSize, kRealSize, kRotation, kOpacityArrows, kRotationArrows}) {
        EXPECT_FALSE(ById<QWidget>(dialog, id)->isEnabled()) << id;
    }
    EXPECT_TRUE(ById<QCheckBox>(dialog, kLockAspectRatio)->isChecked());
    EXPECT_FALSE(ById<QRadioButton>(dialog, kBestSize)->isChecked());
    EXPECT_FALSE(ById<QRadioButton>(dialog, kRealSize)->isChecked());

    // A cancelled chooser, reached by mouse or keyboard, changes nothing.
    ClickPreview();
    auto* preview = ById<PicturePreview>(dialog, kPreview);
    preview->setFocus(Qt::TabFocusReason);
    QTest::keyClick(preview, Qt::Key_Space);
    EXPECT_EQ(choosers.openFilters.size(), 2u);
    EXPECT_FALSE(dialog.mark.base.enabled);
    EXPECT_TRUE(messages.messages.empty());

    // OK without a picture closes with an inactive mark.
    QTest::mouseClick(ById<QPushButton>(dialog, ButtonId::kOk), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.mark.base.enabled);
    EXPECT_TRUE(dialog.mark.layer.IsEmpty());
}

TEST_F(ImageWatermarkDialogTest, ChoosingAPictureShowsItAndItsSizeAndTheSizeButtonsWork) {
    Open();
    ChooseLandscape();
    ASSERT_TRUE(dialog.mark.base.enabled);
    ASSERT_EQ(choosers.openFilters.size(), 1u);
    EXPECT_TRUE(choosers.openFilters[0].startsWith("JPEG Image File"));
    EXPECT_EQ(Edit(kWidth)->text(), "800");
    EXPECT_EQ(Edit(kHeight)->text(), "600");
    EXPECT_EQ(dialog.mark.base.markWidth, 800);
    EXPECT_FALSE(Edit(kWidth)->isReadOnly());
    EXPECT_TRUE(ById<QWidget>(dialog, kRotationArrows)->isEnabled());

    // Stretched over the whole preview: red at the left, blue at the right.
    const QImage shown = ById<PicturePreview>(dialog, kPreview)->grab().toImage();
    EXPECT_EQ(shown.pixelColor(8, shown.height() / 2), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(shown.width() - 8, shown.height() / 2), QColor(0, 0, 255));

    QTest::mouseClick(ById<QRadioButton>(dialog, kBestSize), Qt::LeftButton);
    EXPECT_EQ(Edit(kWidth)->text(), "80");
    EXPECT_EQ(Edit(kHeight)->text(), "60");
    QTest::mouseClick(ById<QRadioButton>(dialog, kRealSize), Qt::LeftButton);
    EXPECT_EQ(Edit(kWidth)->text(), "800");
    EXPECT_EQ(Edit(kHeight)->text(), "600");
}

TEST_F(ImageWatermarkDialogTest, LockedAspectRatioFollowsTheOtherSideWhenAFieldIsLeft) {
    Open();
    ChooseLandscape();
    TypeInto(*Edit(kWidth), "333");
    TabAway(*Edit(kWidth));
    EXPECT_EQ(dialog.mark.base.height, 249);  // 333 / 800 * 600 = 249.75
    EXPECT_EQ(Edit(kHeight)->text(), "249");

    TypeInto(*Edit(kHeight), "100");
    TabAway(*Edit(kHeight));
    EXPECT_EQ(dialog.mark.base.width, 133);
    EXPECT_EQ(Edit(kWidth)->text(), "133");

    // Unlocked, each side keeps what was typed.
    QTest::mouseClick(ById<QCheckBox>(dialog, kLockAspectRatio), Qt::LeftButton);
    EXPECT_FALSE(dialog.AspectRatioLocked());
    TypeInto(*Edit(kWidth), "400");
    TabAway(*Edit(kWidth));
    EXPECT_EQ(dialog.mark.base.height, 100);
    // While the target picture's size is unknown no size is warned about.
    TypeInto(*Edit(kHeight), "5000");
    TabAway(*Edit(kHeight));
    EXPECT_TRUE(messages.messages.empty());

    // Locked again, a huge height does not overflow the width it gives.
    QTest::mouseClick(ById<QCheckBox>(dialog, kLockAspectRatio), Qt::LeftButton);
    TypeInto(*Edit(kHeight), "2147483647");
    TabAway(*Edit(kHeight));
    EXPECT_EQ(dialog.mark.base.width, 2147483647);
}

TEST_F(ImageWatermarkDialogTest, SizesLargerThanTheTargetPictureAreWarnedAbout) {
    ImageWatermark mark;
    mark.base.pictureWidth = 640;
    mark.base.pictureHeight = 480;
    Open(mark);
    Choose(WritePicture(scratch, "small.bmp", 400, 300));
    QTest::mouseClick(ById<QCheckBox>(dialog, kLockAspectRatio), Qt::LeftButton);  // unlock

    // Each side up to the picture's own is taken silently; one pixel more
    // is warned about and kept as typed.
    const std::tuple<int, const char*, const char*, const char*> sides[] = {
        {kWidth, "640", "641", "The width is bigger than the dest image!"},
        {kHeight, "480", "481", "The height is bigger than the dest image!"}};
    for (const auto& [id, fits, larger, warning] : sides) {
        messages.messages.clear();
        TypeInto(*Edit(id), fits);
        TabAway(*Edit(id));
        EXPECT_TRUE(messages.messages.empty()) << fits;
        TypeInto(*Edit(id), larger);
        TabAway(*Edit(id));
        ASSERT_EQ(messages.messages.size(), 1u) << larger;
        EXPECT_EQ(messages.messages[0].text, warning);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(Edit(id)->text(), larger);
    }
}

TEST_F(ImageWatermarkDialogTest, AFailedLoadDeactivatesTheMarkButKeepsTheEarlierPicture) {
    Open();
    ChooseLandscape();
    const std::string broken = scratch.File("broken.png");
    std::ofstream(broken) << "not a picture";
    Choose(broken);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text.rfind("Can't load the image file!", 0), 0u)
        << messages.messages[0].text;
    EXPECT_EQ(messages.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(dialog.mark.base.enabled);
    EXPECT_EQ(dialog.mark.base.width, 0);
    EXPECT_EQ(dialog.mark.base.markHeight, 0);
    EXPECT_EQ(Edit(kWidth)->text(), "0");
    EXPECT_TRUE(Edit(kWidth)->isReadOnly());
    EXPECT_EQ(dialog.mark.source.Width(), 800);
    EXPECT_FALSE(ById<PicturePreview>(dialog, kPreview)->Shown().isNull());

    // An extension the codecs cannot read is refused the same way.
    Choose(scratch.File("photo.jpe"));
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST_F(ImageWatermarkDialogTest, ArrowsStepOpacityAndRotation) {
    ImageWatermark mark;
    mark.base.opacity = 0;
    Open(mark);
    ChooseLandscape();
    auto* opacity = ById<ArrowPair>(dialog, kOpacityArrows);
    QTest::mouseClick(opacity->UpButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.mark.base.opacity, 1);
    // A number typed and not yet read stays, and its arrow steps from it.
    TypeInto(*Edit(kRotation), "77");
    QTest::mouseClick(opacity->UpButton(), Qt::LeftButton);
    EXPECT_EQ(Edit(kRotation)->text(), "77");
    QTest::mouseClick(ById<ArrowPair>(dialog, kRotationArrows)->UpButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.mark.base.rotation, 78);
}

TEST_F(ImageWatermarkDialogTest, OkWithAnUnreadableNumberStillClosesWithTheValuesReadBeforeIt) {
    Open();
    ChooseLandscape();
    Edit(kHeight)->setText("50");
    Edit(kWidth)->setText("x");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.mark.base.height, 50);
    EXPECT_EQ(dialog.mark.base.width, 800);
}

TEST_F(ImageWatermarkDialogTest, PreviewImageIsReducedForLargePictures) {
    CRasterImage large;
    ASSERT_TRUE(large.Create(3000, 20, 8));
    const QImage image = PreviewImage(large, 1024);
    EXPECT_EQ(image.width(), 1024);
    EXPECT_EQ(image.height(), 20);
}

TEST_F(ImageWatermarkDialogTest, ASizeByPictureIsAShareOfItsWidthOrHeightAsTheBatchToolTakesIt) {
    Open();
    auto* relative = ById<QCheckBox>(dialog, kRelativeSwitch);
    EXPECT_FALSE(relative->isEnabled());  // no picture chosen yet
    ChooseLandscape();
    QTest::mouseClick(relative, Qt::LeftButton);
    EXPECT_FALSE(Edit(kWidth)->isEnabled());
    for (const char* refused : {"0", "101", "abc", ""}) {
        Edit(kRelativePercent)->setText(refused);
        QTest::mouseClick(ById<QPushButton>(dialog, ButtonId::kOk), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible()) << refused;
    }
    EXPECT_EQ(messages.messages.size(), 4u);
    Edit(kRelativePercent)->setText("12.5");
    ById<QComboBox>(dialog, kRelativeSide)->setCurrentIndex(1);
    QTest::mouseClick(ById<QPushButton>(dialog, ButtonId::kOk), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.fit.sizePercent, 12.5);
    EXPECT_EQ(dialog.fit.side, FitSide::Height);

    ImageWatermarkDialog again;
    again.mark = dialog.mark;
    again.fit = dialog.fit;
    again.show();
    EXPECT_TRUE(ById<QCheckBox>(again, kRelativeSwitch)->isChecked());
    EXPECT_EQ(ById<QLineEdit>(again, kRelativePercent)->text(), "12.5");
    // Switched off, the size in pixels counts again.
    QTest::mouseClick(ById<QCheckBox>(again, kRelativeSwitch), Qt::LeftButton);
    again.accept();
    EXPECT_FALSE(again.fit.SizeFollowsPicture());
}

}  // namespace
