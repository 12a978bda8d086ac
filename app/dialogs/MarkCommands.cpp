#include "app/dialogs/MarkCommands.h"

#include <QAction>
#include <QApplication>

#include "app/CanvasView.h"
#include "app/EditorSettings.h"
#include "app/MainFrame.h"
#include "app/OutputDirectory.h"
#include "app/dialogs/BatchWatermarkDialog.h"
#include "app/dialogs/ImageWatermarkDialog.h"
#include "app/dialogs/TextWatermarkDialog.h"

namespace stampora {

namespace {

QWidget* ActiveWindowOr(QWidget* fallback) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : fallback;
}

}  // namespace

void EditTextMark(CanvasView& canvas, QWidget* owner) {
    TextWatermarkDialog dialog(owner);
    // A mark that was never given a text leaves the dialog its fresh copy.
    if (!canvas.TextMark().text.empty()) dialog.mark = canvas.TextMark();
    dialog.mark.base.pictureWidth = canvas.PictureSize().width();
    dialog.mark.base.pictureHeight = canvas.PictureSize().height();
    if (dialog.exec() == QDialog::Accepted) {
        canvas.TakeTextMark(dialog.mark);
        RememberMarks(canvas);
    } else {
        canvas.CancelTextMarkEdit();
    }
}

void EditImageMark(CanvasView& canvas, QWidget* owner) {
    ImageWatermarkDialog dialog(owner);
    if (canvas.ImageMark().base.enabled) dialog.mark = canvas.ImageMark();
    // The size warnings compare against the picture the mark is meant for.
    dialog.mark.base.pictureWidth = canvas.PictureSize().width();
    dialog.mark.base.pictureHeight = canvas.PictureSize().height();
    if (dialog.exec() == QDialog::Accepted) {
        canvas.TakeImageMark(dialog.mark);
        RememberMarks(canvas);
    } else {
        canvas.CancelImageMarkEdit();
    }
}

void ShowBatchDialog(const CanvasView& canvas, QWidget* owner) {
    BatchWatermarkDialog dialog(outputDirectory, owner);
    dialog.OfferEditorMarks(EditorSettings(canvas));
    dialog.exec();
}

void ConnectMarkCommands(MainFrame& frame) {
    QObject::connect(frame.Action(CommandId::kTextWatermark), &QAction::triggered, &frame,
                     [&frame] { EditTextMark(*frame.Canvas(), ActiveWindowOr(&frame)); });
    QObject::connect(frame.Action(CommandId::kImageWatermark), &QAction::triggered, &frame,
                     [&frame] { EditImageMark(*frame.Canvas(), ActiveWindowOr(&frame)); });
    QObject::connect(frame.Action(CommandId::kBatchWatermark), &QAction::triggered, &frame,
                     [&frame] { ShowBatchDialog(*frame.Canvas(), ActiveWindowOr(&frame)); });
}

}  // namespace stampora
