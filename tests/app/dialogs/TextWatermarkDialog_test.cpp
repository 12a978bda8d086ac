#include "app/dialogs/TextWatermarkDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/QueuedChoosers.h"
#include "app/dialogs/ArrowPair.h"
#include "app/dialogs/ColourSwatch.h"
#include "app/dialogs/DialogIds.h"
#include "app/dialogs/DialogTestSupport.h"
#include "platform/FontCatalog.h"
#include "support/RecordingMessageSink.h"

using namespace stampora;

namespace {

constexpr char kTestFamily[] = "DejaVu Sans";

class TextWatermarkDialogTest : public ::testing::Test {
protected:
    void Open(const TextWatermark& mark) {
        dialog.mark = mark;
        ShowActive(dialog);
    }
    QLineEdit* Edit(int id) { return ById<QLineEdit>(dialog, id); }
    QComboBox* Box(int id) { return ById<QComboBox>(dialog, id); }
    void Arrow(int id, bool up) {
        ArrowPair* pair = ById<ArrowPair>(dialog, id);
        QTest::mouseClick(up ? pair->UpButton() : pair->DownButton(), Qt::LeftButton);
    }
    void ClickOk() { QTest::mouseClick(ById<QPushButton>(dialog, ButtonId::kOk), Qt::LeftButton); }
    void SetText(const QString& text) {
        ById<QPlainTextEdit>(dialog, TextDialogId::kText)->setPlainText(text);
    }

    RecordingMessageSink messages;
    ScopedMessageSink messageScope{messages};
    QueuedChoosers choosers;
    ScopedChoosers chooserScope{choosers};
    TextWatermarkDialog dialog;
};

TEST_F(TextWatermarkDialogTest, OpensANeverConfirmedMarkOnTheFirstFamilySize8AndNormal) {
    Open(TextWatermark{});
    EXPECT_EQ(dialog.windowTitle(), "Text Watermark");

    QComboBox* sizes = Box(TextDialogId::kSize);
    ASSERT_EQ(sizes->count(), 16);
    QStringList sizeTexts;
    for (int i = 0; i < sizes->count(); ++i) sizeTexts << sizes->itemText(i);
    EXPECT_EQ(sizeTexts.join(','), "8,9,10,11,12,14,16,18,20,22,24,26,28,36,48,72");
    EXPECT_EQ(sizes->currentText(), "8");

    QComboBox* styles = Box(TextDialogId::kStyle);
    ASSERT_EQ(styles->count(), 4);
    EXPECT_EQ(styles->itemText(3), "Bold Italic");
    EXPECT_EQ(styles->currentText(), "Normal");

    // The text engine's families, in its order, the first selected.
    QComboBox* fonts = Box(TextDialogId::kFont);
    QStringList families;
    for (const std::string& family : InstalledFontFamilies()) families << QString::fromStdString(family);
    QStringList listed;
    for (int i = 0; i < fonts->count(); ++i) listed << fonts->itemText(i);
    EXPECT_EQ(listed, families);
    EXPECT_EQ(fonts->currentIndex(), 0);

    EXPECT_EQ(Edit(TextDialogId::kOpacity)->text(), "100");
    EXPECT_EQ(Edit(TextDialogId::kRotation)->text(), "0");
    EXPECT_EQ(Edit(TextDialogId::kShadowOpacity)->text(), "100");
    EXPECT_EQ(Edit(TextDialogId::kDistance)->text(), "0");
    EXPECT_EQ(Edit(TextDialogId::kSmooth)->text(), "0");
}

TEST_F(TextWatermarkDialogTest, OkRebuildsTheFontAndReopeningShowsItAgain) {
    Open(TextWatermark{});
    SetText("Proof");
    Box(TextDialogId::kFont)->setCurrentText(kTestFamily);
    Box(TextDialogId::kSize)->setCurrentText("14");
    Box(TextDialogId::kStyle)->setCurrentText("Bold Italic");
    ClickOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const TextWatermark confirmed = dialog.mark;
    EXPECT_EQ(confirmed.text, u"Proof");
    EXPECT_EQ(confirmed.font.faceName, u"DejaVu Sans");
    EXPECT_EQ(confirmed.font.height, 14);
    EXPECT_EQ(confirmed.font.weight, 700);
    EXPECT_TRUE(confirmed.font.italic);
    EXPECT_EQ(confirmed.font.charSet, 1);
    EXPECT_TRUE(confirmed.base.enabled);

    TextWatermarkDialog again;
    again.mark = confirmed;
    again.show();
    EXPECT_EQ(ById<QComboBox>(again, TextDialogId::kFont)->currentText(), kTestFamily);
    EXPECT_EQ(ById<QComboBox>(again, TextDialogId::kSize)->currentText(), "14");
    EXPECT_EQ(ById<QComboBox>(again, TextDialogId::kStyle)->currentText(), "Bold Italic");
    EXPECT_EQ(ById<QPlainTextEdit>(again, TextDialogId::kText)->toPlainText(), "Proof");
}

TEST_F(TextWatermarkDialogTest, StyleBoxGivesWeightAndSlant) {
    const struct {
        const char* style;
        int32_t weight;
        bool italic;
    } cases[] = {{"Normal", 400, false}, {"Bold", 700, false}, {"Italic", 400, true}};
    for (const auto& c : cases) {
        TextWatermarkDialog one;
        one.show();
        ById<QPlainTextEdit>(one, TextDialogId::kText)->setPlainText("x");
        ById<QComboBox>(one, TextDialogId::kStyle)->setCurrentText(c.style);
        one.accept();
        EXPECT_EQ(one.mark.font.weight, c.weight) << c.style;
        EXPECT_EQ(one.mark.font.italic, c.italic) << c.style;
    }
}

TEST_F(TextWatermarkDialogTest, AStoredSizeMissingFromTheListIsShownAndKeptAnEmptyOneRefused) {
    TextWatermark mark;
    mark.text = u"x";
    mark.font.height = 13;
    mark.font.faceName = u"No Such Family Here";
    Open(mark);
    EXPECT_EQ(Box(TextDialogId::kFont)->currentIndex(), -1);
    EXPECT_EQ(Box(TextDialogId::kSize)->currentText(), "13");
    ClickOk();
    EXPECT_EQ(dialog.mark.font.faceName, u"");
    EXPECT_EQ(dialog.mark.font.height, 13);

    // A size of nothing would leave the mark undrawable: it is refused.
    TextWatermarkDialog emptied;
    emptied.mark = mark;
    ShowActive(emptied);
    ById<QComboBox>(emptied, TextDialogId::kSize)->setEditText("");
    QTest::mouseClick(ById<QPushButton>(emptied, ButtonId::kOk), Qt::LeftButton);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kTextSizeRefusedText);
    EXPECT_TRUE(emptied.isVisible());
}

TEST_F(TextWatermarkDialogTest, SizeMarginAndTilesFollowThePictureAsTheBatchToolsOptions) {
    Open(TextWatermark{});
    SetText("{name} {date}");
    // Sizes beyond the list: up to 1000 points, or a share of the shorter side.
    for (const char* refused : {"1001", "0", "0.05%", "4 pt"}) {
        Box(TextDialogId::kSize)->setEditText(refused);
        ClickOk();
        EXPECT_TRUE(dialog.isVisible()) << refused;
    }
    EXPECT_EQ(messages.messages.size(), 4u);
    Box(TextDialogId::kSize)->setEditText("1000");
    TypeInto(*Edit(TextDialogId::kMargin), "abc");
    ClickOk();
    ASSERT_EQ(messages.messages.size(), 5u);
    EXPECT_TRUE(Edit(TextDialogId::kMargin)->hasFocus());

    Box(TextDialogId::kSize)->setEditText("4%");
    TypeInto(*Edit(TextDialogId::kMargin), "2%");
    EXPECT_FALSE(Edit(TextDialogId::kGapAcross)->isEnabled());
    QTest::mouseClick(ById<QCheckBox>(dialog, TextDialogId::kTileSwitch), Qt::LeftButton);
    TypeInto(*Edit(TextDialogId::kGapAcross), "5%");
    ClickOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.fit.sizePercent, 4.0);
    EXPECT_EQ(dialog.fit.side, FitSide::Shorter);
    EXPECT_GE(dialog.mark.font.height, 1);  // a size in points stays for the mark's other uses
    EXPECT_TRUE(dialog.fit.layout.margin.percent);
    EXPECT_EQ(dialog.fit.layout.margin.value, 2.0);
    EXPECT_TRUE(dialog.fit.layout.tile);
    ASSERT_TRUE(dialog.fit.layout.gapX.has_value());
    EXPECT_EQ(dialog.fit.layout.gapX->value, 5.0);
    EXPECT_FALSE(dialog.fit.layout.gapY.has_value());  // the mark's own height

    TextWatermarkDialog again;
    again.mark = dialog.mark;
    again.fit = dialog.fit;
    again.show();
    EXPECT_EQ(ById<QComboBox>(again, TextDialogId::kSize)->currentText(), "4%");
    EXPECT_EQ(ById<QLineEdit>(again, TextDialogId::kMargin)->text(), "2%");
    EXPECT_TRUE(ById<QCheckBox>(again, TextDialogId::kTileSwitch)->isChecked());
    EXPECT_EQ(ById<QLineEdit>(again, TextDialogId::kGapAcross)->text(), "5%");
}

TEST_F(TextWatermarkDialogTest, AnUnknownPlaceholderIsRefusedByName) {
    Open(TextWatermark{});
    SetText("{author}");
    ClickOk();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].text.find("author"), std::string::npos);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(TextWatermarkDialogTest, ArrowsStepTheStoredValueWithinZeroToHundred) {
    Open(TextWatermark{});
    Arrow(TextDialogId::kOpacityArrows, true);
    EXPECT_EQ(dialog.mark.base.opacity, 100);
    EXPECT_EQ(Edit(TextDialogId::kOpacity)->text(), "100");
    Arrow(TextDialogId::kOpacityArrows, false);
    EXPECT_EQ(dialog.mark.base.opacity, 99);
    Arrow(TextDialogId::kRotationArrows, false);
    EXPECT_EQ(dialog.mark.base.rotation, 0);

    // Unread typing gives way to the stored value when any arrow is pressed.
    TypeInto(*Edit(TextDialogId::kOpacity), "50");
    Arrow(TextDialogId::kRotationArrows, true);
    EXPECT_EQ(Edit(TextDialogId::kOpacity)->text(), "99");
    EXPECT_EQ(dialog.mark.base.rotation, 1);
}

TEST_F(TextWatermarkDialogTest, ANumberThatDoesNotParseKeepsTheDialogOpenWithTheFocusOnIt) {
    Open(TextWatermark{});
    SetText("x");
    TypeInto(*Edit(TextDialogId::kRotation), "12a");
    ClickOk();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Edit(TextDialogId::kRotation)->hasFocus());
    EXPECT_TRUE(messages.messages.empty());

    // Numbers are taken as typed, outside the arrows' range too.
    TypeInto(*Edit(TextDialogId::kOpacity), "150");
    TypeInto(*Edit(TextDialogId::kRotation), "270");
    ClickOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.mark.base.opacity, 150);
    EXPECT_EQ(dialog.mark.base.rotation, 270);
}

TEST_F(TextWatermarkDialogTest, ShadowFieldsFollowTheSwitch) {
    Open(TextWatermark{});
    auto* shadowSwitch = ById<QCheckBox>(dialog, TextDialogId::kShadowSwitch);
    for (int id : {TextDialogId::kDistance, TextDialogId::kShadowOpacity, TextDialogId::kSmooth})
        EXPECT_TRUE(Edit(id)->isReadOnly()) << id;
    for (int id :
         {TextDialogId::kDistanceArrows, TextDialogId::kShadowOpacityArrows, TextDialogId::kSmoothArrows})
        EXPECT_FALSE(ById<ArrowPair>(dialog, id)->isEnabled()) << id;
    // The shadow colour swatch stays usable but opens nothing while off.
    QTest::mouseClick(ById<ColourSwatch>(dialog, TextDialogId::kShadowColour), Qt::LeftButton);
    EXPECT_TRUE(choosers.colourInitials.empty());

    QTest::mouseClick(shadowSwitch, Qt::LeftButton);
    EXPECT_TRUE(dialog.mark.shadowEnabled);
    for (int id : {TextDialogId::kDistance, TextDialogId::kShadowOpacity, TextDialogId::kSmooth})
        EXPECT_FALSE(Edit(id)->isReadOnly()) << id;
    for (int id :
         {TextDialogId::kDistanceArrows, TextDialogId::kShadowOpacityArrows, TextDialogId::kSmoothArrows})
        EXPECT_TRUE(ById<ArrowPair>(dialog, id)->isEnabled()) << id;
    Arrow(TextDialogId::kDistanceArrows, true);
    EXPECT_EQ(dialog.mark.shadowDistance, 1);

    choosers.colours.push_back(QColor(10, 20, 30));
    QTest::mouseClick(ById<ColourSwatch>(dialog, TextDialogId::kShadowColour), Qt::LeftButton);
    ASSERT_EQ(choosers.colourInitials.size(), 1u);
    EXPECT_EQ(choosers.colourInitials[0], QColor(Qt::black));
    EXPECT_EQ(dialog.mark.shadowColour.red, 10);
    EXPECT_EQ(dialog.mark.shadowColour.blue, 30);
    EXPECT_EQ(ById<ColourSwatch>(dialog, TextDialogId::kShadowColour)->Colour(), QColor(10, 20, 30));
}

TEST_F(TextWatermarkDialogTest, ShadowSwitchWithAnUnreadableNumberSaysSoAndChangesNothing) {
    Open(TextWatermark{});
    TypeInto(*Edit(TextDialogId::kOpacity), "abc");
    QTest::mouseClick(ById<QCheckBox>(dialog, TextDialogId::kShadowSwitch), Qt::LeftButton);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Can't load value!");
    EXPECT_EQ(messages.messages[0].caption, "Error");
    EXPECT_FALSE(dialog.mark.shadowEnabled);
    EXPECT_TRUE(Edit(TextDialogId::kShadowOpacity)->isReadOnly());
    EXPECT_TRUE(Edit(TextDialogId::kOpacity)->hasFocus());
}

TEST_F(TextWatermarkDialogTest, ColourChooserSetsTheTextColourAndCancelKeepsIt) {
    Open(TextWatermark{});
    choosers.colours.push_back(QColor(200, 100, 50));
    choosers.colours.push_back(std::nullopt);
    auto* swatch = ById<ColourSwatch>(dialog, TextDialogId::kColour);
    QTest::mouseClick(swatch, Qt::LeftButton);
    QTest::mouseClick(swatch, Qt::LeftButton);
    EXPECT_EQ(choosers.colourInitials.size(), 2u);
    EXPECT_EQ(dialog.mark.colour.red, 200);
    EXPECT_EQ(dialog.mark.colour.green, 100);
    EXPECT_EQ(dialog.mark.colour.blue, 50);
    // The swatch is painted in the colour.
    const QImage painted = swatch->grab().toImage();
    EXPECT_EQ(painted.pixelColor(painted.width() / 2, painted.height() / 2), QColor(200, 100, 50));
}

TEST_F(TextWatermarkDialogTest, OnlyTheEmptyTextIsRefused) {
    Open(TextWatermark{});
    ClickOk();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "The text must not be null!");
    EXPECT_EQ(messages.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.mark.base.enabled);

    // Blank text is text; Enter in the text breaks the line.
    auto* text = ById<QPlainTextEdit>(dialog, TextDialogId::kText);
    text->setFocus();
    QTest::keyClicks(text, "  ");
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, " ");
    EXPECT_TRUE(dialog.isVisible());
    ClickOk();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.mark.text, u"  \n ");
}

}  // namespace
