#include "app/widgets/PicturePreview.h"

#include <QPainter>
#include <algorithm>

#include "image/RasterImage.h"

namespace stampora {

namespace {
// Twice the preview's size leaves room for a high-density screen.
constexpr int kPreviewMaxSide = 1024;
}  // namespace

QImage PreviewImage(const CRasterImage& picture, int maxSide) {
    if (picture.IsEmpty() || picture.Width() <= 0 || picture.Height() <= 0) return {};
    const CRasterImage* pixels = &picture;
    CRasterImage promoted;
    if (picture.Bpp() != 32) {
        promoted = picture;
        if (!promoted.PromoteDepth(32)) return {};
        pixels = &promoted;
    }
    const int width = std::min(pixels->Width(), maxSide);
    const int height = std::min(pixels->Height(), maxSide);
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    // Each pixel is assembled from its blue, green, red and alpha bytes, so
    // the machine's byte order plays no part.
    for (int y = 0; y < height; ++y) {
        const int sourceY = static_cast<int>(int64_t{y} * pixels->Height() / height);
        const uint8_t* row = pixels->Row(sourceY);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + 4 * (int64_t{x} * pixels->Width() / width);
            out[x] = qRgba(p[2], p[1], p[0], p[3]);
        }
    }
    return image;
}

PicturePreview::PicturePreview(int id, QWidget* parent) : ClickableFrame(id, parent) {
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setMinimumSize(260, 190);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void PicturePreview::SetPicture(const CRasterImage& picture) {
    shown = PreviewImage(picture, kPreviewMaxSide);
    update();
}

void PicturePreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (shown.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(contentsRect(), shown);
}

}  // namespace stampora
