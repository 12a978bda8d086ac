#include "app/SurfacePainting.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

namespace stampora {

void PaintSurface(QPainter& painter, const CDrawingSurface& surface, QPoint at, int scale) {
    const CRasterImage& image = surface.Image();
    if (image.IsEmpty()) return;
    // The surface keeps its lines bottom-up, as every picture does; the image
    // over its memory is therefore upside down and is drawn mirrored.
    QImage lines(image.Pixels(), image.Width(), image.Height(), static_cast<qsizetype>(image.Stride()),
                 QImage::Format_RGB32);
    lines.setDevicePixelRatio(scale);
    painter.save();
    painter.setTransform(QTransform(1, 0, 0, -1, at.x(), at.y() + image.Height() / scale), true);
    painter.drawImage(QPoint(0, 0), lines);
    painter.restore();
}

}  // namespace stampora
