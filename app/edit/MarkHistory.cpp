#include "app/edit/MarkHistory.h"

#include <QUndoCommand>

#include "app/CanvasView.h"

namespace stampora {

namespace {

// How many steps are kept: each holds the marks it changed.
constexpr int kStepsKept = 100;

// One change to the marks, as the states before and after it. Consecutive
// steps share the state between them.
class MarkStep : public QUndoCommand {
public:
    MarkStep(MarkHistory& history, const QString& text, std::shared_ptr<const MarkState> before,
             std::shared_ptr<const MarkState> after)
        : QUndoCommand(text), history(history), before(std::move(before)), after(std::move(after)) {}

    void undo() override { history.Show(before); }
    void redo() override {
        // The first redo is the push: the change is already on the canvas.
        if (done) history.Show(after);
        done = true;
    }

private:
    MarkHistory& history;
    std::shared_ptr<const MarkState> before;
    std::shared_ptr<const MarkState> after;
    bool done = false;
};

bool SamePlace(const PlacedMark& a, const PlacedMark& b) {
    return a.shown == b.shown && a.made.base.x == b.made.base.x && a.made.base.y == b.made.base.y;
}

}  // namespace

MarkHistory::MarkHistory(CanvasView& canvas, QObject* parent)
    : QObject(parent), canvas(canvas), recorded(std::make_shared<const MarkState>(canvas.Marks().State())) {
    stack.setUndoLimit(kStepsKept);
}

void MarkHistory::Record(const QString& text) {
    auto now = std::make_shared<const MarkState>(canvas.Marks().State());
    stack.push(new MarkStep(*this, text, recorded, now));
    recorded = std::move(now);
    emit Changed();
}

void MarkHistory::RecordDrop() {
    const EditorMarks& marks = canvas.Marks();
    if (SamePlace(marks.PlacedText(), recorded->textOn) && SamePlace(marks.PlacedImage(), recorded->imageOn))
        return;
    Record(tr("Move Mark"));
}

void MarkHistory::Resync() {
    recorded = std::make_shared<const MarkState>(canvas.Marks().State());
}

void MarkHistory::Revert() {
    canvas.TakeMarkState(*recorded);
}

void MarkHistory::Show(const std::shared_ptr<const MarkState>& state) {
    canvas.TakeMarkState(*state);
    recorded = state;
    emit Changed();
}

}  // namespace stampora
