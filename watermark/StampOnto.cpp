#include "watermark/StampOnto.h"

MarkStamp StampMark(CRasterImage& picture, const WatermarkBase& mark, const CRasterImage& layer,
                    bool marginTest) {
    if (!mark.enabled) return MarkStamp::Inactive;
    if (layer.IsEmpty() || layer.Bpp() != 32 || picture.IsEmpty() || picture.Bpp() != 32)
        return MarkStamp::Failed;
    if (marginTest &&
        !FitsWithinMargins(mark.CoverWidth(), mark.CoverHeight(), picture.Width(), picture.Height())) {
        return MarkStamp::LeftOff;
    }
    picture.BlendLayer(layer, mark.LayerX(), mark.LayerY(), mark.opacity);
    return MarkStamp::Stamped;
}

void StampOnto(CRasterImage& picture, const ImageWatermark& imageMark, const TextWatermark& textMark,
               bool marginTest) {
    StampMark(picture, imageMark.base, imageMark.layer, marginTest);
    StampMark(picture, textMark.base, textMark.layer, marginTest);
}
