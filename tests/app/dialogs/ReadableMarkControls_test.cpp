// The controls that keep a mark readable: the text dialog's outline and
// automatic colour, and the alignment grid's Auto cell.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "app/dialogs/DialogIds.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/dialogs/TextWatermarkDialog.h"
#include "app/widgets/AlignmentGrid.h"
#include "app/widgets/ColourSwatch.h"
#include "app/widgets/OutlineBox.h"
#include "support/RecordingMessageSink.h"

using namespace stampora;
using namespace stampora::TextDialogId;

namespace {

// Clicks a check box on its box, however wide its cell.
void Tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

}  // namespace

TEST(ReadableMarkControls, TheTextDialogTakesAnOutlineAndAutomaticColour) {
    RecordingMessageSink messages;
    ScopedMessageSink messageScope{messages};
    TextWatermarkDialog dialog;
    ShowActive(dialog);
    ById<QPlainTextEdit>(dialog, kText)->setPlainText("x");
    Tick(ById<QCheckBox>(dialog, kAutoColour));
    EXPECT_FALSE(ById<ColourSwatch>(dialog, kColour)->isEnabled());
    Tick(ById<QCheckBox>(dialog, kOutlineSwitch));
    EXPECT_TRUE(ById<ColourSwatch>(dialog, kOutlineColour)->isEnabled());

    // A width --outline refuses keeps the dialog open on it.
    TypeInto(*ById<QLineEdit>(dialog, kOutlineWidth), "60%");
    QTest::mouseClick(ById<QPushButton>(dialog, ButtonId::kOk), Qt::LeftButton);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kOutlineRefusedText);
    EXPECT_TRUE(ById<QLineEdit>(dialog, kOutlineWidth)->hasFocus());
    TypeInto(*ById<QLineEdit>(dialog, kOutlineWidth), "5%");
    QTest::mouseClick(ById<QPushButton>(dialog, ButtonId::kOk), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.mark.autoColour && dialog.mark.outlineEnabled);
    EXPECT_TRUE(dialog.mark.outlineWidth.percent && dialog.mark.outlineWidth.value == 5.0);

    // Opened again, it shows them.
    TextWatermarkDialog again;
    again.mark = dialog.mark;
    ShowActive(again);
    EXPECT_TRUE(ById<QCheckBox>(again, kAutoColour)->isChecked());
    EXPECT_EQ(ById<QLineEdit>(again, kOutlineWidth)->text(), "5%");
}

TEST(ReadableMarkControls, TheGridsAutoCellChoosesAutoPlace) {
    AlignmentGrid grid({1, 2, 3, 4, 5, 6, 7, 8, 9}, nullptr);
    QSignalSpy chosen(&grid, &AlignmentGrid::Chosen);
    grid.show();
    QTest::mouseClick(grid.AutoCell(), Qt::LeftButton);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].value<MarkAlignment>(), AutoPlace);
    EXPECT_FALSE(grid.AutoCell()->isEnabled());
    EXPECT_EQ(grid.MarkedCell(), 0);
    grid.Choose(Top);
    EXPECT_TRUE(grid.AutoCell()->isEnabled());
    grid.Choose(AutoPlace);
    EXPECT_FALSE(grid.AutoCell()->isEnabled() || !grid.Cell(Top)->isEnabled());
}
