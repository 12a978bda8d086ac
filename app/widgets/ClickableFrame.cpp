#include "app/widgets/ClickableFrame.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace stampora {

ClickableFrame::ClickableFrame(int id, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("id%1").arg(id));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ClickableFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
    QFrame::mouseReleaseEvent(event);
}

void ClickableFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        emit Clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

void ClickableFrame::focusInEvent(QFocusEvent* event) {
    setLineWidth(2);
    QFrame::focusInEvent(event);
}

void ClickableFrame::focusOutEvent(QFocusEvent* event) {
    setLineWidth(1);
    QFrame::focusOutEvent(event);
}

}  // namespace stampora
