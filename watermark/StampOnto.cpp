#include "watermark/StampOnto.h"

#include <algorithm>

#include "watermark/TilePattern.h"

MarkStamp StampMark(CRasterImage& picture, const WatermarkBase& mark, const CRasterImage& layer,
                    bool marginTest) {
    if (!mark.enabled) return MarkStamp::Inactive;
    if (layer.IsEmpty() || layer.Bpp() != 32 || picture.IsEmpty() || picture.Bpp() != 32)
        return MarkStamp::Failed;
    if (marginTest && !FitsWithinMargins(mark.CoverWidth(), mark.CoverHeight(), picture.Width(),
                                         picture.Height(), mark.margin)) {
        return MarkStamp::LeftOff;
    }
    picture.BlendLayer(layer, mark.LayerX(), mark.LayerY(), mark.opacity);
    return MarkStamp::Stamped;
}

MarkStamp StampLaidOut(CRasterImage& picture, const WatermarkBase& mark, const CRasterImage& layer,
                       const MarkLayout& layout, std::string& reason) {
    if (!layout.tile || !mark.enabled) return StampMark(picture, mark, layer, true);
    if (layer.IsEmpty() || layer.Bpp() != 32 || picture.IsEmpty() || picture.Bpp() != 32)
        return MarkStamp::Failed;
    // The tiles start from the mark's anchored place, so the mark must have
    // one on this picture.
    if (!FitsWithinMargins(mark.CoverWidth(), mark.CoverHeight(), picture.Width(), picture.Height(),
                           mark.margin)) {
        return MarkStamp::LeftOff;
    }

    const int32_t shorter = std::min(picture.Width(), picture.Height());
    auto gap = [shorter](const std::optional<RelativeLength>& given, int32_t markSide) {
        return given ? static_cast<int32_t>(std::clamp<int64_t>(given->Resolve(shorter), 0, INT32_MAX))
                     : markSide;
    };
    const TilePattern pattern{mark.CoverWidth(),
                              mark.CoverHeight(),
                              gap(layout.gapX, mark.CoverWidth()),
                              gap(layout.gapY, mark.CoverHeight()),
                              mark.LayerX(),
                              mark.LayerY()};
    const int64_t count = pattern.CountFor(picture.Width(), picture.Height());
    if (count > kMaxTiles) {
        reason = "the tiled mark would take " + std::to_string(count) + " tiles on this picture (at most " +
                 std::to_string(kMaxTiles) + "); a larger gap between tiles gives fewer";
        return MarkStamp::Failed;
    }
    for (const TilePlace& place : pattern.PlacesFor(picture.Width(), picture.Height()))
        picture.BlendLayer(layer, place.x, place.y, mark.opacity);
    return MarkStamp::Stamped;
}

void StampOnto(CRasterImage& picture, const ImageWatermark& imageMark, const TextWatermark& textMark,
               bool marginTest) {
    StampMark(picture, imageMark.base, imageMark.layer, marginTest);
    StampMark(picture, textMark.base, textMark.layer, marginTest);
}
