// Undo and redo of every change to the marks, removing them, and the mark
// dialogs' live preview, as a user meets them in the main window.
#include "app/edit/MarkHistory.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QUndoStack>

#include "app/EditorTestSupport.h"
#include "app/MainFrame.h"
#include "app/dialogs/DialogIds.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/dialogs/TextWatermarkDialog.h"

using namespace stampora;

namespace {

class MarkHistoryTest : public ::testing::Test, protected EditorSession {
protected:
    MarkHistoryTest() {
        frame.resize(900, 700);
        frame.show();
        Open("a.bmp");
    }
    // Opens a picture shown reduced, its smooth levels made.
    void Open(const std::string& name) {
        ASSERT_TRUE(frame.OpenPath(QString::fromStdString(WritePicture(dir, name, 1500, 1000))));
        Canvas().FinishReducing();
        ASSERT_LT(Canvas().Document().zoom, 1.0f);
    }
    CanvasView& Canvas() { return *frame.Canvas(); }
    QImage Shown() { return Canvas().viewport()->grab().toImage(); }
    QUndoStack& Stack() { return frame.History().Stack(); }
    void Trigger(int id) { frame.Action(id)->trigger(); }
    // Opens the text dialog, types `text` and, after `work`, confirms or cancels.
    void EditText(
        const QString& text, bool confirm, const std::function<void()>& work = [] {}) {
        WhenOpened<TextWatermarkDialog>([text, confirm, work](TextWatermarkDialog& dialog) {
            ById<QPlainTextEdit>(dialog, TextDialogId::kText)->setPlainText(text);
            ById<QComboBox>(dialog, TextDialogId::kSize)->setCurrentText("36");
            work();
            confirm ? dialog.accept() : dialog.reject();
        });
        Trigger(CommandId::kTextWatermark);
        QApplication::processEvents();
    }
    void Drag(QPoint from, QPoint by) {
        QWidget* view = Canvas().viewport();
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
        for (QPoint at : {from, from + by / 2, from + by}) {
            QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(view, &move);
        }
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, from + by);
    }

    MainFrame frame;
};

}  // namespace

TEST_F(MarkHistoryTest, EveryChangeToTheMarksUndoesAndRedoesPixelForPixel) {
    const QImage bare = Shown();
    const CRasterImage bareSaved = Canvas().ComposeForSave();
    EditText("Proof", true);
    const QImage marked = Shown();
    ASSERT_NE(marked, bare);
    EXPECT_TRUE(frame.Action(CommandId::kRemoveTextMark)->isEnabled());

    // One drag is one step.
    const PixelRect rect = Canvas().Marks().PlacedText().made.base.screenRect;
    Drag(QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2), QPoint(-60, -40));
    const QImage moved = Shown();
    const CRasterImage movedSaved = Canvas().ComposeForSave();
    EXPECT_EQ(Stack().count(), 2);

    // Delete removes the mark dragged last; the saved copy has no mark.
    Trigger(CommandId::kRemoveSelectedMark);
    EXPECT_EQ(Shown(), bare);
    EXPECT_FALSE(frame.Action(CommandId::kRemoveTextMark)->isEnabled());
    ExpectSamePixels(Canvas().ComposeForSave(), bareSaved);

    const std::pair<QImage, const char*> back[] = {{moved, "remove"}, {marked, "drag"}, {bare, "add"}};
    for (const auto& [expected, step] : back) {
        Trigger(CommandId::kUndo);
        EXPECT_EQ(Shown(), expected) << "undo " << step;
    }
    EXPECT_FALSE(frame.Action(CommandId::kUndo)->isEnabled());
    for (int redone = 0; redone < 2; ++redone) Trigger(CommandId::kRedo);
    EXPECT_EQ(Shown(), moved);

    // The history outlives an open: the removal is undone on the next picture
    // (a copy of the first) too, the mark made again for it where it lay.
    Trigger(CommandId::kRedo);
    Open("b.bmp");
    EXPECT_EQ(Shown(), bare);
    Trigger(CommandId::kUndo);
    ExpectSamePixels(Canvas().ComposeForSave(), movedSaved);

    EXPECT_TRUE(frame.Action(CommandId::kRedo)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MarkHistoryTest, AMarkDialogShowsEachChangeAtOnceAndCancelPutsTheCanvasBack) {
    EditText("Before", true);
    const QImage before = Shown();
    const CRasterImage beforeSaved = Canvas().ComposeForSave();
    QImage previewed;
    EditText("Typed", false, [&] {
        QTest::qWait(250);
        previewed = Shown();
    });
    EXPECT_NE(previewed, before);
    EXPECT_EQ(Shown(), before);
    ExpectSamePixels(Canvas().ComposeForSave(), beforeSaved);
    EXPECT_EQ(Stack().count(), 1);

    // OK is one step, however many changes were previewed.
    EditText("Taken", true, [] { QTest::qWait(250); });
    EXPECT_EQ(Stack().count(), 2);
    EXPECT_EQ(Canvas().TextMark().text, u"Taken");
    Trigger(CommandId::kUndo);
    EXPECT_EQ(Shown(), before);
}
