#include "app/dialogs/ColourSwatch.h"

#include <QMouseEvent>
#include <QPainter>

ColourSwatch::ColourSwatch(int id, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("id%1").arg(id));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(48, 22);
    setCursor(Qt::PointingHandCursor);
}

void ColourSwatch::SetColour(RgbColour newColour) {
    colour = QColor(newColour.red, newColour.green, newColour.blue);
    update();
}

void ColourSwatch::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(contentsRect(), colour);
    painter.end();
    QFrame::paintEvent(event);
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
    QFrame::mouseReleaseEvent(event);
}
