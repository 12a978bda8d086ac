#include "watermark/WatermarkBase.h"

#include <cmath>
#include <limits>

#include "platform/MessageSink.h"
#include "watermark/WatermarkMessages.h"

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
int32_t Scale(int32_t pixels, float zoom) { return TruncateToInt32(static_cast<float>(pixels) * zoom); }

}  // namespace

void WatermarkBase::PlaceByAlignment(int32_t pictureW, int32_t pictureH) {
    pictureWidth = pictureW;
    pictureHeight = pictureH;
    if (!FitsWithinMargins(markWidth, markHeight, pictureW, pictureH)) return;

    const int32_t centreX = ClampToInt32((int64_t{pictureW} - markWidth) / 2);
    const int32_t centreY = ClampToInt32((int64_t{pictureH} - markHeight) / 2);
    const int32_t rightX = ClampToInt32(int64_t{pictureW} - markWidth - kPlacementMargin);
    const int32_t bottomY = ClampToInt32(int64_t{pictureH} - markHeight - kPlacementMargin);
    switch (alignment) {
    case Top: x = centreX; y = kPlacementMargin; break;
    case RightTop: x = rightX; y = kPlacementMargin; break;
    case Right: x = rightX; y = centreY; break;
    case RightBottom: x = rightX; y = bottomY; break;
    case Bottom: x = centreX; y = bottomY; break;
    case LeftBottom: x = kPlacementMargin; y = bottomY; break;
    case Left: x = kPlacementMargin; y = centreY; break;
    case LeftTop: x = kPlacementMargin; y = kPlacementMargin; break;
    case Center: x = centreX; y = centreY; break;
    default: break;
    }
}

bool WatermarkBase::CheckFits(MarkKind kind) {
    if (pictureWidth >= markWidth && pictureHeight >= markHeight) return true;
    enabled = false;
    ShowMessage(kind == MarkKind::Text ? kTextMarkTooLargeMessage : kImageMarkTooLargeMessage, kErrorCaption,
                MessageIcon::Error, MessageButtons::Ok);
    return false;
}

void WatermarkBase::CenterInView(const PixelRect& view, float zoom) {
    const int32_t sw = Scale(markWidth, zoom);
    const int32_t sh = Scale(markHeight, zoom);
    const int64_t left = view.left + (int64_t{view.right} - view.left - sw) / 2;
    const int64_t top = view.top + (int64_t{view.bottom} - view.top - sh) / 2;
    screenRect = {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + sw), ClampToInt32(top + sh)};
    PositionFromRect(view.left, view.top, zoom);
}

void WatermarkBase::RectFromPosition(const PixelRect& view, float zoom) {
    const int64_t left = int64_t{view.left} + Scale(x, zoom);
    const int64_t top = int64_t{view.top} + Scale(y, zoom);
    screenRect = {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + Scale(markWidth, zoom)),
                  ClampToInt32(top + Scale(markHeight, zoom))};
}

void WatermarkBase::PositionFromRect(int32_t viewLeft, int32_t viewTop, float zoom) {
    const double reciprocal = 1.0 / static_cast<double>(zoom);
    x = TruncateToInt32(static_cast<double>(int64_t{screenRect.left} - viewLeft) * reciprocal);
    y = TruncateToInt32(static_cast<double>(int64_t{screenRect.top} - viewTop) * reciprocal);
}
