#pragma once
// One colour channel of a pixel word, selected by a bit mask (the masks of
// 16-bit and bit-field pictures), rescaled to another number of bits with
// rounding to the nearest level, so the channel's full value becomes the
// target's full value and zero stays zero.
#include <bit>
#include <cstdint>

namespace stampora {

inline uint32_t ScaleMaskedChannel(uint32_t word, uint32_t mask, int targetBits) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t top = mask >> shift;
    const uint64_t value = (word & mask) >> shift;
    const uint64_t targetTop = (uint64_t{1} << targetBits) - 1;
    return static_cast<uint32_t>((value * targetTop + top / 2) / top);
}

inline uint8_t WidenMaskedChannel(uint32_t word, uint32_t mask) {
    return static_cast<uint8_t>(ScaleMaskedChannel(word, mask, 8));
}

}  // namespace stampora
