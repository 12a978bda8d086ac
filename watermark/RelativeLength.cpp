#include "watermark/RelativeLength.h"

#include <charconv>
#include <cmath>

namespace stampora {

int64_t RelativeLength::Resolve(int32_t reference) const {
    if (!percent) return static_cast<int64_t>(value);
    return std::llround(value * reference / 100.0);
}

std::optional<RelativeLength> ParseRelativeLength(std::string_view text, int32_t smallest, Status& status) {
    const bool percent = !text.empty() && text.back() == '%';
    const std::string_view number = percent ? text.substr(0, text.size() - 1) : text;
    if (number.empty()) {
        status.failure = {Domain::Options, "'" + std::string(text) + "' is not a number"};
        return std::nullopt;
    }
    if (!percent) {
        int64_t whole = 0;
        const auto [end, code] = std::from_chars(number.data(), number.data() + number.size(), whole);
        if (code != std::errc() || end != number.data() + number.size() || whole < smallest ||
            whole > INT32_MAX) {
            status.failure = {
                Domain::Options,
                "'" + std::string(text) + "' is not a whole number of at least " + std::to_string(smallest)};
            return std::nullopt;
        }
        return RelativeLength{static_cast<double>(whole), false};
    }
    double share = 0.0;
    const auto [end, code] = std::from_chars(number.data(), number.data() + number.size(), share);
    if (code != std::errc() || end != number.data() + number.size() ||
        !(share >= kSmallestPercent && share <= 100.0)) {
        status.failure = {Domain::Options,
                          "'" + std::string(text) + "' is not a percentage from 0.1% to 100%"};
        return std::nullopt;
    }
    return RelativeLength{share, true};
}

}  // namespace stampora
