#include "watermark/auto/Luminance.h"

#include <algorithm>
#include <cmath>

namespace stampora {

double LinearChannel(uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(uint8_t red, uint8_t green, uint8_t blue) {
    return 0.2126 * LinearChannel(red) + 0.7152 * LinearChannel(green) + 0.0722 * LinearChannel(blue);
}

double ContrastRatio(double luminance, double otherLuminance) {
    const double lighter = std::max(luminance, otherLuminance);
    const double darker = std::min(luminance, otherLuminance);
    return (lighter + 0.05) / (darker + 0.05);
}

}  // namespace stampora
