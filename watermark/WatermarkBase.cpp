#include "watermark/WatermarkBase.h"

#include <cmath>
#include <limits>

#include "platform/MessageSink.h"
#include "watermark/WatermarkMessages.h"

namespace stampora {

namespace {

int32_t ClampToInt32(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Truncation toward zero that saturates instead of overflowing (a tiny zoom
// or a huge mark must not produce an undefined conversion).
int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Screen pixels from picture pixels: the product is taken in single precision,
// as the zoom is.
int32_t Scale(int32_t pixels, float zoom) {
    return TruncateToInt32(static_cast<float>(pixels) * zoom);
}

}  // namespace

int32_t WatermarkBase::CoverWidth() const {
    return ClampToInt32(int64_t{markWidth} + overhang.left + overhang.right);
}

int32_t WatermarkBase::CoverHeight() const {
    return ClampToInt32(int64_t{markHeight} + overhang.top + overhang.bottom);
}

int32_t WatermarkBase::LayerX() const {
    return ClampToInt32(int64_t{x} - overhang.left);
}

int32_t WatermarkBase::LayerY() const {
    return ClampToInt32(int64_t{y} - overhang.top);
}

void WatermarkBase::PlaceByAlignment(int32_t pictureW, int32_t pictureH) {
    pictureWidth = pictureW;
    pictureHeight = pictureH;
    const int32_t coverW = CoverWidth();
    const int32_t coverH = CoverHeight();
    if (!FitsWithinMargins(coverW, coverH, pictureW, pictureH, margin)) return;

    const int64_t centreX = (int64_t{pictureW} - coverW) / 2;
    const int64_t centreY = (int64_t{pictureH} - coverH) / 2;
    const int64_t rightX = int64_t{pictureW} - coverW - margin;
    const int64_t bottomY = int64_t{pictureH} - coverH - margin;
    int64_t left = 0;
    int64_t top = 0;
    switch (alignment) {
        case Top:
            left = centreX;
            top = margin;
            break;
        case RightTop:
            left = rightX;
            top = margin;
            break;
        case Right:
            left = rightX;
            top = centreY;
            break;
        case RightBottom:
            left = rightX;
            top = bottomY;
            break;
        case Bottom:
            left = centreX;
            top = bottomY;
            break;
        case LeftBottom:
            left = margin;
            top = bottomY;
            break;
        case Left:
            left = margin;
            top = centreY;
            break;
        case LeftTop:
            left = margin;
            top = margin;
            break;
        case Center:
            left = centreX;
            top = centreY;
            break;
        default:
            return;
    }
    x = ClampToInt32(left + overhang.left);
    y = ClampToInt32(top + overhang.top);
}

bool WatermarkBase::CheckFits(MarkKind kind) {
    if (Fits()) return true;
    enabled = false;
    ShowMessage(kind == MarkKind::Text ? kTextMarkTooLargeMessage : kImageMarkTooLargeMessage, kErrorCaption,
                MessageIcon::Error, MessageButtons::Ok);
    return false;
}

void WatermarkBase::CenterInView(const PixelRect& view, float zoom) {
    const int32_t sw = Scale(CoverWidth(), zoom);
    const int32_t sh = Scale(CoverHeight(), zoom);
    const int64_t left = view.left + (int64_t{view.right} - view.left - sw) / 2;
    const int64_t top = view.top + (int64_t{view.bottom} - view.top - sh) / 2;
    screenRect = {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + sw), ClampToInt32(top + sh)};
    PositionFromRect(view.left, view.top, zoom);
}

void WatermarkBase::RectFromPosition(const PixelRect& view, float zoom) {
    const int64_t left = int64_t{view.left} + Scale(LayerX(), zoom);
    const int64_t top = int64_t{view.top} + Scale(LayerY(), zoom);
    screenRect = {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + Scale(CoverWidth(), zoom)),
                  ClampToInt32(top + Scale(CoverHeight(), zoom))};
}

void WatermarkBase::PositionFromRect(int32_t viewLeft, int32_t viewTop, float zoom) {
    const double reciprocal = 1.0 / static_cast<double>(zoom);
    const int32_t layerX =
        TruncateToInt32(static_cast<double>(int64_t{screenRect.left} - viewLeft) * reciprocal);
    const int32_t layerY =
        TruncateToInt32(static_cast<double>(int64_t{screenRect.top} - viewTop) * reciprocal);
    x = ClampToInt32(int64_t{layerX} + overhang.left);
    y = ClampToInt32(int64_t{layerY} + overhang.top);
}

}  // namespace stampora
