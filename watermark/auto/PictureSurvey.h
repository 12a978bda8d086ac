#pragma once
// What the automatic choices know of a picture, read in one pass over it: a
// reduced copy of its luminance (longest side kSurveySide, each cell the mean
// of an even grid of the pixels it covers) kept as summed-area tables, so the detail and the
// lightness under any rectangle cost the same few reads whatever its size.
#include <cstdint>
#include <vector>

#include "image/RasterImage.h"

namespace stampora {

constexpr int32_t kSurveySide = 256;

// The mean contrast ratio of white and of black text against the cells of an
// area (each cell's ratio, averaged).
struct AreaContrast {
    double white = 1.0;
    double black = 1.0;
};

class CPictureSurvey {
public:
    // Surveys a 24- or 32-bit picture (blue, green, red, and alpha: a
    // transparent pixel counts as white). Any other gives an empty survey,
    // flat everywhere, on which white and black read alike.
    explicit CPictureSurvey(const CRasterImage& picture);
    // Surveys `reduced`, a smaller copy of a picture of width x height, whose
    // pixels the rectangles asked about are given in.
    CPictureSurvey(const CRasterImage& reduced, int32_t width, int32_t height);

    bool IsEmpty() const { return cellsWide == 0; }

    // The gradient energy under a rectangle of the picture (picture pixels;
    // clipped to it): the sum of |dx| + |dy| of the luminance between
    // neighbouring cells of the reduced copy that both lie under it.
    double Detail(int32_t left, int32_t top, int32_t width, int32_t height) const;

    AreaContrast ContrastUnder(int32_t left, int32_t top, int32_t width, int32_t height) const;

private:
    struct Cells {
        int32_t x0, y0, x1, y1;  // [x0, x1) x [y0, y1), never empty
    };
    Cells CellsUnder(int32_t left, int32_t top, int32_t width, int32_t height) const;
    // The sum of a summed-area table (cellsWide + 1 wide) over cells.
    double Sum(const std::vector<double>& table, int32_t x0, int32_t y0, int32_t x1, int32_t y1) const;

    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    int32_t cellsWide = 0;
    int32_t cellsHigh = 0;
    // Summed-area tables, (cellsWide + 1) x (cellsHigh + 1): the luminance
    // steps to the right neighbour and to the one below, and each cell's
    // contrast ratio against white and against black.
    std::vector<double> stepsAcross;
    std::vector<double> stepsDown;
    std::vector<double> againstWhite;
    std::vector<double> againstBlack;
};

}  // namespace stampora
