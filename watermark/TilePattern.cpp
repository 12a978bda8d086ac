#include "watermark/TilePattern.h"

#include <cstddef>

namespace stampora {

namespace {

// The smallest k with origin + k * step + extent > 0, i.e. the first tile of
// a line that reaches into the picture.
int64_t FirstIndex(int64_t origin, int64_t step, int64_t extent) {
    const int64_t limit = -extent - origin;  // need k * step > limit
    int64_t k = limit / step;
    if (k * step <= limit) ++k;
    return k;
}

// The largest k with origin + k * step < size: the last tile that starts
// inside the picture.
int64_t LastIndex(int64_t origin, int64_t step, int64_t size) {
    const int64_t limit = size - 1 - origin;  // need k * step <= limit
    int64_t k = limit / step;
    if (k * step > limit) --k;
    return k;
}

struct Span {
    int64_t first;
    int64_t last;
    int64_t Count() const { return last >= first ? last - first + 1 : 0; }
};

}  // namespace

int64_t TilePattern::CountFor(int32_t pictureWidth, int32_t pictureHeight) const {
    if (markWidth <= 0 || markHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return 0;
    const int64_t stepX = int64_t{markWidth} + gapX;
    const int64_t stepY = int64_t{markHeight} + gapY;
    const Span rows{FirstIndex(originY, stepY, markHeight), LastIndex(originY, stepY, pictureHeight)};
    int64_t total = 0;
    // Shifted and unshifted rows can differ by one tile, so count both kinds.
    for (int64_t parity = 0; parity < 2; ++parity) {
        int64_t rowsOfKind = 0;
        for (int64_t k = rows.first; k <= rows.last && k < rows.first + 2; ++k)
            if ((k & 1) == parity) rowsOfKind = (rows.last - k) / 2 + 1;
        if (rowsOfKind == 0) continue;
        const int64_t shift = parity ? stepX / 2 : 0;
        const Span columns{FirstIndex(originX + shift, stepX, markWidth),
                           LastIndex(originX + shift, stepX, pictureWidth)};
        total += rowsOfKind * columns.Count();
    }
    return total;
}

std::vector<TilePlace> TilePattern::PlacesFor(int32_t pictureWidth, int32_t pictureHeight) const {
    std::vector<TilePlace> places;
    const int64_t count = CountFor(pictureWidth, pictureHeight);
    if (count == 0 || count > kMaxTiles) return places;
    places.reserve(static_cast<size_t>(count));
    const int64_t stepX = int64_t{markWidth} + gapX;
    const int64_t stepY = int64_t{markHeight} + gapY;
    const Span rows{FirstIndex(originY, stepY, markHeight), LastIndex(originY, stepY, pictureHeight)};
    for (int64_t k = rows.first; k <= rows.last; ++k) {
        const int64_t shift = (k & 1) ? stepX / 2 : 0;
        const int64_t rowOrigin = originX + shift;
        const Span columns{FirstIndex(rowOrigin, stepX, markWidth),
                           LastIndex(rowOrigin, stepX, pictureWidth)};
        for (int64_t j = columns.first; j <= columns.last; ++j)
            places.push_back(
                {static_cast<int32_t>(rowOrigin + j * stepX), static_cast<int32_t>(originY + k * stepY)});
    }
    return places;
}

}  // namespace stampora
