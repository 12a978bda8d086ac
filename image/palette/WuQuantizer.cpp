#include "image/palette/WuQuantizer.h"

#include <algorithm>

namespace stampora {

namespace {

constexpr int kSide = 33;  // 32 levels per channel plus a zero border for the cumulative sums
constexpr size_t kCells = static_cast<size_t>(kSide) * kSide * kSide;

constexpr size_t Cell(int r, int g, int b) {
    return (static_cast<size_t>(r) * kSide + g) * kSide + b;
}

struct Box {
    int r0, r1, g0, g1, b0, b1;  // exclusive lower, inclusive upper bounds
    int volume;
};

enum class Axis { Red, Green, Blue };

}  // namespace

struct CWuQuantizer::Moments {
    std::vector<int64_t> weight = std::vector<int64_t>(kCells);
    std::vector<int64_t> red = std::vector<int64_t>(kCells);
    std::vector<int64_t> green = std::vector<int64_t>(kCells);
    std::vector<int64_t> blue = std::vector<int64_t>(kCells);
    std::vector<double> square = std::vector<double>(kCells);

    template <typename T>
    static T Volume(const Box& c, const std::vector<T>& m) {
        return m[Cell(c.r1, c.g1, c.b1)] - m[Cell(c.r1, c.g1, c.b0)] - m[Cell(c.r1, c.g0, c.b1)] +
               m[Cell(c.r1, c.g0, c.b0)] - m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] +
               m[Cell(c.r0, c.g0, c.b1)] - m[Cell(c.r0, c.g0, c.b0)];
    }

    // The part of Volume that does not depend on where the box is cut.
    static int64_t Bottom(const Box& c, Axis axis, const std::vector<int64_t>& m) {
        switch (axis) {
            case Axis::Red:
                return -m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] + m[Cell(c.r0, c.g0, c.b1)] -
                       m[Cell(c.r0, c.g0, c.b0)];
            case Axis::Green:
                return -m[Cell(c.r1, c.g0, c.b1)] + m[Cell(c.r1, c.g0, c.b0)] + m[Cell(c.r0, c.g0, c.b1)] -
                       m[Cell(c.r0, c.g0, c.b0)];
            default:
                return -m[Cell(c.r1, c.g1, c.b0)] + m[Cell(c.r1, c.g0, c.b0)] + m[Cell(c.r0, c.g1, c.b0)] -
                       m[Cell(c.r0, c.g0, c.b0)];
        }
    }

    static int64_t Top(const Box& c, Axis axis, int pos, const std::vector<int64_t>& m) {
        switch (axis) {
            case Axis::Red:
                return m[Cell(pos, c.g1, c.b1)] - m[Cell(pos, c.g1, c.b0)] - m[Cell(pos, c.g0, c.b1)] +
                       m[Cell(pos, c.g0, c.b0)];
            case Axis::Green:
                return m[Cell(c.r1, pos, c.b1)] - m[Cell(c.r1, pos, c.b0)] - m[Cell(c.r0, pos, c.b1)] +
                       m[Cell(c.r0, pos, c.b0)];
            default:
                return m[Cell(c.r1, c.g1, pos)] - m[Cell(c.r1, c.g0, pos)] - m[Cell(c.r0, c.g1, pos)] +
                       m[Cell(c.r0, c.g0, pos)];
        }
    }

    double Variance(const Box& c) const {
        const double r = static_cast<double>(Volume(c, red));
        const double g = static_cast<double>(Volume(c, green));
        const double b = static_cast<double>(Volume(c, blue));
        const double w = static_cast<double>(Volume(c, weight));
        return Volume(c, square) - (r * r + g * g + b * b) / w;
    }

    // Turns the histogram into cumulative sums, so any box's totals take
    // eight lookups.
    void Accumulate() {
        for (int r = 1; r < kSide; ++r) {
            int64_t areaW[kSide] = {}, areaR[kSide] = {}, areaG[kSide] = {}, areaB[kSide] = {};
            double areaS[kSide] = {};
            for (int g = 1; g < kSide; ++g) {
                int64_t lineW = 0, lineR = 0, lineG = 0, lineB = 0;
                double lineS = 0;
                for (int b = 1; b < kSide; ++b) {
                    const size_t i = Cell(r, g, b);
                    const size_t below = Cell(r - 1, g, b);
                    lineW += weight[i];
                    lineR += red[i];
                    lineG += green[i];
                    lineB += blue[i];
                    lineS += square[i];
                    areaW[b] += lineW;
                    areaR[b] += lineR;
                    areaG[b] += lineG;
                    areaB[b] += lineB;
                    areaS[b] += lineS;
                    weight[i] = weight[below] + areaW[b];
                    red[i] = red[below] + areaR[b];
                    green[i] = green[below] + areaG[b];
                    blue[i] = blue[below] + areaB[b];
                    square[i] = square[below] + areaS[b];
                }
            }
        }
    }

    // The best cut position along one axis and the variance it removes.
    double Maximize(const Box& c, Axis axis, int first, int last, int& cut, int64_t wholeR, int64_t wholeG,
                    int64_t wholeB, int64_t wholeW) const {
        const int64_t baseR = Bottom(c, axis, red);
        const int64_t baseG = Bottom(c, axis, green);
        const int64_t baseB = Bottom(c, axis, blue);
        const int64_t baseW = Bottom(c, axis, weight);
        double best = 0;
        cut = -1;
        for (int i = first; i < last; ++i) {
            const int64_t halfR = baseR + Top(c, axis, i, red);
            const int64_t halfG = baseG + Top(c, axis, i, green);
            const int64_t halfB = baseB + Top(c, axis, i, blue);
            const int64_t halfW = baseW + Top(c, axis, i, weight);
            if (halfW == 0 || halfW == wholeW) continue;
            const auto dr = static_cast<double>(halfR), dg = static_cast<double>(halfG),
                       db = static_cast<double>(halfB);
            const auto er = static_cast<double>(wholeR - halfR), eg = static_cast<double>(wholeG - halfG),
                       eb = static_cast<double>(wholeB - halfB);
            const double gain = (dr * dr + dg * dg + db * db) / static_cast<double>(halfW) +
                                (er * er + eg * eg + eb * eb) / static_cast<double>(wholeW - halfW);
            if (gain > best) {
                best = gain;
                cut = i;
            }
        }
        return best;
    }

    bool Split(Box& first, Box& second) const {
        const int64_t wholeR = Volume(first, red), wholeG = Volume(first, green),
                      wholeB = Volume(first, blue);
        const int64_t wholeW = Volume(first, weight);
        int cutR = -1, cutG = -1, cutB = -1;
        const double maxR =
            Maximize(first, Axis::Red, first.r0 + 1, first.r1, cutR, wholeR, wholeG, wholeB, wholeW);
        const double maxG =
            Maximize(first, Axis::Green, first.g0 + 1, first.g1, cutG, wholeR, wholeG, wholeB, wholeW);
        const double maxB =
            Maximize(first, Axis::Blue, first.b0 + 1, first.b1, cutB, wholeR, wholeG, wholeB, wholeW);
        second.r1 = first.r1;
        second.g1 = first.g1;
        second.b1 = first.b1;
        if (maxR >= maxG && maxR >= maxB) {
            if (cutR < 0) return false;
            second.r0 = first.r1 = cutR;
            second.g0 = first.g0;
            second.b0 = first.b0;
        } else if (maxG >= maxR && maxG >= maxB) {
            if (cutG < 0) return false;
            second.g0 = first.g1 = cutG;
            second.r0 = first.r0;
            second.b0 = first.b0;
        } else {
            if (cutB < 0) return false;
            second.b0 = first.b1 = cutB;
            second.r0 = first.r0;
            second.g0 = first.g0;
        }
        first.volume = (first.r1 - first.r0) * (first.g1 - first.g0) * (first.b1 - first.b0);
        second.volume = (second.r1 - second.r0) * (second.g1 - second.g0) * (second.b1 - second.b0);
        return true;
    }
};

CWuQuantizer::CWuQuantizer() : moments(std::make_unique<Moments>()) {}
CWuQuantizer::~CWuQuantizer() = default;

void CWuQuantizer::Add(uint8_t red, uint8_t green, uint8_t blue) {
    const size_t i = Cell((red >> 3) + 1, (green >> 3) + 1, (blue >> 3) + 1);
    moments->weight[i] += 1;
    moments->red[i] += red;
    moments->green[i] += green;
    moments->blue[i] += blue;
    moments->square[i] += static_cast<double>(red * red + green * green + blue * blue);
}

std::vector<PaletteColour> CWuQuantizer::BuildPalette(int maxColors) {
    maxColors = std::clamp(maxColors, 1, 256);
    Moments& m = *moments;
    m.Accumulate();

    std::vector<Box> boxes(static_cast<size_t>(maxColors));
    std::vector<double> variance(static_cast<size_t>(maxColors), 0.0);
    boxes[0] = Box{0, kSide - 1, 0, kSide - 1, 0, kSide - 1, 0};
    int count = 1;
    size_t next = 0;
    while (count < maxColors) {
        Box& split = boxes[next];
        Box& added = boxes[static_cast<size_t>(count)];
        if (m.Split(split, added)) {
            variance[next] = split.volume > 1 ? m.Variance(split) : 0.0;
            variance[static_cast<size_t>(count)] = added.volume > 1 ? m.Variance(added) : 0.0;
            ++count;
        } else {
            variance[next] = 0.0;
        }
        next = static_cast<size_t>(std::max_element(variance.begin(), variance.begin() + count) -
                                   variance.begin());
        if (variance[next] <= 0.0) break;
    }

    std::vector<PaletteColour> palette;
    palette.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Box& box = boxes[static_cast<size_t>(i)];
        const int64_t w = Moments::Volume(box, m.weight);
        if (w <= 0) continue;
        PaletteColour entry{};
        entry.rgbRed = static_cast<uint8_t>((Moments::Volume(box, m.red) + w / 2) / w);
        entry.rgbGreen = static_cast<uint8_t>((Moments::Volume(box, m.green) + w / 2) / w);
        entry.rgbBlue = static_cast<uint8_t>((Moments::Volume(box, m.blue) + w / 2) / w);
        palette.push_back(entry);
    }
    return palette;
}

}  // namespace stampora
