#pragma once
// Hands a drawing surface to Qt: a QImage over the surface's own memory,
// drawn at a point of a widget.
#include <QPoint>

#include "image/DrawingSurface.h"

class QPainter;

namespace stampora {

void PaintSurface(QPainter& painter, const CDrawingSurface& surface, QPoint at);

}  // namespace stampora
