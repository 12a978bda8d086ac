#pragma once
// Where a watermark sits, how large it is, its opacity and rotation, whether
// it is active and its batch anchor; and the arithmetic that places it on a
// picture and on the screen.
#include <cstdint>

#include "image/DibTypes.h"
#include "watermark/MarkAlignment.h"

// Which message a refused fit check shows.
enum class MarkKind { Text, Image };

// The margin kept between a batch-placed mark and the picture's edges.
constexpr int32_t kPlacementMargin = 10;

struct WatermarkBase {
    PixelRect screenRect{0, 0, 0, 0};  // view pixels
    int32_t width = 0;            // text: layer width; image: the chosen size
    int32_t height = 0;
    int32_t markWidth = 0;        // layer size as last rebuilt, after rotation
    int32_t markHeight = 0;
    int32_t pictureWidth = 0;     // the picture the mark is meant for
    int32_t pictureHeight = 0;
    int32_t opacity = 100;        // percent
    int32_t rotation = 0;         // degrees; applied only for 1..360
    bool enabled = false;
    int32_t x = 0;                // top-left of the layer in picture pixels
    int32_t y = 0;
    // No anchor until the batch dialog's grid picks one.
    int32_t alignment = -1;

    // Records the picture size and, when the mark fits inside the margins,
    // sets x and y from the anchor; otherwise x and y stay as they were.
    void PlaceByAlignment(int32_t pictureW, int32_t pictureH);

    // True when the mark is no larger than the picture. Otherwise the mark is
    // deactivated and the error message of its kind is shown.
    bool CheckFits(MarkKind kind);

    // Centres the mark (scaled by zoom) in the view rectangle, then takes the
    // position in picture pixels from the new screen rectangle.
    void CenterInView(const PixelRect& view, float zoom);
    // The screen rectangle from the position in picture pixels.
    void RectFromPosition(const PixelRect& view, float zoom);
    // The position in picture pixels from the screen rectangle.
    void PositionFromRect(int32_t viewLeft, int32_t viewTop, float zoom);
};

// True when a mark of this size may be stamped by the batch job: it lies
// inside the picture with the margin to spare on both axes.
inline bool FitsWithinMargins(int32_t markW, int32_t markH, int32_t pictureW, int32_t pictureH) {
    return markW < int64_t{pictureW} - kPlacementMargin && markH < int64_t{pictureH} - kPlacementMargin;
}
