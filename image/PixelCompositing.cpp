#include "image/PixelCompositing.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/LittleEndian.h"
#include "image/RasterImage.h"

namespace stampora {

namespace {

// What a fully transparent result becomes.
constexpr uint32_t kTransparentWhite = 0x00FFFFFFu;

// Turns the fully transparent pixels among `count` 32-bit pixels into
// transparent white and keeps the others, four pixels at a time where the
// processor has 128-bit vectors.
void WhitenClearPixels(uint8_t* pixels, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m128i white = _mm_set1_epi32(static_cast<int32_t>(kTransparentWhite));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4, pixels += 16) {
        const __m128i value = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
        const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(value, alphaMask), zero);
        const __m128i result = _mm_or_si128(_mm_and_si128(clear, white), _mm_andnot_si128(clear, value));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), result);
    }
#endif
    for (; i < count; ++i, pixels += 4) {
        const uint32_t value = LoadLE32(pixels);
        StoreLE32(pixels, (value >> 24) == 0 ? kTransparentWhite : value);
    }
}

// The end of the stretch of fully transparent pixels that starts at `first`
// (itself transparent), looking two pixels at a time.
size_t ClearStretchEnd(const uint8_t* pixels, size_t first, size_t count) {
    constexpr uint64_t kAlphaPair = 0xFF000000FF000000ull;
    size_t end = first + 1;
    while (end + 2 <= count && (LoadLE64(pixels + end * 4) & kAlphaPair) == 0) end += 2;
    while (end < count && pixels[end * 4 + 3] == 0) ++end;
    return end;
}

}  // namespace

void CombinePixel(uint8_t* dest, uint32_t destValue, const uint8_t* source, uint8_t alpha) {
    const uint32_t destAlpha = destValue >> 24;
    const uint32_t a = alpha;
    if (destAlpha == 0) {
        if (a == 0) {
            dest[0] = dest[1] = dest[2] = 255;
            dest[3] = 0;
        } else {
            dest[0] = source[0];
            dest[1] = source[1];
            dest[2] = source[2];
            dest[3] = alpha;
        }
        return;
    }
    if (a == 0) return;
    if (a == 255) {
        dest[0] = source[0];
        dest[1] = source[1];
        dest[2] = source[2];
        dest[3] = 255;
        return;
    }
    if (destAlpha == 255) {
        // Over an opaque pixel the weights add up to 255 x 255, so every
        // quotient is the plain mix divided by 255 (a division the compiler
        // turns into a multiplication) and the pixel stays opaque.
        for (int c = 0; c < 3; ++c) {
            const uint32_t old = (destValue >> (8 * c)) & 0xFF;
            dest[c] = static_cast<uint8_t>((old * (255 - a) + source[c] * a) / 255);
        }
        dest[3] = 255;
        return;
    }
    const uint32_t destWeight = destAlpha * (255 - a);
    const uint32_t sourceWeight = 255 * a;
    const uint32_t total = sourceWeight + destWeight;
    for (int c = 0; c < 3; ++c) {
        const uint32_t old = (destValue >> (8 * c)) & 0xFF;
        dest[c] = static_cast<uint8_t>((old * destWeight + source[c] * sourceWeight) / total);
    }
    dest[3] = static_cast<uint8_t>(total / 255);
}

void MixPixel(uint8_t* dest, const uint8_t* source, uint8_t alpha) {
    if (alpha == 255) {
        dest[0] = source[0];
        dest[1] = source[1];
        dest[2] = source[2];
        return;
    }
    if (alpha == 0) return;
    for (int c = 0; c < 3; ++c) {
        const int32_t old = dest[c];
        // Integer division truncates toward zero, so a darkening mix rounds
        // toward the old value just like a brightening one.
        dest[c] = static_cast<uint8_t>(old + ((source[c] - old) * alpha) / 255);
    }
}

void CRasterImage::BlendLayer(const CRasterImage& layer, int32_t x, int32_t y, int32_t opacity) {
    if (IsEmpty() || layer.IsEmpty() || Bpp() != 32 || layer.Bpp() != 32) return;
    const int64_t left = std::max<int64_t>(0, x);
    const int64_t top = std::max<int64_t>(0, y);
    const int64_t right = std::min<int64_t>(Width(), int64_t{x} + layer.Width());
    const int64_t bottom = std::min<int64_t>(Height(), int64_t{y} + layer.Height());
    if (left >= right || top >= bottom) return;
    opacity = ClampOpacity(opacity);

    const size_t count = static_cast<size_t>(right - left);
    for (int64_t py = top; py < bottom; ++py) {
        uint8_t* dest = PixelAt(static_cast<int32_t>(left), static_cast<int32_t>(py));
        const uint8_t* source = layer.PixelAt(static_cast<int32_t>(left - x), static_cast<int32_t>(py - y));
        size_t i = 0;
        while (i < count) {
            // A clear stretch of the layer changes only clear destination
            // pixels, which become transparent white, as CombinePixel does.
            if (source[i * 4 + 3] == 0) {
                const size_t end = ClearStretchEnd(source, i, count);
                WhitenClearPixels(dest + i * 4, end - i);
                i = end;
                continue;
            }
            uint8_t* d = dest + i * 4;
            const uint8_t* s = source + i * 4;
            const uint8_t alpha = ScaleAlpha(s[3], opacity);
            if (alpha == 255) {
                StoreLE32(d, (LoadLE32(s) & 0x00FFFFFFu) | 0xFF000000u);
            } else if (alpha != 0 || d[3] == 0) {
                CombinePixel(d, LoadLE32(d), s, alpha);
            }
            ++i;
        }
    }
}

namespace {

// For each destination position 0 ... destSize - 1 the source position whose
// start is the last one falling on it, clamped into the source.
int32_t MapPosition(int64_t d, int64_t sourceSize, int64_t destSize, int64_t sourceStart,
                    int64_t sourceLimit) {
    int64_t s = (d * sourceSize) / destSize;
    while (((s + 1) * destSize) / sourceSize == d) ++s;
    return static_cast<int32_t>(std::clamp<int64_t>(sourceStart + s, 0, sourceLimit - 1));
}

}  // namespace

void CRasterImage::BlendStretched(const CRasterImage& source, const PixelRect& dest, const PixelRect& src,
                                  int32_t opacity) {
    if (opacity <= 0) return;
    if (IsEmpty() || Bpp() < 24 || source.IsEmpty() || source.Bpp() != 32) return;
    if (src.left < 0 || src.top < 0 || src.right > source.Width() || src.bottom > source.Height()) return;
    // A source rectangle without area has nothing to draw and must not be divided by.
    if (src.right <= src.left || src.bottom <= src.top) return;
    const int64_t clipLeft = std::max<int64_t>(0, dest.left);
    const int64_t clipTop = std::max<int64_t>(0, dest.top);
    const int64_t clipRight = std::min<int64_t>(Width(), dest.right);
    const int64_t clipBottom = std::min<int64_t>(Height(), dest.bottom);
    if (clipLeft >= clipRight || clipTop >= clipBottom) return;
    opacity = ClampOpacity(opacity);

    const int64_t destW = int64_t{dest.right} - dest.left;
    const int64_t destH = int64_t{dest.bottom} - dest.top;
    const int64_t srcW = int64_t{src.right} - src.left;
    const int64_t srcH = int64_t{src.bottom} - src.top;
    const size_t columns = static_cast<size_t>(clipRight - clipLeft);
    const size_t step = Bpp() == 32 ? 4 : 3;

    std::vector<int32_t> columnMap;
    const bool oneToOne = destW == srcW && destH == srcH;
    if (!oneToOne) {
        columnMap.resize(columns);
        for (size_t i = 0; i < columns; ++i) {
            const int64_t dx = clipLeft + static_cast<int64_t>(i) - dest.left;
            columnMap[i] = MapPosition(dx, srcW, destW, src.left, source.Width());
        }
    }

    for (int64_t py = clipTop; py < clipBottom; ++py) {
        const int64_t dy = py - dest.top;
        uint8_t* out = PixelAt(static_cast<int32_t>(clipLeft), static_cast<int32_t>(py));
        if (oneToOne) {
            const uint8_t* in = source.PixelAt(static_cast<int32_t>(clipLeft - dest.left + src.left),
                                               static_cast<int32_t>(dy + src.top));
            for (size_t i = 0; i < columns; ++i, out += step, in += 4) {
                MixPixel(out, in, ScaleAlpha(in[3], opacity));
            }
            continue;
        }
        const uint8_t* line = source.Row(MapPosition(dy, srcH, destH, src.top, source.Height()));
        for (size_t i = 0; i < columns; ++i, out += step) {
            const uint8_t* in = line + static_cast<size_t>(columnMap[i]) * 4;
            MixPixel(out, in, ScaleAlpha(in[3], opacity));
        }
    }
}

}  // namespace stampora
