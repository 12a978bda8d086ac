#include "batch/options/MarkSizeOptions.h"

namespace stampora {

namespace {

constexpr int32_t kLargestImageSide = 1 << 16;

bool IsPercentage(const std::string& value) {
    return !value.empty() && value.back() == '%';
}

std::optional<double> Percentage(const std::string& value) {
    Status error;
    const auto length = ParseRelativeLength(value, 1, error);
    if (!length || !length->percent) return std::nullopt;
    return length->value;
}

// A whole number from `low` to `high`, without a percent sign.
std::optional<int32_t> WholeNumber(const std::string& value, int32_t low, int32_t high) {
    Status error;
    const auto length = ParseRelativeLength(value, low, error);
    if (!length || length->percent || length->value > high) return std::nullopt;
    return static_cast<int32_t>(length->value);
}

}  // namespace

bool ParseTextSize(const std::string& value, TextMarkOptions& text) {
    if (IsPercentage(value)) {
        const auto share = Percentage(value);
        if (share) text.sizePercent = *share;
        return share.has_value();
    }
    const auto points = WholeNumber(value, 1, kLargestPointSize);
    if (!points) return false;
    text.size = *points;
    text.sizePercent = 0.0;
    return true;
}

bool ParseImageSize(const std::string& value, ImageMarkOptions& image) {
    if (value == "best" || value == "real") {
        image.sizeMode = value == "best" ? ImageSizeMode::Best : ImageSizeMode::Real;
        return true;
    }
    if (IsPercentage(value)) {
        const bool ofHeight = value.front() == 'x';
        const auto share = Percentage(ofHeight ? value.substr(1) : value);
        if (!share) return false;
        image.sizeMode = ImageSizeMode::Relative;
        image.sizePercent = *share;
        image.percentOfHeight = ofHeight;
        return true;
    }
    const size_t cross = value.find('x');
    const auto width = WholeNumber(value.substr(0, cross), 1, kLargestImageSide);
    const auto height = cross == std::string::npos
                            ? std::optional<int32_t>(0)
                            : WholeNumber(value.substr(cross + 1), 1, kLargestImageSide);
    if (!width || !height) return false;
    image.sizeMode = ImageSizeMode::Chosen;
    image.width = *width;
    image.height = *height;
    return true;
}

bool ParseMargin(const std::string& value, MarkLayout& layout) {
    Status error;
    const auto margin = ParseRelativeLength(value, 0, error);
    if (margin) layout.margin = *margin;
    return margin.has_value();
}

bool ParseTileGap(const std::string& value, MarkLayout& layout) {
    const size_t comma = value.find(',');
    Status error;
    const auto across = ParseRelativeLength(value.substr(0, comma), 0, error);
    const auto down =
        comma == std::string::npos ? across : ParseRelativeLength(value.substr(comma + 1), 0, error);
    if (!across || !down) return false;
    layout.gapX = across;
    layout.gapY = down;
    return true;
}

MarkFit TextMarkFit(const ToolOptions& options) {
    MarkFit fit;
    fit.layout = options.layout;
    if (options.textMark) fit.sizePercent = options.textMark->sizePercent;
    fit.side = FitSide::Shorter;
    return fit;
}

MarkFit ImageMarkFit(const ToolOptions& options) {
    MarkFit fit;
    fit.layout = options.layout;
    if (options.imageMark && options.imageMark->sizeMode == ImageSizeMode::Relative) {
        fit.sizePercent = options.imageMark->sizePercent;
        fit.side = options.imageMark->percentOfHeight ? FitSide::Height : FitSide::Width;
    }
    return fit;
}

}  // namespace stampora
