#include "watermark/auto/PictureSurvey.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "watermark/auto/Luminance.h"

namespace stampora {

namespace {

// Each channel's share of the luminance, in 65535ths, by 8-bit value: the
// three shares of a pixel add up to its luminance.
struct LuminanceTables {
    std::array<uint32_t, 256> blue{}, green{}, red{};
    LuminanceTables() {
        for (int v = 0; v < 256; ++v) {
            const double linear = LinearChannel(static_cast<uint8_t>(v)) * 65535.0;
            red[v] = static_cast<uint32_t>(std::lround(0.2126 * linear));
            green[v] = static_cast<uint32_t>(std::lround(0.7152 * linear));
            blue[v] = static_cast<uint32_t>(std::lround(0.0722 * linear));
        }
    }
};

// A summed-area table of `values` (width x height, row by row): entry
// (x, y) of the (width + 1)-wide table is the sum of values above and left.
std::vector<double> SummedArea(const std::vector<double>& values, int32_t width, int32_t height) {
    const auto stride = static_cast<size_t>(width) + 1;
    std::vector<double> table(stride * (static_cast<size_t>(height) + 1), 0.0);
    for (int32_t y = 0; y < height; ++y) {
        double row = 0.0;
        for (int32_t x = 0; x < width; ++x) {
            row += values[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            table[(static_cast<size_t>(y) + 1) * stride + static_cast<size_t>(x) + 1] =
                table[static_cast<size_t>(y) * stride + static_cast<size_t>(x) + 1] + row;
        }
    }
    return table;
}

}  // namespace

CPictureSurvey::CPictureSurvey(const CRasterImage& picture) {
    if (picture.IsEmpty() || (picture.Bpp() != 32 && picture.Bpp() != 24) || picture.Width() <= 0 ||
        picture.Height() <= 0)
        return;
    const size_t pixelBytes = static_cast<size_t>(picture.Bpp()) / 8;
    static const LuminanceTables tables;
    pictureWidth = picture.Width();
    pictureHeight = picture.Height();
    const int32_t longest = std::max(pictureWidth, pictureHeight);
    const double scale = longest > kSurveySide ? static_cast<double>(kSurveySide) / longest : 1.0;
    cellsWide = std::clamp(static_cast<int32_t>(std::lround(pictureWidth * scale)), 1, pictureWidth);
    cellsHigh = std::clamp(static_cast<int32_t>(std::lround(pictureHeight * scale)), 1, pictureHeight);

    // Each cell is the mean of a grid of its pixels, about four by four
    // however large the picture: the mean of a large cell changes little
    // by reading every pixel, and the survey stays a small share of a copy.
    const int32_t columnStep = std::max(1, pictureWidth / cellsWide / 4);
    const int32_t rowStep = std::max(1, pictureHeight / cellsHigh / 4);
    // Which cell each read column and row falls in, and how many each holds.
    std::vector<int32_t> cellOfColumn;
    std::vector<uint32_t> columnsOfCell(static_cast<size_t>(cellsWide), 0);
    for (int32_t x = columnStep / 2; x < pictureWidth; x += columnStep) {
        const auto cell = static_cast<int32_t>(int64_t{x} * cellsWide / pictureWidth);
        cellOfColumn.push_back(cell);
        ++columnsOfCell[static_cast<size_t>(cell)];
    }
    const size_t cellCount = static_cast<size_t>(cellsWide) * static_cast<size_t>(cellsHigh);
    std::vector<uint64_t> sums(cellCount, 0);
    std::vector<uint32_t> rowsOfCell(static_cast<size_t>(cellsHigh), 0);
    const auto byteStep = static_cast<size_t>(columnStep) * pixelBytes;
    for (int32_t y = rowStep / 2; y < pictureHeight; y += rowStep) {
        const auto cellRow = static_cast<size_t>(int64_t{y} * cellsHigh / pictureHeight);
        ++rowsOfCell[cellRow];
        uint64_t* row = sums.data() + cellRow * static_cast<size_t>(cellsWide);
        const uint8_t* pixel = picture.Row(y) + static_cast<size_t>(columnStep / 2) * pixelBytes;
        if (pixelBytes == 4) {
            // A transparent pixel is seen over white, as it is shown and as a
            // copy without alpha is flattened; its hidden colour counts for
            // nothing.
            for (const int32_t cell : cellOfColumn) {
                const uint32_t own = tables.blue[pixel[0]] + tables.green[pixel[1]] + tables.red[pixel[2]];
                row[cell] += (own * pixel[3] + 65535u * (255u - pixel[3]) + 127u) / 255u;
                pixel += byteStep;
            }
        } else {
            for (const int32_t cell : cellOfColumn) {
                row[cell] += tables.blue[pixel[0]] + tables.green[pixel[1]] + tables.red[pixel[2]];
                pixel += byteStep;
            }
        }
    }

    std::vector<double> luminance(cellCount);
    for (size_t i = 0; i < cellCount; ++i) {
        const double pixels = static_cast<double>(columnsOfCell[i % static_cast<size_t>(cellsWide)]) *
                              rowsOfCell[i / static_cast<size_t>(cellsWide)];
        luminance[i] = static_cast<double>(sums[i]) / pixels / 65535.0;
    }
    std::vector<double> across(cellCount, 0.0), down(cellCount, 0.0), white(cellCount), black(cellCount);
    const auto wide = static_cast<size_t>(cellsWide);
    for (size_t i = 0; i < cellCount; ++i) {
        const size_t x = i % wide;
        if (x + 1 < wide) across[i] = std::abs(luminance[i + 1] - luminance[i]);
        if (i + wide < cellCount) down[i] = std::abs(luminance[i + wide] - luminance[i]);
        white[i] = ContrastRatio(1.0, luminance[i]);
        black[i] = ContrastRatio(0.0, luminance[i]);
    }
    stepsAcross = SummedArea(across, cellsWide, cellsHigh);
    stepsDown = SummedArea(down, cellsWide, cellsHigh);
    againstWhite = SummedArea(white, cellsWide, cellsHigh);
    againstBlack = SummedArea(black, cellsWide, cellsHigh);
}

CPictureSurvey::Cells CPictureSurvey::CellsUnder(int32_t left, int32_t top, int32_t width,
                                                 int32_t height) const {
    const auto cell = [](int64_t pixel, int32_t pixels, int32_t cells, bool roundUp) {
        const int64_t scaled = std::clamp<int64_t>(pixel, 0, pixels) * cells;
        return static_cast<int32_t>(roundUp ? (scaled + pixels - 1) / pixels : scaled / pixels);
    };
    Cells cells{cell(left, pictureWidth, cellsWide, false), cell(top, pictureHeight, cellsHigh, false),
                cell(int64_t{left} + std::max(width, 0), pictureWidth, cellsWide, true),
                cell(int64_t{top} + std::max(height, 0), pictureHeight, cellsHigh, true)};
    cells.x0 = std::min(cells.x0, cellsWide - 1);
    cells.y0 = std::min(cells.y0, cellsHigh - 1);
    cells.x1 = std::max(cells.x1, cells.x0 + 1);
    cells.y1 = std::max(cells.y1, cells.y0 + 1);
    return cells;
}

double CPictureSurvey::Sum(const std::vector<double>& table, int32_t x0, int32_t y0, int32_t x1,
                           int32_t y1) const {
    const auto stride = static_cast<size_t>(cellsWide) + 1;
    const auto at = [&](int32_t x, int32_t y) {
        return table[static_cast<size_t>(y) * stride + static_cast<size_t>(x)];
    };
    return at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
}

CPictureSurvey::CPictureSurvey(const CRasterImage& reduced, int32_t width, int32_t height)
    : CPictureSurvey(reduced) {
    if (IsEmpty() || width <= 0 || height <= 0) return;
    pictureWidth = width;
    pictureHeight = height;
}

double CPictureSurvey::Detail(int32_t left, int32_t top, int32_t width, int32_t height) const {
    if (IsEmpty()) return 0.0;
    const Cells c = CellsUnder(left, top, width, height);
    // Steps that lead out of the area are not its detail.
    return Sum(stepsAcross, c.x0, c.y0, c.x1 - 1, c.y1) + Sum(stepsDown, c.x0, c.y0, c.x1, c.y1 - 1);
}

AreaContrast CPictureSurvey::ContrastUnder(int32_t left, int32_t top, int32_t width, int32_t height) const {
    if (IsEmpty()) return {};
    const Cells c = CellsUnder(left, top, width, height);
    const double cells = static_cast<double>(c.x1 - c.x0) * (c.y1 - c.y0);
    return {Sum(againstWhite, c.x0, c.y0, c.x1, c.y1) / cells,
            Sum(againstBlack, c.x0, c.y0, c.x1, c.y1) / cells};
}

}  // namespace stampora
