#pragma once
// Where the user put a mark on one picture of a batch, in place of its
// anchor: the mark's top-left in that picture's pixels.
#include <algorithm>
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
    // or where the user put it on this picture, moved inside the picture as
    // far as it reaches out, so a copy never goes without the mark it is
    // told to have. A mark without room for its margin is left off either
    // way, as anywhere else.
    void Place(WatermarkBase& mark, MarkKind kind, int32_t width, int32_t height) const {
        mark.PlaceByAlignment(width, height);
        MoveWhereMoved(mark, kind, width, height);
    }

    // Moves a mark already placed (by its anchor or by the automatic place)
    // to where the user put it on this picture, if anywhere.
    void MoveWhereMoved(WatermarkBase& mark, MarkKind kind, int32_t width, int32_t height) const {
        const std::optional<MarkPoint>& point = Of(kind);
        if (!point) return;
        const auto inside = [](int32_t wanted, int32_t before, int32_t cover, int32_t side) {
            const int64_t last = int64_t{side} - cover + before;
            return last < before ? wanted : static_cast<int32_t>(std::clamp<int64_t>(wanted, before, last));
        };
        mark.x = inside(point->x, mark.overhang.left, mark.CoverWidth(), width);
        mark.y = inside(point->y, mark.overhang.top, mark.CoverHeight(), height);
    }
};

}  // namespace stampora
