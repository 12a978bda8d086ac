#pragma once
// Hands a drawing surface to Qt: a QImage over the surface's own memory,
// drawn at a point of a widget. A surface of `scale` pixels for each of the
// widget's is drawn at the screen's own resolution.
#include <QPoint>

#include "image/DrawingSurface.h"

class QPainter;

namespace stampora {

void PaintSurface(QPainter& painter, const CDrawingSurface& surface, QPoint at, int scale = 1);

}  // namespace stampora
