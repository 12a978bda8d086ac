#pragma once
// Weight tables of the separable bicubic resampler.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace stampora {

// For every destination position along one axis: the first source position
// it reads, how many contiguous ones, and their weights (summing to 1).
struct FilterTable {
    std::vector<int32_t> first;
    std::vector<int32_t> count;
    std::vector<size_t> offset;  // into weights
    std::vector<float> weights;
    int32_t maxCount = 0;
};

// A Catmull-Rom table mapping sourceSize positions onto destSize (both > 0).
// Destination pixel i covers the source span [i, i + 1) x sourceSize /
// destSize; the kernel sits on that span's middle and, when shrinking, is
// stretched by the reduction factor so that it averages every source pixel
// it covers. Taps beyond either end take the end pixel, as if the edge went on.
FilterTable BuildFilterTable(int32_t sourceSize, int32_t destSize);

}  // namespace stampora
