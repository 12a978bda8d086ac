#pragma once
// An image watermark: placement, the picture as loaded, and the layer
// prepared from it at the chosen size and rotation.
#include <string>

#include "image/RasterImage.h"
#include "watermark/WatermarkBase.h"

namespace stampora {

struct ImageWatermark {
    ImageWatermark() = default;
    ImageWatermark(const ImageWatermark& other);
    // An exact deep copy, empty pictures included.
    ImageWatermark& operator=(const ImageWatermark& other);

    WatermarkBase base;
    CRasterImage layer;   // 32-bit, scaled and possibly rotated: what is blended
    CRasterImage source;  // the picture exactly as loaded; never modified
    std::string file;     // where the source was loaded from (UTF-8), for presets

    // Builds the layer from the source: made 32-bit, then scaled to width x
    // height (a size of 0 or less keeps the source's). Does nothing while the
    // mark is not enabled. A size of more pixels than any picture holds is
    // not built: the layer is then a transparent dot, and the mark keeps
    // that size, which no picture fits. Answers false when the layer could
    // not be made or scaled (memory), so it is not the mark asked for.
    bool PrepareImageLayer();

    // Prepares the layer afresh, rotates it when rotation lies in 1..360 and
    // records its size in markWidth and markHeight. Answers false as
    // PrepareImageLayer does, or when the rotation could not be made.
    bool RebuildLayer();

    // The record as RebuildLayer leaves an enabled mark, markWidth and
    // markHeight included, worked out without building the layer.
    WatermarkBase BaseToBe() const;

    // Whether width x height is more pixels than any picture may hold.
    bool IsOverPixelLimit() const;

    // The fit check with the image watermark's message.
    bool CheckFits() { return base.CheckFits(MarkKind::Image); }
};

// The image dialog's warnings about a requested size larger than the target
// picture (when that picture's size is known). Each shows its error message
// and answers whether it did; the value is left as typed.
bool WarnIfWidthExceedsPicture(const WatermarkBase& mark, int32_t requestedWidth);
bool WarnIfHeightExceedsPicture(const WatermarkBase& mark, int32_t requestedHeight);

}  // namespace stampora
