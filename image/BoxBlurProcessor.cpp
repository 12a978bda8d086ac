#include "image/BoxBlurProcessor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "image/LittleEndian.h"

namespace {

// Weighted colour sums of one copy column over the lines of the window.
// 32-bit while n lines of the heaviest pixel (255 x 255) fit, 64-bit beyond.
template <typename Sum>
struct ColumnSums {
    Sum blue = 0;
    Sum green = 0;
    Sum red = 0;
    Sum weight = 0;
};

// Weighted colour sums of a whole block; 64-bit, so windows of any size that
// fit in memory sum without overflow.
struct BlockSums {
    int64_t blue = 0;
    int64_t green = 0;
    int64_t red = 0;
    int64_t weight = 0;
};

// The columns first ... last of a copy line that carry weight; empty when
// first > last. Columns outside it add nothing to any sum, so they are skipped.
struct Span {
    int32_t first;
    int32_t last;
    bool Empty() const { return first > last; }
};

Span WeightedSpan(const uint8_t* line, int32_t count, bool hasAlpha) {
    if (!hasAlpha) return Span{0, count - 1};
    // Clear runs are skipped two pixels at a time: the alpha bytes of both
    // sit in one little-endian 64-bit word.
    constexpr uint64_t kAlphaPair = 0xFF000000FF000000ull;
    int32_t first = 0;
    while (first + 2 <= count && (LoadLE64(line + static_cast<size_t>(first) * 4) & kAlphaPair) == 0) first += 2;
    while (first < count && line[static_cast<size_t>(first) * 4 + 3] == 0) ++first;
    if (first == count) return Span{count, -1};
    int32_t last = count - 1;
    while (last - 1 > first && (LoadLE64(line + static_cast<size_t>(last - 1) * 4) & kAlphaPair) == 0) last -= 2;
    while (line[static_cast<size_t>(last) * 4 + 3] == 0) --last;
    return Span{first, last};
}

// Exact quotient of two non-negative integers below 2^53 through a
// precomputed reciprocal: the estimate is at most one off and is corrected.
inline int64_t Divide(int64_t dividend, int64_t divisor, double reciprocal) {
    int64_t q = static_cast<int64_t>(static_cast<double>(dividend) * reciprocal);
    if (q * divisor > dividend) --q;
    else if ((q + 1) * divisor <= dividend) ++q;
    return q;
}

// Adds one copy line's weighted pixels of `span` to the column sums. Adding
// and removing are separate loops without a sign factor so that each compiles
// to plain vector additions.
template <typename Sum, bool kAlpha>
void AddLine(ColumnSums<Sum>* columns, const uint8_t* line, Span span) {
    constexpr size_t step = kAlpha ? 4 : 3;
    const uint8_t* p = line + static_cast<size_t>(span.first) * step;
    for (int32_t c = span.first; c <= span.last; ++c, p += step) {
        const Sum w = kAlpha ? Sum{p[3]} : Sum{255};
        ColumnSums<Sum>& s = columns[c];
        s.blue += p[0] * w;
        s.green += p[1] * w;
        s.red += p[2] * w;
        s.weight += w;
    }
}

template <typename Sum, bool kAlpha>
void RemoveLine(ColumnSums<Sum>* columns, const uint8_t* line, Span span) {
    constexpr size_t step = kAlpha ? 4 : 3;
    const uint8_t* p = line + static_cast<size_t>(span.first) * step;
    for (int32_t c = span.first; c <= span.last; ++c, p += step) {
        const Sum w = kAlpha ? Sum{p[3]} : Sum{255};
        ColumnSums<Sum>& s = columns[c];
        s.blue -= p[0] * w;
        s.green -= p[1] * w;
        s.red -= p[2] * w;
        s.weight -= w;
    }
}

// Destination pixel (x, y) is the weighted average of the n x n block of the
// copy whose top-left is (x, y). Column sums move down one line at a time and
// the block sum moves right one column at a time, so a pixel costs the same
// whatever the window; lines and columns without weight are not visited.
template <typename Sum, bool kAlpha>
void BlurLines(CRasterImage& image, const CRasterImage& copy, int32_t n, CProgressSink* progress) {
    constexpr size_t step = kAlpha ? 4 : 3;
    const int32_t width = image.Width(), height = image.Height();
    const int32_t copyWidth = copy.Width();
    const int64_t area = int64_t{n} * n;
    const double areaReciprocal = 1.0 / static_cast<double>(area);

    // Only the copy lines the blocks reach: 0 ... height + n - 2.
    const int32_t lines = height + n - 1;
    std::vector<Span> spans(static_cast<size_t>(lines));
    for (int32_t line = 0; line < lines; ++line) {
        spans[static_cast<size_t>(line)] = WeightedSpan(copy.Row(line), copyWidth, kAlpha);
    }

    std::vector<ColumnSums<Sum>> columnSums(static_cast<size_t>(copyWidth));
    ColumnSums<Sum>* columns = columnSums.data();
    for (int32_t line = 0; line < n; ++line) {
        AddLine<Sum, kAlpha>(columns, copy.Row(line), spans[static_cast<size_t>(line)]);
    }
    for (int32_t y = 0; y < height; ++y) {
        if (y > 0) {
            AddLine<Sum, kAlpha>(columns, copy.Row(y + n - 1), spans[static_cast<size_t>(y + n - 1)]);
            RemoveLine<Sum, kAlpha>(columns, copy.Row(y - 1), spans[static_cast<size_t>(y - 1)]);
        }

        // Columns outside the union of the window lines' spans sum to zero, and
        // so does every block that lies wholly among them.
        Span window{copyWidth, -1};
        for (int32_t line = y; line < y + n; ++line) {
            const Span& s = spans[static_cast<size_t>(line)];
            if (s.Empty()) continue;
            window.first = std::min(window.first, s.first);
            window.last = std::max(window.last, s.last);
        }
        uint8_t* out = image.Row(y);
        const int32_t xBegin = window.Empty() ? width : std::max(0, window.first - n + 1);
        const int32_t xEnd = window.Empty() ? width : std::min(width, window.last + 1);
        if (xBegin >= xEnd) {
            std::memset(out, 0, static_cast<size_t>(width) * step);
        } else {
            std::memset(out, 0, static_cast<size_t>(xBegin) * step);
            std::memset(out + static_cast<size_t>(xEnd) * step, 0, static_cast<size_t>(width - xEnd) * step);

            BlockSums block;
            for (int32_t c = xBegin; c < xBegin + n; ++c) {
                block.blue += columns[c].blue;
                block.green += columns[c].green;
                block.red += columns[c].red;
                block.weight += columns[c].weight;
            }
            out += static_cast<size_t>(xBegin) * step;
            for (int32_t x = xBegin; x < xEnd; ++x, out += step) {
                if (x > xBegin) {
                    const ColumnSums<Sum>& in = columns[x + n - 1];
                    const ColumnSums<Sum>& gone = columns[x - 1];
                    block.blue += int64_t{in.blue} - gone.blue;
                    block.green += int64_t{in.green} - gone.green;
                    block.red += int64_t{in.red} - gone.red;
                    block.weight += int64_t{in.weight} - gone.weight;
                }
                if (block.weight == 0) {
                    out[0] = out[1] = out[2] = 0;
                    if constexpr (kAlpha) out[3] = 0;
                    continue;
                }
                const double reciprocal = 1.0 / static_cast<double>(block.weight);
                out[0] = static_cast<uint8_t>(Divide(block.blue, block.weight, reciprocal));
                out[1] = static_cast<uint8_t>(Divide(block.green, block.weight, reciprocal));
                out[2] = static_cast<uint8_t>(Divide(block.red, block.weight, reciprocal));
                if constexpr (kAlpha) out[3] = static_cast<uint8_t>(Divide(block.weight, area, areaReciprocal));
            }
        }
        if (progress != nullptr) progress->SetPercent(static_cast<int32_t>((int64_t{y} + 1) * 100 / height));
    }
}

template <bool kAlpha>
void BlurLines(CRasterImage& image, const CRasterImage& copy, int32_t n, CProgressSink* progress) {
    // A column of n pixels weighs at most n x 255 x 255.
    if (int64_t{n} * 255 * 255 <= std::numeric_limits<int32_t>::max()) {
        BlurLines<int32_t, kAlpha>(image, copy, n, progress);
    } else {
        BlurLines<int64_t, kAlpha>(image, copy, n, progress);
    }
}

}  // namespace

CBoxBlurProcessor::CBoxBlurProcessor(int32_t size, bool fillEdges)
    : size(size <= 2 ? 2 : size), fillEdges(fillEdges) {}

bool CBoxBlurProcessor::Begin(CRasterImage& image) {
    // The copy is made at its grown size in one step: the picture goes into
    // the middle and, with edge filling, its edge pixels are repeated outward;
    // otherwise the border stays as created, transparent black.
    const int32_t r = size / 2;
    const int32_t w = image.Width(), h = image.Height();
    const int64_t grownWidth = int64_t{w} + 2 * int64_t{r};
    const int64_t grownHeight = int64_t{h} + 2 * int64_t{r};
    CRasterImage& copy = NewCopy();
    if (image.IsEmpty() || grownWidth > std::numeric_limits<int32_t>::max() ||
        grownHeight > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    BITMAPINFOHEADER* block = image.NewDibHeader();
    if (block == nullptr) return false;
    block->biWidth = static_cast<int32_t>(grownWidth);
    block->biHeight = static_cast<int32_t>(grownHeight);
    const bool created = copy.Create(block);
    delete[] reinterpret_cast<uint8_t*>(block);
    if (!created) return false;
    copy.offsetX = image.offsetX - r;
    copy.offsetY = image.offsetY - r;

    const size_t bytes = static_cast<size_t>(image.Bpp() / 8);
    const size_t lineBytes = static_cast<size_t>(w) * bytes;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* line = copy.PixelAt(r, r + y);
        std::memcpy(line, image.Row(y), lineBytes);
        if (!fillEdges) continue;
        for (int32_t x = 1; x <= r; ++x) std::memcpy(line - static_cast<size_t>(x) * bytes, line, bytes);
        const uint8_t* last = line + lineBytes - bytes;
        for (int32_t x = 0; x < r; ++x) std::memcpy(line + lineBytes + static_cast<size_t>(x) * bytes, last, bytes);
    }
    if (fillEdges) {
        const size_t grownLineBytes = static_cast<size_t>(grownWidth) * bytes;
        for (int32_t y = 0; y < r; ++y) {
            std::memcpy(copy.Row(y), copy.Row(r), grownLineBytes);
            std::memcpy(copy.Row(r + h + y), copy.Row(r + h - 1), grownLineBytes);
        }
    }
    return true;
}

bool CBoxBlurProcessor::ApplyToImage(CRasterImage& image, CProgressSink* progress) {
    const CRasterImage* copy = Copy();
    if (copy == nullptr || copy->IsEmpty() || copy->Bpp() != image.Bpp()) return false;
    if (image.Bpp() != 24 && image.Bpp() != 32) return false;
    // The copy must be the image grown by the window, as Begin made it.
    if (copy->Width() < int64_t{image.Width()} + size - 1 || copy->Height() < int64_t{image.Height()} + size - 1) {
        return false;
    }
    if (image.Bpp() == 32) {
        BlurLines<true>(image, *copy, size, progress);
    } else {
        BlurLines<false>(image, *copy, size, progress);
    }
    return true;
}
