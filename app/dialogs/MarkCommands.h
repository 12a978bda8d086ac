#pragma once
// The editor's Text Watermark, Image Watermark and Batch Watermark commands.
// Each opens its dialog over the active window; the mark dialogs work on
// copies of the editor's marks and report the mark as it is edited (for a
// preview), then a confirmed mark or a cancelled edit, which the owner of the
// marks acts on. The editor's marks are only read here.
#include <QObject>

#include "app/EditorMarks.h"

class QWidget;

namespace stampora {

class MarkCommands : public QObject {
    Q_OBJECT

public:
    // `marks` must outlive the commands; `owner` is the window the dialogs
    // open over when no other is active.
    MarkCommands(const EditorMarks& marks, QWidget* owner);

public slots:
    void EditTextMark();
    void EditImageMark();
    // The batch dialog starts from the editor's output directory; the
    // editor's picture and marks are not touched.
    void ShowBatchDialog();

signals:
    // A mark dialog opens; it ends with an edited mark or a cancelled edit.
    void EditStarted();
    void TextMarkPreviewed(const TextWatermark& mark, const MarkFit& fit);
    void ImageMarkPreviewed(const ImageWatermark& mark, const MarkFit& fit);
    void TextMarkEdited(const TextWatermark& mark, const MarkFit& fit);
    void ImageMarkEdited(const ImageWatermark& mark, const MarkFit& fit);
    void EditCancelled();

private:
    QWidget* Owner() const;

    const EditorMarks& marks;
    QWidget* owner;
};

}  // namespace stampora
