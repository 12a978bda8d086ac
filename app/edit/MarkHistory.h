#pragma once
// The history of the editor's marks: every change the user makes to them (a
// mark dialog confirmed, a drag, a mark removed, a preset loaded) is one step
// on an undo stack, from the whole state of both marks before it to the state
// after it. Undoing puts the state before back, exactly as it was shown.
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>

#include "app/EditorMarks.h"

namespace stampora {

class CanvasView;

class MarkHistory : public QObject {
    Q_OBJECT

public:
    // `canvas` must outlive the history.
    MarkHistory(CanvasView& canvas, QObject* parent);

    QUndoStack& Stack() { return stack; }

    // The user changed the marks: one step, named `text`, from the state
    // recorded last to the marks as they are now.
    void Record(const QString& text);
    // A mark was dragged and let go: a step when it moved.
    void RecordDrop();
    // The marks were changed by something that is not a step of its own (a
    // picture opened): the next step starts from the marks as they are now.
    void Resync();
    // Puts the marks back as they were recorded last: a previewed change
    // that was cancelled.
    void Revert();

    // Puts `state` on the canvas; used by the steps.
    void Show(const std::shared_ptr<const MarkState>& state);

signals:
    // The marks changed by a step, an undo or a redo.
    void Changed();

private:
    CanvasView& canvas;
    QUndoStack stack;
    std::shared_ptr<const MarkState> recorded;  // the marks as the last step left them
};

}  // namespace stampora
