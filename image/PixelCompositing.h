#pragma once
// Per-pixel compositing rules shared by layer blending and scaled drawing.
// All arithmetic is integer and drops fractions.
#include <cstdint>

namespace stampora {

// An opacity percent clamped to 0 ... 100.
inline int32_t ClampOpacity(int32_t opacity) {
    return opacity < 0 ? 0 : (opacity > 100 ? 100 : opacity);
}

// A layer alpha weakened by an opacity percent (already clamped); 100 keeps it.
inline uint8_t ScaleAlpha(uint8_t alpha, int32_t opacity) {
    return opacity == 100 ? alpha : static_cast<uint8_t>(alpha * opacity / 100);
}

// Composites a colour (first three bytes of `source`: blue, green, red) with
// `alpha` over a 32-bit pixel whose value before the call is `destValue`,
// keeping the destination's own alpha: the result's alpha grows as
// 255a + dA(255 - a) over 255. A fully transparent result is transparent white.
void CombinePixel(uint8_t* dest, uint32_t destValue, const uint8_t* source, uint8_t alpha);

// Mixes a colour into an opaque 24- or 32-bit pixel with `alpha`; only the
// first three bytes of the destination change.
void MixPixel(uint8_t* dest, const uint8_t* source, uint8_t alpha);

}  // namespace stampora
