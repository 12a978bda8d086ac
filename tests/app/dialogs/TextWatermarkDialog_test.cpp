#include "app/dialogs/TextWatermarkDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/QueuedChoosers.h"
#include "app/dialogs/DialogIds.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/widgets/ArrowPair.h"
#include "app/widgets/ColourSwatch.h"
#include "support/RecordingMessageSink.h"
#include "text/FontCatalog.h"

using namespace stampora;
using namespace stampora::TextDialogId;

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
    void SetText(const QString& text) { ById<QPlainTextEdit>(dialog, kText)->setPlainText(text); }

    RecordingMessageSink messages;
    ScopedMessageSink messageScope{messages};
    QueuedChoosers choosers;
    ScopedChoosers chooserScope{choosers};
    TextWatermarkDialog dialog;
};

// The font box lists the text engine's families, in its order; a mark never
// confirmed opens on the first, at the smallest size and normal.
TEST_F(TextWatermarkDialogTest, OpensANeverConfirmedMarkOnTheFirstFamilySize8AndNormal) {
    Open(TextWatermark{});
    QStringList families;
    for (const std::string& family : InstalledFontFamilies()) families << QString::fromStdString(family);
    QStringList listed;
    for (int i = 0; i < Box(kFont)->count(); ++i) listed << Box(kFont)->itemText(i);
    EXPECT_EQ(listed, families);
    EXPECT_EQ(Box(kFont)->currentIndex(), 0);
    EXPECT_EQ(Box(kSize)->currentText(), "8");
    EXPECT_EQ(Box(kStyle)->currentText(), "Normal");
}

TEST_F(TextWatermarkDialogTest, OkRebuildsTheFontAndReopeningShowsItAgain) {
    Open(TextWatermark{});
    SetText("Proof");
    Box(kFont)->setCurrentText(kTestFamily);
    Box(kSize)->setCurrentText("14");
    Box(kStyle)->setCurrentText("Bold Italic");
    ClickOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const TextWatermark confirmed = dialog.mark;
    EXPECT_EQ(confirmed.text, u"Proof");
    EXPECT_EQ(confirmed.font.faceName, u"DejaVu Sans");
    EXPECT_EQ(confirmed.font.height, 14);
    EXPECT_TRUE(confirmed.base.enabled);

    TextWatermarkDialog again;
    again.mark = confirmed;
    again.show();
    EXPECT_EQ(ById<QComboBox>(again, kFont)->currentText(), kTestFamily);
    EXPECT_EQ(ById<QComboBox>(again, kSize)->currentText(), "14");
    EXPECT_EQ(ById<QComboBox>(again, kStyle)->currentText(), "Bold Italic");
    EXPECT_EQ(ById<QPlainTextEdit>(again, kText)->toPlainText(), "Proof");
}

TEST_F(TextWatermarkDialogTest, StyleBoxGivesWeightAndSlant) {
    const struct {
        const char* style;
        int32_t weight;
        bool italic;
    } cases[] = {
        {"Normal", 400, false}, {"Bold", 700, false}, {"Italic", 400, true}, {"Bold Italic", 700, true}};
    for (const auto& c : cases) {
        TextWatermarkDialog one;
        one.show();
        ById<QPlainTextEdit>(one, kText)->setPlainText("x");
        ById<QComboBox>(one, kStyle)->setCurrentText(c.style);
        one.accept();
        EXPECT_EQ(one.mark.font.weight, c.weight) << c.style;
        EXPECT_EQ(one.mark.font.italic, c.italic) << c.style;
    }
}

TEST_F(TextWatermarkDialogTest, AStoredSizeMissingFromTheListIsShownAndKept) {
    TextWatermark mark;
    mark.text = u"x";
    mark.font.height = 13;
    mark.font.faceName = u"No Such Family Here";
    Open(mark);
    EXPECT_EQ(Box(kFont)->currentIndex(), -1);
    ClickOk();
    EXPECT_EQ(dialog.mark.font.faceName, u"");
    EXPECT_EQ(dialog.mark.font.height, 13);
}

TEST_F(TextWatermarkDialogTest, SizeMarginAndTilesAreRefusedOrTakenAsTheBatchToolsOptions) {
    Open(TextWatermark{});
    // An empty size would leave the mark undrawable; an unknown placeholder
    // could not be filled in.
    SetText("{author}");
    ClickOk();
    SetText("{name} {date}");
    for (const char* refused : {"", "1001", "0.05%", "4 pt"}) {
        Box(kSize)->setEditText(refused);
        ClickOk();
    }
    Box(kSize)->setEditText("1000");
    TypeInto(*Edit(kMargin), "abc");
    ClickOk();
    ASSERT_EQ(messages.messages.size(), 6u);
    EXPECT_NE(messages.messages[0].text.find("author"), std::string::npos);
    EXPECT_EQ(messages.messages[1].text, kTextSizeRefusedText);
    EXPECT_TRUE(Edit(kMargin)->hasFocus());
    EXPECT_TRUE(dialog.isVisible());

    Box(kSize)->setEditText("4%");
    TypeInto(*Edit(kMargin), "2%");
    QTest::mouseClick(ById<QCheckBox>(dialog, kTileSwitch), Qt::LeftButton);
    TypeInto(*Edit(kGapAcross), "5%");
    ClickOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.fit.sizePercent, 4.0);
    EXPECT_EQ(LengthText(dialog.fit.layout.margin), "2%");
    EXPECT_TRUE(dialog.fit.layout.tile);
    EXPECT_EQ(LengthText(dialog.fit.layout.gapX.value_or(RelativeLength{})), "5%");
    EXPECT_FALSE(dialog.fit.layout.gapY.has_value());  // the mark's own height

    TextWatermarkDialog again;
    again.mark = dialog.mark;
    again.fit = dialog.fit;
    again.show();
    EXPECT_EQ(ById<QComboBox>(again, kSize)->currentText(), "4%");
    EXPECT_TRUE(ById<QLineEdit>(again, kGapAcross)->isEnabled());
}

// Where a step stops is the stored value's own; here, that the arrows reach it.
TEST_F(TextWatermarkDialogTest, ArrowsStepTheStoredValue) {
    Open(TextWatermark{});
    Arrow(kOpacityArrows, false);
    EXPECT_EQ(dialog.mark.base.opacity, 99);
    EXPECT_EQ(Edit(kOpacity)->text(), "99");

    // Numbers typed and not yet read count when an arrow is pressed: the
    // arrow steps from the typed 50 and the shadow keeps 8, 4 and 60.
    ById<QCheckBox>(dialog, kShadowSwitch)->click();
    const std::pair<int, QString> typed[] = {{kDistance, "8"}, {kSmooth, "4"}, {kShadowOpacity, "60"}};
    for (const auto& [id, text] : typed) TypeInto(*Edit(id), text);
    TypeInto(*Edit(kOpacity), "50");
    Arrow(kOpacityArrows, true);
    EXPECT_EQ(Edit(kOpacity)->text(), "51");
    for (const auto& [id, text] : typed) EXPECT_EQ(Edit(id)->text(), text) << id;
    EXPECT_EQ(dialog.mark.shadowDistance, 8);
}

TEST_F(TextWatermarkDialogTest, ANumberThatDoesNotParseKeepsTheDialogOpenWithTheFocusOnIt) {
    Open(TextWatermark{});
    SetText("x");
    TypeInto(*Edit(kRotation), "12a");
    ClickOk();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Edit(kRotation)->hasFocus());
    EXPECT_TRUE(messages.messages.empty());

    // Numbers are taken as typed, outside the arrows' range too.
    TypeInto(*Edit(kOpacity), "150");
    TypeInto(*Edit(kRotation), "270");
    ClickOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.mark.base.opacity, 150);
    EXPECT_EQ(dialog.mark.base.rotation, 270);
}

TEST_F(TextWatermarkDialogTest, ShadowFieldsFollowTheSwitch) {
    Open(TextWatermark{});
    auto* shadowSwitch = ById<QCheckBox>(dialog, kShadowSwitch);
    for (int id : {kDistance, kShadowOpacity, kSmooth}) EXPECT_TRUE(Edit(id)->isReadOnly()) << id;
    for (int id : {kDistanceArrows, kShadowOpacityArrows, kSmoothArrows})
        EXPECT_FALSE(ById<ArrowPair>(dialog, id)->isEnabled()) << id;
    // The shadow colour swatch stays usable but opens nothing while off.
    QTest::mouseClick(ById<ColourSwatch>(dialog, kShadowColour), Qt::LeftButton);
    EXPECT_TRUE(choosers.colourInitials.empty());

    QTest::mouseClick(shadowSwitch, Qt::LeftButton);
    EXPECT_TRUE(dialog.mark.shadowEnabled);
    for (int id : {kDistance, kShadowOpacity, kSmooth}) EXPECT_FALSE(Edit(id)->isReadOnly()) << id;
    for (int id : {kDistanceArrows, kShadowOpacityArrows, kSmoothArrows})
        EXPECT_TRUE(ById<ArrowPair>(dialog, id)->isEnabled()) << id;
    Arrow(kDistanceArrows, true);
    EXPECT_EQ(dialog.mark.shadowDistance, 1);

    choosers.colours.push_back(QColor(10, 20, 30));
    QTest::mouseClick(ById<ColourSwatch>(dialog, kShadowColour), Qt::LeftButton);
    ASSERT_EQ(choosers.colourInitials.size(), 1u);
    EXPECT_EQ(choosers.colourInitials[0], QColor(Qt::black));
    EXPECT_EQ(dialog.mark.shadowColour.red, 10);
    EXPECT_EQ(dialog.mark.shadowColour.blue, 30);
    EXPECT_EQ(ById<ColourSwatch>(dialog, kShadowColour)->Colour(), QColor(10, 20, 30));
}

TEST_F(TextWatermarkDialogTest, ShadowSwitchWithAnUnreadableNumberSaysSoAndChangesNothing) {
    Open(TextWatermark{});
    TypeInto(*Edit(kOpacity), "abc");
    QTest::mouseClick(ById<QCheckBox>(dialog, kShadowSwitch), Qt::LeftButton);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Can't load value!");
    EXPECT_EQ(messages.messages[0].caption, "Error");
    EXPECT_FALSE(dialog.mark.shadowEnabled);
    EXPECT_TRUE(Edit(kShadowOpacity)->isReadOnly());
    EXPECT_TRUE(Edit(kOpacity)->hasFocus());
}

TEST_F(TextWatermarkDialogTest, ColourChooserSetsTheTextColourAndCancelKeepsIt) {
    Open(TextWatermark{});
    choosers.colours.push_back(QColor(200, 100, 50));
    choosers.colours.push_back(std::nullopt);
    auto* swatch = ById<ColourSwatch>(dialog, kColour);
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
    auto* text = ById<QPlainTextEdit>(dialog, kText);
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
