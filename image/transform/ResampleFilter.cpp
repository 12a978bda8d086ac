#include "image/transform/ResampleFilter.h"

#include <algorithm>
#include <cmath>

namespace stampora {

namespace {

// Catmull-Rom cubic: interpolating, sharp, with small negative lobes.
double CatmullRom(double x) {
    x = std::fabs(x);
    if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
    if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
    return 0.0;
}
constexpr double kKernelRadius = 2.0;

}  // namespace

FilterTable BuildFilterTable(int32_t sourceSize, int32_t destSize) {
    FilterTable table;
    const double scale = static_cast<double>(sourceSize) / destSize;
    const double stretch = std::max(scale, 1.0);
    const double support = kKernelRadius * stretch;
    table.first.resize(static_cast<size_t>(destSize));
    table.count.resize(static_cast<size_t>(destSize));
    table.offset.resize(static_cast<size_t>(destSize));
    std::vector<double> raw;
    for (int32_t i = 0; i < destSize; ++i) {
        const double centre = (i + 0.5) * scale;
        const auto low = static_cast<int64_t>(std::floor(centre - support));
        const auto high = static_cast<int64_t>(std::ceil(centre + support));
        const int64_t first = std::clamp<int64_t>(low, 0, sourceSize - 1);
        const int64_t last = std::clamp<int64_t>(high, 0, sourceSize - 1);
        raw.assign(static_cast<size_t>(last - first + 1), 0.0);
        double sum = 0.0;
        for (int64_t j = low; j <= high; ++j) {
            const double w = CatmullRom((static_cast<double>(j) + 0.5 - centre) / stretch);
            if (w == 0.0) continue;
            raw[static_cast<size_t>(std::clamp<int64_t>(j, 0, sourceSize - 1) - first)] += w;
            sum += w;
        }
        // Zero weights at either end are dropped.
        size_t begin = 0, end = raw.size();
        while (begin + 1 < end && raw[begin] == 0.0) ++begin;
        while (end > begin + 1 && raw[end - 1] == 0.0) --end;
        const auto i_ = static_cast<size_t>(i);
        table.first[i_] = static_cast<int32_t>(first + static_cast<int64_t>(begin));
        table.count[i_] = static_cast<int32_t>(end - begin);
        table.offset[i_] = table.weights.size();
        for (size_t k = begin; k < end; ++k) table.weights.push_back(static_cast<float>(raw[k] / sum));
        table.maxCount = std::max(table.maxCount, static_cast<int32_t>(end - begin));
    }
    return table;
}

}  // namespace stampora
