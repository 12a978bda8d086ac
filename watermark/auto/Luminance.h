#pragma once
// How light a colour looks and how well two colours read against each other,
// as the WCAG measures them: relative luminance from linearised sRGB, and the
// contrast ratio (L1 + 0.05) / (L2 + 0.05), from 1 (none) to 21 (black on
// white).
#include <cstdint>

namespace stampora {

// The linear light of an 8-bit sRGB channel value, 0 to 1.
double LinearChannel(uint8_t value);

// 0.2126 R + 0.7152 G + 0.0722 B of the linearised channels: 0 black, 1 white.
double RelativeLuminance(uint8_t red, uint8_t green, uint8_t blue);

// The ratio of the lighter luminance to the darker, each plus 0.05.
double ContrastRatio(double luminance, double otherLuminance);

}  // namespace stampora
