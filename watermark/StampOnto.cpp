#include "watermark/StampOnto.h"

namespace {

void StampMark(CRasterImage& picture, const WatermarkBase& mark, const CRasterImage& layer, bool marginTest) {
    if (!mark.enabled) return;
    if (marginTest && !FitsWithinMargins(mark.markWidth, mark.markHeight, picture.Width(), picture.Height())) return;
    // Only x and y place the mark; the layer's own position plays no part.
    picture.BlendLayer(layer, mark.x, mark.y, mark.opacity);
}

}  // namespace

void StampOnto(CRasterImage& picture, const ImageWatermark& imageMark, const TextWatermark& textMark,
               bool marginTest) {
    StampMark(picture, imageMark.base, imageMark.layer, marginTest);
    StampMark(picture, textMark.base, textMark.layer, marginTest);
}
