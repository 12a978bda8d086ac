#include "watermark/StampOnto.h"

#include <algorithm>
#include <utility>

#include "watermark/TilePattern.h"

namespace stampora {

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
                       const MarkLayout& layout, Status& status) {
    return StampLaidOutPart(picture, 0, 0, picture.Width(), picture.Height(), mark, layer, layout, status);
}

MarkStamp LaidOutPlaces(const WatermarkBase& mark, const MarkLayout& layout, int32_t width, int32_t height,
                        std::vector<TilePlace>& places, Status& status) {
    places.clear();
    if (!mark.enabled) return MarkStamp::Inactive;
    // A tiled layout starts from the mark's anchored place, so the mark must
    // have one on this picture either way.
    if (!FitsWithinMargins(mark.CoverWidth(), mark.CoverHeight(), width, height, mark.margin))
        return MarkStamp::LeftOff;
    if (!layout.tile) {
        places.push_back({mark.LayerX(), mark.LayerY()});
        return MarkStamp::Stamped;
    }

    const int32_t shorter = std::min(width, height);
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
    const int64_t count = pattern.CountFor(width, height);
    if (count > kMaxTiles) {
        status.failure = {Domain::Mark, "the tiled mark would take " + std::to_string(count) +
                                            " tiles on this picture (at most " + std::to_string(kMaxTiles) +
                                            "); a larger gap between tiles gives fewer"};
        return MarkStamp::Failed;
    }
    places = pattern.PlacesFor(width, height);
    return MarkStamp::Stamped;
}

MarkStamp StampLaidOutPart(CRasterImage& part, int32_t left, int32_t top, int32_t width, int32_t height,
                           const WatermarkBase& mark, const CRasterImage& layer, const MarkLayout& layout,
                           Status& status) {
    if (!mark.enabled) return MarkStamp::Inactive;
    if (layer.IsEmpty() || layer.Bpp() != 32 || part.IsEmpty() || part.Bpp() != 32) return MarkStamp::Failed;
    std::vector<TilePlace> places;
    const MarkStamp laidOut = LaidOutPlaces(mark, layout, width, height, places, status);
    for (const TilePlace& place : places) part.BlendLayer(layer, place.x - left, place.y - top, mark.opacity);
    return laidOut;
}

void StampOnto(CRasterImage& picture, const ImageWatermark& imageMark, const TextWatermark& textMark,
               bool marginTest) {
    StampMark(picture, imageMark.base, imageMark.layer, marginTest);
    StampMark(picture, textMark.base, textMark.layer, marginTest);
}

void StampOntoPart(CRasterImage& part, int32_t left, int32_t top, const ImageWatermark& imageMark,
                   const TextWatermark& textMark) {
    if (part.IsEmpty() || part.Bpp() != 32) return;
    const std::pair<const WatermarkBase*, const CRasterImage*> marks[] = {{&imageMark.base, &imageMark.layer},
                                                                          {&textMark.base, &textMark.layer}};
    for (const auto& [mark, layer] : marks) {
        if (!mark->enabled || layer->IsEmpty() || layer->Bpp() != 32) continue;
        part.BlendLayer(*layer, mark->LayerX() - left, mark->LayerY() - top, mark->opacity);
    }
}

}  // namespace stampora
