#include "image/BoxBlurProcessor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Weighted colour sums of a block of pixels. 64-bit, so windows of any size
// that fit in memory sum without overflow.
struct BlockSums {
    int64_t blue = 0;
    int64_t green = 0;
    int64_t red = 0;
    int64_t weight = 0;
};

// Exact quotient of two non-negative integers below 2^53 through a
// precomputed reciprocal: the estimate is at most one off and is corrected.
inline int64_t Divide(int64_t dividend, int64_t divisor, double reciprocal) {
    int64_t q = static_cast<int64_t>(static_cast<double>(dividend) * reciprocal);
    if (q * divisor > dividend) --q;
    else if ((q + 1) * divisor <= dividend) ++q;
    return q;
}

// Adds (sign +1) or removes (sign -1) one copy line's pixels to the column sums.
void AccumulateLine(std::vector<BlockSums>& columns, const uint8_t* line, size_t step, bool hasAlpha, int64_t sign) {
    const size_t count = columns.size();
    for (size_t c = 0; c < count; ++c, line += step) {
        const int32_t w = hasAlpha ? line[3] : 255;
        BlockSums& s = columns[c];
        s.blue += sign * (line[0] * w);
        s.green += sign * (line[1] * w);
        s.red += sign * (line[2] * w);
        s.weight += sign * w;
    }
}

}  // namespace

CBoxBlurProcessor::CBoxBlurProcessor(int32_t size, bool fillEdges)
    : size(size <= 2 ? 2 : size), fillEdges(fillEdges) {}

bool CBoxBlurProcessor::Begin(CRasterImage& image) {
    const int32_t r = size / 2;
    CRasterImage& copy = NewCopy();
    copy.Assign(image);
    if (copy.IsEmpty()) return false;
    copy.AddBorder(fillEdges, r, r, r, r);
    // AddBorder keeps the picture as it was when the grown one cannot be made.
    return copy.Width() == static_cast<int64_t>(image.Width()) + 2 * int64_t{r} &&
           copy.Height() == static_cast<int64_t>(image.Height()) + 2 * int64_t{r};
}

bool CBoxBlurProcessor::ApplyToImage(CRasterImage& image, CProgressSink* progress) {
    const CRasterImage* copy = Copy();
    if (copy == nullptr || copy->IsEmpty() || copy->Bpp() != image.Bpp()) return false;
    const int32_t width = image.Width(), height = image.Height();
    // The copy must be the image grown by the window, as Begin made it.
    if (copy->Width() < int64_t{width} + size - 1 || copy->Height() < int64_t{height} + size - 1) return false;
    const size_t step = static_cast<size_t>(image.Bpp() / 8);
    const bool hasAlpha = image.Bpp() == 32;
    const int64_t n = size;
    const int64_t area = n * n;
    const double areaReciprocal = 1.0 / static_cast<double>(area);

    // Sums of each copy column over the n lines of the current window; the
    // window slides down one line at a time, the block along a line one
    // column at a time, so each pixel costs the same whatever the window.
    std::vector<BlockSums> columns(static_cast<size_t>(copy->Width()));
    for (int32_t y = 0; y < height; ++y) {
        if (y == 0) {
            for (int64_t line = 0; line < n; ++line) {
                AccumulateLine(columns, copy->Row(static_cast<int32_t>(line)), step, hasAlpha, 1);
            }
        } else {
            AccumulateLine(columns, copy->Row(static_cast<int32_t>(y + n - 1)), step, hasAlpha, 1);
            AccumulateLine(columns, copy->Row(y - 1), step, hasAlpha, -1);
        }

        BlockSums block;
        for (int64_t c = 0; c < n; ++c) {
            block.blue += columns[static_cast<size_t>(c)].blue;
            block.green += columns[static_cast<size_t>(c)].green;
            block.red += columns[static_cast<size_t>(c)].red;
            block.weight += columns[static_cast<size_t>(c)].weight;
        }
        uint8_t* out = image.Row(y);
        for (int32_t x = 0; x < width; ++x, out += step) {
            if (x > 0) {
                const BlockSums& in = columns[static_cast<size_t>(x + n - 1)];
                const BlockSums& gone = columns[static_cast<size_t>(x - 1)];
                block.blue += in.blue - gone.blue;
                block.green += in.green - gone.green;
                block.red += in.red - gone.red;
                block.weight += in.weight - gone.weight;
            }
            if (block.weight == 0) {
                out[0] = out[1] = out[2] = 0;
                if (hasAlpha) out[3] = 0;
                continue;
            }
            const double reciprocal = 1.0 / static_cast<double>(block.weight);
            out[0] = static_cast<uint8_t>(Divide(block.blue, block.weight, reciprocal));
            out[1] = static_cast<uint8_t>(Divide(block.green, block.weight, reciprocal));
            out[2] = static_cast<uint8_t>(Divide(block.red, block.weight, reciprocal));
            if (hasAlpha) out[3] = static_cast<uint8_t>(Divide(block.weight, area, areaReciprocal));
        }
        if (progress != nullptr) progress->SetPercent(static_cast<int32_t>((int64_t{y} + 1) * 100 / height));
    }
    return true;
}
