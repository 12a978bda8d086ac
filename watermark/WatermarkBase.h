#pragma once
// Where a watermark sits, how large it is, its opacity and rotation, whether
// it is active and its batch anchor; and the arithmetic that places it on a
// picture and on the screen.
#include <cstdint>

#include "image/DibTypes.h"
#include "watermark/MarkAlignment.h"

namespace stampora {

// Which message a refused fit check shows.
enum class MarkKind { Text, Image };

// The margin kept between a batch-placed mark and the picture's edges unless
// the mark is given another.
constexpr int32_t kPlacementMargin = 10;

// How far a mark's layer reaches beyond the mark's own rectangle (x, y,
// markWidth, markHeight) on each side: the growth of a text mark's own
// shadow, zero for every other mark. The mark is placed, fit-checked and
// stamped by the whole rectangle its layer covers, while x and y stay the
// top-left of the mark itself, so switching the shadow on or off never moves
// the text.
struct LayerOverhang {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct WatermarkBase {
    PixelRect screenRect{0, 0, 0, 0};  // view pixels
    int32_t width = 0;                 // text: layer width; image: the chosen size
    int32_t height = 0;
    int32_t markWidth = 0;  // layer size as last rebuilt, after rotation
    int32_t markHeight = 0;
    int32_t pictureWidth = 0;  // the picture the mark is meant for
    int32_t pictureHeight = 0;
    int32_t opacity = 100;  // percent
    int32_t rotation = 0;   // degrees; applied only for 1..360
    bool enabled = false;
    int32_t x = 0;  // top-left of the layer in picture pixels
    int32_t y = 0;
    // No anchor until the batch dialog's grid picks one.
    int32_t alignment = -1;
    LayerOverhang overhang;  // set by the layer's rebuild
    // Pixels kept between a batch-placed mark and the edges its anchor touches.
    int32_t margin = kPlacementMargin;

    // The rectangle the layer covers: the mark's own grown by the overhang.
    int32_t CoverWidth() const;
    int32_t CoverHeight() const;
    int32_t LayerX() const;  // where the layer's top-left goes
    int32_t LayerY() const;

    // Records the picture size and, when the covered rectangle fits inside
    // the margins, sets x and y so that it lies at the anchor; otherwise x and
    // y stay as they were.
    void PlaceByAlignment(int32_t pictureW, int32_t pictureH);

    // True when the covered rectangle is no larger than the picture.
    bool Fits() const { return pictureWidth >= CoverWidth() && pictureHeight >= CoverHeight(); }
    // Fits, or else the mark is deactivated and the error message of its
    // kind is shown.
    bool CheckFits(MarkKind kind);

    // Centres the covered rectangle (scaled by zoom) in the view rectangle,
    // then takes the position in picture pixels from the new screen rectangle.
    // The screen rectangle is always the covered one.
    void CenterInView(const PixelRect& view, float zoom);
    // The screen rectangle from the position in picture pixels.
    void RectFromPosition(const PixelRect& view, float zoom);
    // The position in picture pixels from the screen rectangle.
    void PositionFromRect(int32_t viewLeft, int32_t viewTop, float zoom);
};

// True when a mark covering this size may be stamped by the batch job: it
// lies inside the picture with the margin to spare on both axes.
inline bool FitsWithinMargins(int32_t markW, int32_t markH, int32_t pictureW, int32_t pictureH,
                              int32_t margin = kPlacementMargin) {
    return markW < int64_t{pictureW} - margin && markH < int64_t{pictureH} - margin;
}

}  // namespace stampora
