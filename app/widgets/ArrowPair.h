#pragma once
// The up/down arrow pair beside a numeric edit. It holds no value of its own:
// each click (repeated while held) asks the owner to step its stored value.
#include <QWidget>

#include "app/dialogs/DialogFields.h"

class QToolButton;

namespace stampora {

class ArrowPair : public QWidget {
    Q_OBJECT
public:
    // `id` becomes the object name ("id1044"), as every control's id does.
    ArrowPair(int id, QWidget* parent);

    QToolButton* UpButton() const { return up; }
    QToolButton* DownButton() const { return down; }

signals:
    void Stepped(ArrowStep step);

private:
    QToolButton* up;
    QToolButton* down;
};

}  // namespace stampora
