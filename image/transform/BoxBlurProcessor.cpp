#include "image/transform/BoxBlurProcessor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "image/LittleEndian.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stampora {

namespace {

// Weighted colour sums of one grown column over the lines of the window.
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

// The columns first ... last of a grown line that carry weight; empty when
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
    while (first + 2 <= count && (LoadLE64(line + static_cast<size_t>(first) * 4) & kAlphaPair) == 0)
        first += 2;
    while (first < count && line[static_cast<size_t>(first) * 4 + 3] == 0) ++first;
    if (first == count) return Span{count, -1};
    int32_t last = count - 1;
    while (last - 1 > first && (LoadLE64(line + static_cast<size_t>(last - 1) * 4) & kAlphaPair) == 0)
        last -= 2;
    while (line[static_cast<size_t>(last) * 4 + 3] == 0) --last;
    return Span{first, last};
}

// Exact integer quotient of two non-negative integers below 2^53. Both are
// exact as doubles and the quotient is correctly rounded, so it never rounds
// up to the next whole number: that would take a dividend of 2^53 or more.
// (Begin's limit on the grown picture keeps the block sums far below that.)
inline uint8_t Quotient(int64_t dividend, double divisor) {
    return static_cast<uint8_t>(static_cast<int64_t>(static_cast<double>(dividend) / divisor));
}

#if defined(__SSE2__)
// Two 32-bit pixels as their column-sum terms (b x w, g x w, r x w, w), one
// vector each. The bytes are widened to 16 bits and multiplied by
// (w, w, w, 1): every product fits 16 bits unsigned (255 x 255 = 65025)
// before it is widened to 32 bits.
inline void WeightedPair(const uint8_t* p, __m128i& first, __m128i& second) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
    __m128i weights =
        _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    weights = _mm_insert_epi16(_mm_insert_epi16(weights, 1, 3), 1, 7);
    const __m128i products = _mm_mullo_epi16(words, weights);
    first = _mm_unpacklo_epi16(products, zero);
    second = _mm_unpackhi_epi16(products, zero);
}
#endif

// Adds (kAdd) or removes one grown line's weighted pixels of `span` to or
// from the column sums. Pairs of 32-bit pixels into 32-bit sums go as vectors
// where the processor has them.
template <typename Sum, bool kAlpha, bool kAdd>
void AccumulateLine(ColumnSums<Sum>* columns, const uint8_t* line, Span span) {
    constexpr size_t step = kAlpha ? 4 : 3;
    int32_t c = span.first;
    const uint8_t* p = line + static_cast<size_t>(c) * step;
#if defined(__SSE2__)
    if constexpr (kAlpha && sizeof(Sum) == 4) {
        static_assert(sizeof(ColumnSums<Sum>) == 16, "four 32-bit sums per column");
        for (; c + 1 <= span.last; c += 2, p += 8) {
            __m128i first, second;
            WeightedPair(p, first, second);
            auto* sums = reinterpret_cast<__m128i*>(columns + c);
            const __m128i a = _mm_loadu_si128(sums), b = _mm_loadu_si128(sums + 1);
            _mm_storeu_si128(sums, kAdd ? _mm_add_epi32(a, first) : _mm_sub_epi32(a, first));
            _mm_storeu_si128(sums + 1, kAdd ? _mm_add_epi32(b, second) : _mm_sub_epi32(b, second));
        }
    }
#endif
    for (; c <= span.last; ++c, p += step) {
        const Sum w = kAlpha ? Sum{p[3]} : Sum{255};
        ColumnSums<Sum>& s = columns[c];
        if constexpr (kAdd) {
            s.blue += p[0] * w;
            s.green += p[1] * w;
            s.red += p[2] * w;
            s.weight += w;
        } else {
            s.blue -= p[0] * w;
            s.green -= p[1] * w;
            s.red -= p[2] * w;
            s.weight -= w;
        }
    }
}

// The picture as grown by half a window on every side, one line at a time.
// The blur overwrites the picture line by line while it still needs the
// original of the last r + 1 lines it wrote, so each line is saved before it
// is overwritten, into a ring of r + 1 lines; lines not yet written are read
// from the picture itself.
class GrownLines {
public:
    GrownLines(const CRasterImage& image, CRasterImage& saved, int32_t radius, bool fillEdges,
               std::vector<uint8_t>& line)
        : image(image),
          saved(saved),
          radius(radius),
          fillEdges(fillEdges),
          line(line.data()),
          step(static_cast<size_t>(image.Bpp() / 8)),
          lineBytes(static_cast<size_t>(image.Width()) * step) {}

    // The picture line a grown line shows, or -1 for a line of the border
    // without edge filling (transparent black).
    int32_t SourceOf(int32_t grownLine) const {
        const int32_t y = grownLine - radius;
        if (y >= 0 && y < image.Height()) return y;
        if (!fillEdges) return -1;
        return y < 0 ? 0 : image.Height() - 1;
    }

    // Builds grown line `grownLine` when picture lines 0 ... written - 1 have
    // already been overwritten; answers its pixels.
    const uint8_t* Build(int32_t grownLine, int32_t written) {
        const int32_t y = SourceOf(grownLine);
        uint8_t* middle = line + static_cast<size_t>(radius) * step;
        if (y < 0) {
            std::memset(middle, 0, lineBytes);
            return line;
        }
        const uint8_t* source = y < written ? saved.Row(y % saved.Height()) : image.Row(y);
        std::memcpy(middle, source, lineBytes);
        if (fillEdges) {
            for (int32_t x = 1; x <= radius; ++x)
                std::memcpy(middle - static_cast<size_t>(x) * step, middle, step);
            const uint8_t* last = middle + lineBytes - step;
            for (int32_t x = 0; x < radius; ++x) {
                std::memcpy(middle + lineBytes + static_cast<size_t>(x) * step, last, step);
            }
        }
        return line;
    }

    // Keeps picture line y before the blur overwrites it.
    void Save(int32_t y) { std::memcpy(saved.Row(y % saved.Height()), image.Row(y), lineBytes); }

private:
    const CRasterImage& image;
    CRasterImage& saved;
    int32_t radius;
    bool fillEdges;
    uint8_t* line;
    size_t step;
    size_t lineBytes;
};

// Destination pixel (x, y) is the weighted average of the n x n block of the
// grown picture whose top-left is (x, y). Column sums move down one line at a
// time and the block sum moves right one column at a time, so a pixel costs
// the same whatever the window; lines and columns without weight are not
// visited. Answers false, with the picture untouched, when memory runs out.
template <typename Sum, bool kAlpha>
bool BlurLines(CRasterImage& image, CRasterImage& saved, int32_t n, bool fillEdges, CProgressSink* progress) {
    constexpr size_t step = kAlpha ? 4 : 3;
    const int32_t width = image.Width(), height = image.Height();
    const int32_t radius = n / 2;
    // Only the grown columns and lines the blocks reach.
    const int32_t grownWidth = width + n - 1;
    const int32_t lines = height + n - 1;
    const auto areaAsDouble = static_cast<double>(int64_t{n} * n);

    std::vector<uint8_t> line;
    std::vector<Span> spans;
    std::vector<ColumnSums<Sum>> columnSums;
    try {
        // Room for the whole grown line, border on both sides included.
        line.resize((static_cast<size_t>(width) + 2 * static_cast<size_t>(radius)) * step);
        spans.resize(static_cast<size_t>(lines));
        columnSums.resize(static_cast<size_t>(grownWidth));
    } catch (const std::bad_alloc&) {
        return false;
    }
    GrownLines grown(image, saved, radius, fillEdges, line);
    ColumnSums<Sum>* columns = columnSums.data();

    // Adds grown line `index` to the column sums and notes its weighted span.
    auto add = [&](int32_t index, int32_t written) {
        Span& span = spans[static_cast<size_t>(index)];
        if (kAlpha && grown.SourceOf(index) < 0) {
            span = Span{grownWidth, -1};
            return;
        }
        const uint8_t* pixels = grown.Build(index, written);
        span = WeightedSpan(pixels, grownWidth, kAlpha);
        if (!span.Empty()) AccumulateLine<Sum, kAlpha, true>(columns, pixels, span);
    };
    auto remove = [&](int32_t index, int32_t written) {
        const Span& span = spans[static_cast<size_t>(index)];
        if (!span.Empty()) AccumulateLine<Sum, kAlpha, false>(columns, grown.Build(index, written), span);
    };

    for (int32_t index = 0; index < n; ++index) add(index, 0);
    for (int32_t y = 0; y < height; ++y) {
        if (y > 0) {
            add(y + n - 1, y);
            remove(y - 1, y);
        }

        // Columns outside the union of the window lines' spans sum to zero, and
        // so does every block that lies wholly among them.
        Span window{grownWidth, -1};
        for (int32_t index = y; index < y + n; ++index) {
            const Span& s = spans[static_cast<size_t>(index)];
            if (s.Empty()) continue;
            window.first = std::min(window.first, s.first);
            window.last = std::max(window.last, s.last);
        }
        grown.Save(y);
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
                const auto weight = static_cast<double>(block.weight);
                out[0] = Quotient(block.blue, weight);
                out[1] = Quotient(block.green, weight);
                out[2] = Quotient(block.red, weight);
                if constexpr (kAlpha) out[3] = Quotient(block.weight, areaAsDouble);
            }
        }
        if (progress != nullptr) progress->SetPercent(static_cast<int32_t>((int64_t{y} + 1) * 100 / height));
    }
    return true;
}

template <bool kAlpha>
bool BlurLines(CRasterImage& image, CRasterImage& saved, int32_t n, bool fillEdges, CProgressSink* progress) {
    // A column of n pixels weighs at most n x 255 x 255.
    if (int64_t{n} * 255 * 255 <= std::numeric_limits<int32_t>::max()) {
        return BlurLines<int32_t, kAlpha>(image, saved, n, fillEdges, progress);
    }
    return BlurLines<int64_t, kAlpha>(image, saved, n, fillEdges, progress);
}

// How many overwritten lines the blur still needs: the line it removes from
// the window at line y is picture line y - 1 - r, and lines y - r ... y - 1
// were overwritten after it.
int32_t SavedLines(int32_t radius, int32_t height) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t{radius} + 1, height));
}

}  // namespace

CBoxBlurProcessor::CBoxBlurProcessor(int32_t size, bool fillEdges)
    : size(size <= 2 ? 2 : size), fillEdges(fillEdges) {}

bool CBoxBlurProcessor::Begin(CRasterImage& image) {
    // The blur's work and its line buffers grow with the picture grown by
    // half a window on every side, so a window that would make that larger
    // than any picture this tool handles is refused. The saved lines are all
    // the blur keeps besides the picture.
    constexpr int64_t kMaxGrownPixels = int64_t{1} << 32;
    const int32_t r = size / 2;
    CRasterImage& saved = NewCopy();
    if (image.IsEmpty()) return false;
    const int64_t grownWidth = int64_t{image.Width()} + 2 * int64_t{r};
    const int64_t grownHeight = int64_t{image.Height()} + 2 * int64_t{r};
    if (grownWidth > std::numeric_limits<int32_t>::max() ||
        grownHeight > std::numeric_limits<int32_t>::max() || grownWidth * grownHeight > kMaxGrownPixels) {
        return false;
    }
    return saved.Create(image.Width(), SavedLines(r, image.Height()), image.Bpp());
}

bool CBoxBlurProcessor::ApplyToImage(CRasterImage& image, CProgressSink* progress) {
    CRasterImage* saved = Copy();
    if (saved == nullptr || saved->IsEmpty() || saved->Bpp() != image.Bpp()) return false;
    if (image.Bpp() != 24 && image.Bpp() != 32) return false;
    // The saved lines must be those Begin made for this picture.
    if (saved->Width() != image.Width() || saved->Height() < SavedLines(size / 2, image.Height()))
        return false;
    if (image.Bpp() == 32) return BlurLines<true>(image, *saved, size, fillEdges, progress);
    return BlurLines<false>(image, *saved, size, fillEdges, progress);
}

}  // namespace stampora
