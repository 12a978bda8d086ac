#pragma once
// An image watermark: placement, the picture as loaded, and the layer
// prepared from it at the chosen size and rotation.
#include "image/RasterImage.h"
#include "watermark/WatermarkBase.h"

struct ImageWatermark {
    ImageWatermark() = default;
    ImageWatermark(const ImageWatermark& other);
    // An exact deep copy, empty pictures included.
    ImageWatermark& operator=(const ImageWatermark& other);

    WatermarkBase base;
    CRasterImage layer;   // 32-bit, scaled and possibly rotated: what is blended
    CRasterImage source;  // the picture exactly as loaded; never modified

    // Builds the layer from the source at width x height and promotes it to
    // 32 bits. Does nothing while the mark is not enabled.
    void PrepareImageLayer();

    // Prepares the layer afresh, rotates it when rotation lies in 1..360 and
    // records its size in markWidth and markHeight.
    void RebuildLayer();

    // The fit check with the image watermark's message.
    bool CheckFits() { return base.CheckFits(MarkKind::Image); }
};

// The image dialog's warnings about a requested size larger than the target
// picture (when that picture's size is known). Each shows its error message
// and answers whether it did; the value is left as typed.
bool WarnIfWidthExceedsPicture(const WatermarkBase& mark, int32_t requestedWidth);
bool WarnIfHeightExceedsPicture(const WatermarkBase& mark, int32_t requestedHeight);
