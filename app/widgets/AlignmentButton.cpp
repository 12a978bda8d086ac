#include "app/widgets/AlignmentButton.h"

#include <QBitmap>
#include <QPainter>

namespace stampora {

namespace {
const QColor kTransparentColour(235, 233, 237);
constexpr int kCellSide = 16;
}  // namespace

AlignmentButton::AlignmentButton(int id, MarkAlignment alignment, const QString& strip, QWidget* parent)
    : QAbstractButton(parent), alignment(alignment) {
    setObjectName(QStringLiteral("id%1").arg(id));
    setToolTip(QString::fromUtf8(MarkAlignmentTooltip(alignment)));
    setAccessibleName(toolTip());
    setFixedSize(kCellSide, kCellSide);
    setFocusPolicy(Qt::TabFocus);
    QPixmap all(strip);
    all.setMask(all.createMaskFromColor(kTransparentColour));
    for (int i = 0; i < 4; ++i)
        images[static_cast<size_t>(i)] = all.copy(i * kCellSide, 0, kCellSide, kCellSide);
}

AlignmentButton::Image AlignmentButton::CurrentImage() const {
    if (!isEnabled()) return Disabled;
    if (isDown()) return Pushed;
    if (hovered || hasFocus()) return Hot;
    return Normal;
}

void AlignmentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, images[CurrentImage()]);
}

void AlignmentButton::enterEvent(QEnterEvent* event) {
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void AlignmentButton::leaveEvent(QEvent* event) {
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace stampora
