#include "app/edit/PrintPicture.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace stampora {

QPageLayout::Orientation BestOrientation(QSize picture) {
    return picture.width() > picture.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

bool PrintPicture(const CRasterImage& picture, QPrinter& printer, Status& status) {
    if (picture.IsEmpty() || picture.Bpp() != 32)
        return status.Fail(Domain::Write, "There is no picture to print.");
    // The picture's lines are kept bottom-up; the page gets them top-down, so
    // a PDF holds the picture the right way up.
    const QImage lines(picture.Pixels(), picture.Width(), picture.Height(),
                       static_cast<qsizetype>(picture.Stride()), QImage::Format_ARGB32);
    const QImage upright = lines.mirrored();
    if (upright.isNull())
        return status.Fail(Domain::Write, "There is not enough memory to print the picture.");
    QPainter painter;
    if (!painter.begin(&printer)) return status.Fail(Domain::Write, "The printer could not be started.");
    // The painter's origin is the printable area's top-left.
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const double scale = std::min(area.width() / picture.Width(), area.height() / picture.Height());
    const QSizeF size(picture.Width() * scale, picture.Height() * scale);
    const QRectF target(QPointF((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
                        size);
    // Every pixel as composed: no lossy compression on the way to the printer.
    painter.setRenderHints(QPainter::SmoothPixmapTransform | QPainter::LosslessImageRendering);
    painter.drawImage(target, upright);
    if (!painter.end()) return status.Fail(Domain::Write, "The page could not be finished.");
    return true;
}

}  // namespace stampora
