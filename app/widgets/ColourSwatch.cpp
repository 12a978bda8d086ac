#include "app/widgets/ColourSwatch.h"

#include <QPainter>

namespace stampora {

ColourSwatch::ColourSwatch(int id, QWidget* parent) : ClickableFrame(id, parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(48, 22);
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

}  // namespace stampora
