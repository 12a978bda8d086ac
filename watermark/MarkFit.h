#pragma once
// How a mark adapts to each picture it is stamped on: a size that follows the
// picture's size, the margin kept from the edges, and repetition across the
// whole picture. The defaults leave a mark exactly as it was given.
#include <optional>

#include "watermark/RelativeLength.h"
#include "watermark/WatermarkBase.h"

namespace stampora {

// The picture side a relative size is taken of.
enum class FitSide { Shorter, Width, Height };

struct MarkLayout {
    // Pixels, or a percentage of the picture's shorter side.
    RelativeLength margin{kPlacementMargin, false};
    // Repeat the mark over the whole picture in a grid laid out from its
    // anchored place, every second row shifted by half a step.
    bool tile = false;
    // Space between tiles across and down, in pixels or a percentage of the
    // shorter side; without one, a mark's own width or height.
    std::optional<RelativeLength> gapX;
    std::optional<RelativeLength> gapY;
};

struct MarkFit {
    // Above 0: the mark's size as a percentage of the picture's `side`. For a
    // text mark the em size in pixels (side Shorter); for an image mark its
    // width (side Width) or height (side Height), the other kept in proportion.
    double sizePercent = 0.0;
    FitSide side = FitSide::Shorter;
    MarkLayout layout;

    bool SizeFollowsPicture() const { return sizePercent > 0.0; }
};

}  // namespace stampora
