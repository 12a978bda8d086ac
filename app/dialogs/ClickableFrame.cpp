#include "app/dialogs/ClickableFrame.h"

#include <QMouseEvent>

ClickableFrame::ClickableFrame(int id, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("id%1").arg(id));
    setCursor(Qt::PointingHandCursor);
}

void ClickableFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
    QFrame::mouseReleaseEvent(event);
}
