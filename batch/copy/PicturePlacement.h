#pragma once
// Where the user put a mark on one picture of a batch, in place of its
// anchor: the mark's top-left in that picture's pixels.
#include <cstdint>
#include <optional>

#include "watermark/WatermarkBase.h"

namespace stampora {

struct MarkPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const MarkPoint&) const = default;
};

struct PicturePlacement {
    std::optional<MarkPoint> text;
    std::optional<MarkPoint> image;

    bool Empty() const { return !text && !image; }
    std::optional<MarkPoint>& Of(MarkKind kind) { return kind == MarkKind::Text ? text : image; }
    const std::optional<MarkPoint>& Of(MarkKind kind) const { return kind == MarkKind::Text ? text : image; }

    // Places a mark made for a picture of `width` x `height`: at its anchor,
    // or where the user put it on this picture. A mark without room for its
    // margin is left off either way, as anywhere else.
    void Place(WatermarkBase& mark, MarkKind kind, int32_t width, int32_t height) const {
        mark.PlaceByAlignment(width, height);
        if (const std::optional<MarkPoint>& point = Of(kind)) {
            mark.x = point->x;
            mark.y = point->y;
        }
    }
};

}  // namespace stampora
