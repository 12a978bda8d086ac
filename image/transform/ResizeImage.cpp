#include "image/transform/ResizeImage.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/MaskedChannel.h"
#include "image/transform/ResampleFilter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stampora {

// A separable resampler: every source line is filtered horizontally once,
// into a small ring of filtered lines, and each destination line is a
// weighted sum of the ring's lines. A pixel is four floats (blue, green, red,
// alpha) handled together by the vector unit, colour premultiplied by alpha.

namespace {

typedef float Quad __attribute__((vector_size(16)));

// Four bytes -> four floats.
inline Quad BytesToQuad(uint32_t bytes) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wide =
        _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), zero), zero);
    return Quad(_mm_cvtepi32_ps(wide));
#else
    return Quad{static_cast<float>(bytes & 0xFF), static_cast<float>((bytes >> 8) & 0xFF),
                static_cast<float>((bytes >> 16) & 0xFF), static_cast<float>(bytes >> 24)};
#endif
}

// Four floats -> four bytes, rounded to nearest and clamped to 0 ... 255.
inline uint32_t QuadToBytes(Quad q) {
#if defined(__SSE2__)
    const __m128i whole = _mm_cvtps_epi32(__m128(q));
    const __m128i words = _mm_packs_epi32(whole, whole);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
#else
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
        const float v = q[c];
        const uint32_t b = !(v > 0.0f) ? 0u : (v >= 254.5f ? 255u : static_cast<uint32_t>(v + 0.5f));
        out |= b << (8 * c);
    }
    return out;
#endif
}

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// One channel of a 16-bit word as selected by a mask.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    float maxValue = 1.0f;
};

MaskChannel DescribeMask(uint32_t mask) {
    MaskChannel channel;
    channel.mask = mask;
    if (mask == 0) return channel;
    channel.shift = std::countr_zero(mask);
    channel.maxValue = static_cast<float>(mask >> channel.shift);
    return channel;
}

class PixelFormat {
public:
    explicit PixelFormat(const CRasterImage& image)
        : bpp(image.Bpp()),
          blue(DescribeMask(image.BlueMask())),
          green(DescribeMask(image.GreenMask())),
          red(DescribeMask(image.RedMask())) {}

    // Source line -> premultiplied floats.
    void Load(const uint8_t* in, int32_t width, Quad* out) const {
        if (bpp == 32) {
            for (int32_t x = 0; x < width; ++x, in += 4) {
                const Quad q = BytesToQuad(Load32(in));
                const float factor = q[3] * (1.0f / 255.0f);
                out[x] = q * Quad{factor, factor, factor, 1.0f};
            }
        } else if (bpp == 24) {
            // Four bytes at a time but the last pixel, which may end the buffer.
            for (int32_t x = 0; x + 1 < width; ++x, in += 3) out[x] = BytesToQuad(Load32(in) | 0xFF000000u);
            if (width > 0) {
                out[width - 1] =
                    BytesToQuad(static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
                                (static_cast<uint32_t>(in[2]) << 16) | 0xFF000000u);
            }
        } else {
            for (int32_t x = 0; x < width; ++x, in += 2) {
                const uint32_t word = static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8);
                out[x] = Quad{Expand(word, blue), Expand(word, green), Expand(word, red), 255.0f};
            }
        }
    }

    // Filtered floats -> destination line, rounded and clamped.
    void Store(const Quad* in, int32_t width, uint8_t* out) const {
        if (bpp == 32) {
            for (int32_t x = 0; x < width; ++x, out += 4) {
                const Quad q = in[x];
                const float alpha = std::min(q[3], 255.0f);
                if (!(alpha >= 0.5f)) {
                    std::memset(out, 0, 4);
                    continue;
                }
                const float factor = 255.0f / alpha;
                const uint32_t bytes = QuadToBytes(Quad{q[0] * factor, q[1] * factor, q[2] * factor, alpha});
                std::memcpy(out, &bytes, 4);
            }
        } else if (bpp == 24) {
            for (int32_t x = 0; x < width; ++x, out += 3) {
                const uint32_t bytes = QuadToBytes(in[x]);
                out[0] = static_cast<uint8_t>(bytes);
                out[1] = static_cast<uint8_t>(bytes >> 8);
                out[2] = static_cast<uint8_t>(bytes >> 16);
            }
        } else {
            for (int32_t x = 0; x < width; ++x, out += 2) {
                const Quad q = in[x];
                const uint32_t word = Narrow(q[0], blue) | Narrow(q[1], green) | Narrow(q[2], red);
                out[0] = static_cast<uint8_t>(word);
                out[1] = static_cast<uint8_t>(word >> 8);
            }
        }
    }

private:
    static float Expand(uint32_t word, const MaskChannel& c) { return WidenMaskedChannel(word, c.mask); }
    static uint32_t Narrow(float v, const MaskChannel& c) {
        if (c.mask == 0 || !(v > 0.0f)) return 0;
        const float scaled = std::min(v, 255.0f) * (c.maxValue / 255.0f) + 0.5f;
        return (static_cast<uint32_t>(scaled) << c.shift) & c.mask;
    }

    int32_t bpp;
    MaskChannel blue, green, red;
};

void FilterLine(const Quad* source, const FilterTable& table, int32_t destWidth, Quad* out) {
    const float* weights = table.weights.data();
    for (int32_t i = 0; i < destWidth; ++i) {
        const auto index = static_cast<size_t>(i);
        const float* w = weights + table.offset[index];
        const Quad* s = source + table.first[index];
        const int32_t count = table.count[index];
        // Two running sums, so one addition need not wait for the last.
        Quad even = {0, 0, 0, 0}, odd = {0, 0, 0, 0};
        int32_t k = 0;
        for (; k + 1 < count; k += 2) {
            even += s[k] * w[k];
            odd += s[k + 1] * w[k + 1];
        }
        if (k < count) even += s[k] * w[k];
        out[i] = even + odd;
    }
}

void Resample(const CRasterImage& source, CRasterImage& dest) {
    const int32_t sourceWidth = source.Width();
    const int32_t destWidth = dest.Width(), destHeight = dest.Height();
    const FilterTable columns = BuildFilterTable(sourceWidth, destWidth);
    const FilterTable lines = BuildFilterTable(source.Height(), destHeight);
    const PixelFormat format(source);

    const auto destPixels = static_cast<size_t>(destWidth);
    const auto ringSize = static_cast<size_t>(lines.maxCount);
    std::vector<Quad> sourceLine(static_cast<size_t>(sourceWidth));
    std::vector<Quad> ring(ringSize * destPixels);
    std::vector<Quad> sum(destPixels);

    int32_t filteredUpTo = 0;  // source lines [0, filteredUpTo) have been through the ring
    for (int32_t y = 0; y < destHeight; ++y) {
        const int32_t first = lines.first[static_cast<size_t>(y)];
        const int32_t count = lines.count[static_cast<size_t>(y)];
        for (; filteredUpTo < first + count; ++filteredUpTo) {
            format.Load(source.Row(filteredUpTo), sourceWidth, sourceLine.data());
            Quad* slot = ring.data() + (static_cast<size_t>(filteredUpTo) % ringSize) * destPixels;
            FilterLine(sourceLine.data(), columns, destWidth, slot);
        }
        const float* w = lines.weights.data() + lines.offset[static_cast<size_t>(y)];
        for (int32_t k = 0; k < count; ++k) {
            const float weight = w[k];
            const Quad* slot = ring.data() + (static_cast<size_t>(first + k) % ringSize) * destPixels;
            Quad* acc = sum.data();
            if (k == 0) {
                for (size_t i = 0; i < destPixels; ++i) acc[i] = slot[i] * weight;
            } else {
                for (size_t i = 0; i < destPixels; ++i) acc[i] += slot[i] * weight;
            }
        }
        format.Store(sum.data(), destWidth, dest.Row(y));
    }
}

}  // namespace

bool ResizeImage(CRasterImage& image, int32_t newWidth, int32_t newHeight) {
    if (image.IsEmpty() || newWidth <= 0 || newHeight <= 0) return false;
    if (image.Bpp() != 16 && image.Bpp() != 24 && image.Bpp() != 32) return false;
    if (newWidth == image.Width() && newHeight == image.Height()) return true;
    // The kernel of a reduction spans four times the factor; beyond 2^24 its
    // tap count would no longer fit the tables' 32-bit counts.
    constexpr int64_t kMaxReduction = int64_t{1} << 24;
    if (image.Width() / newWidth > kMaxReduction || image.Height() / newHeight > kMaxReduction) return false;

    // The new picture takes the old header (depth, masks, resolution).
    std::unique_ptr<uint8_t[]> headerBlock(reinterpret_cast<uint8_t*>(image.NewDibHeader()));
    if (!headerBlock) return false;
    auto* header = reinterpret_cast<DibInfoHeader*>(headerBlock.get());
    header->biWidth = newWidth;
    header->biHeight = newHeight;
    CRasterImage resized;
    if (!resized.Create(header)) return false;

    try {
        Resample(image, resized);
    } catch (const std::bad_alloc&) {
        return false;
    }
    resized.offsetX = image.offsetX;
    resized.offsetY = image.offsetY;
    image.Swap(resized);
    return true;
}

}  // namespace stampora
