#pragma once
// Xiaolin Wu's colour quantizer: a colour histogram on a 32 x 32 x 32 grid,
// split into boxes of least variance until the palette is full.
#include <cstdint>
#include <memory>
#include <vector>

#include "image/DibTypes.h"

namespace stampora {

class CWuQuantizer {
public:
    CWuQuantizer();
    ~CWuQuantizer();
    CWuQuantizer(const CWuQuantizer&) = delete;
    CWuQuantizer& operator=(const CWuQuantizer&) = delete;

    // Counts one colour into the histogram.
    void Add(uint8_t red, uint8_t green, uint8_t blue);
    // Up to maxColors (1..256) representative colours of everything added;
    // fewer when the colours allow no further split.
    std::vector<PaletteColour> BuildPalette(int maxColors);

private:
    struct Moments;
    std::unique_ptr<Moments> moments;
};

}  // namespace stampora
