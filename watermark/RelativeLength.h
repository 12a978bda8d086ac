#pragma once
// A mark's length given either absolutely (pixels or points) or as a
// percentage of one of the picture's sides, so one setting suits a phone
// screenshot and a camera photograph alike.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace stampora {

struct RelativeLength {
    double value = 0.0;
    bool percent = false;

    // The length for a picture side of `reference` pixels: the value itself,
    // or the percentage of the side, rounded to the nearest whole pixel.
    int64_t Resolve(int32_t reference) const;
};

// The largest text size in points a mark may be given.
constexpr int32_t kLargestPointSize = 1000;

// Percentages below this or above 100 are refused.
constexpr double kSmallestPercent = 0.1;

// Parses "36" (a whole number, at least `smallest`) or "4%" / "4.5%" (0.1 to
// 100). On a refusal answers nothing and says why in `status`.
std::optional<RelativeLength> ParseRelativeLength(std::string_view text, int32_t smallest, Status& status);

}  // namespace stampora
