#include "app/dialogs/MarkCommands.h"

#include <QApplication>

#include "app/dialogs/BatchWatermarkDialog.h"
#include "app/dialogs/ImageWatermarkDialog.h"
#include "app/dialogs/TextWatermarkDialog.h"
#include "app/settings/EditorSettings.h"
#include "app/settings/OutputDirectory.h"

namespace stampora {

MarkCommands::MarkCommands(const EditorMarks& marks, QWidget* owner)
    : QObject(owner), marks(marks), owner(owner) {}

QWidget* MarkCommands::Owner() const {
    QWidget* active = QApplication::activeWindow();
    return active ? active : owner;
}

void MarkCommands::EditTextMark() {
    TextWatermarkDialog dialog(Owner());
    // A mark that was never given a text leaves the dialog its fresh copy.
    if (!marks.Text().text.empty()) {
        dialog.mark = marks.Text();
        dialog.fit = marks.TextFit();
    }
    dialog.mark.base.pictureWidth = marks.Picture().width;
    dialog.mark.base.pictureHeight = marks.Picture().height;
    connect(&dialog, &TextWatermarkDialog::Previewed, this, &MarkCommands::TextMarkPreviewed);
    emit EditStarted();
    if (dialog.exec() == QDialog::Accepted) {
        emit TextMarkEdited(dialog.mark, dialog.fit);
    } else {
        emit EditCancelled();
    }
}

void MarkCommands::EditImageMark() {
    ImageWatermarkDialog dialog(Owner());
    // The mark chosen before opens again, whether or not the open picture
    // could take it.
    if (!marks.Image().source.IsEmpty()) {
        dialog.mark = marks.Image();
        dialog.fit = marks.ImageFit();
    }
    // The size warnings compare against the picture the mark is meant for.
    dialog.mark.base.pictureWidth = marks.Picture().width;
    dialog.mark.base.pictureHeight = marks.Picture().height;
    connect(&dialog, &ImageWatermarkDialog::Previewed, this, &MarkCommands::ImageMarkPreviewed);
    emit EditStarted();
    if (dialog.exec() == QDialog::Accepted) {
        emit ImageMarkEdited(dialog.mark, dialog.fit);
    } else {
        emit EditCancelled();
    }
}

void MarkCommands::ShowBatchDialog() {
    BatchWatermarkDialog dialog(outputDirectory, Owner());
    dialog.OfferEditorMarks(EditorSettings(marks));
    dialog.exec();
}

}  // namespace stampora
