#pragma once
// The grid a tiled mark repeats in: a step of one mark plus the gap, every
// second row shifted by half a step, laid out from the mark's anchored place
// so the pattern does not move between runs, and extended until it covers
// the whole picture.
#include <cstdint>
#include <vector>

namespace stampora {

struct TilePlace {
    int32_t x;
    int32_t y;
};

// More tiles than this are refused rather than stamped.
constexpr int64_t kMaxTiles = 100000;

struct TilePattern {
    int32_t markWidth = 0;
    int32_t markHeight = 0;
    int32_t gapX = 0;
    int32_t gapY = 0;
    // Top-left of the tile that sits where the untiled mark would.
    int32_t originX = 0;
    int32_t originY = 0;

    // How many tiles touch a picture of this size (0 for an empty mark).
    int64_t CountFor(int32_t pictureWidth, int32_t pictureHeight) const;
    // The top-left corners of those tiles, row by row from the top.
    std::vector<TilePlace> PlacesFor(int32_t pictureWidth, int32_t pictureHeight) const;
};

}  // namespace stampora
