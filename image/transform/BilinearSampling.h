#pragma once
// The bilinear blend of four neighbouring pixels, worked in double precision
// with the vector unit: the arithmetic of every channel is the one-channel
// formula lerp(lerp(c00, c10, fx), lerp(c01, c11, fx), fy), lane by lane, so
// the vector forms give exactly the results of the plain one.
// Used by the rotation; not part of the image interface.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/LittleEndian.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stampora {

namespace bilinear {

// Below this a fraction counts as none (the single-precision epsilon).
constexpr double kNoFraction = 1.1920928955078125e-7;

inline double Lerp(double u, double v, double t) {
    return (v - u) * t + u;
}

inline uint32_t Pack(uint32_t blue, uint32_t green, uint32_t red, uint32_t alpha) {
    return blue | (green << 8) | (red << 16) | (alpha << 24);
}

// Four bytes as they lie in memory, for comparing pixels.
inline uint32_t LoadNative32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Two doubles handled together by the vector unit; a pixel is two pairs,
// (blue, green) and (red, alpha).
typedef double Pair __attribute__((vector_size(16)));

struct Lanes {
    Pair low;
    Pair high;
    double operator[](int i) const { return i < 2 ? low[i] : high[i - 2]; }
};

inline Lanes LoadLanes(const uint8_t* p) {
#if defined(__SSE2__)
    int32_t word;
    std::memcpy(&word, p, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i wide = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    return Lanes{Pair(_mm_cvtepi32_pd(wide)), Pair(_mm_cvtepi32_pd(_mm_srli_si128(wide, 8)))};
#else
    return Lanes{Pair{static_cast<double>(p[0]), static_cast<double>(p[1])},
                 Pair{static_cast<double>(p[2]), static_cast<double>(p[3])}};
#endif
}

// Colours multiplied by the pixel's alpha; the alpha lane keeps the alpha.
inline Lanes AlphaWeighted(const Lanes& pixel) {
    const double a = pixel.high[1];
    return Lanes{pixel.low * a, pixel.high * Pair{a, 1.0}};
}

inline Lanes LerpLanes(const Lanes& u, const Lanes& v, double t) {
    return Lanes{(v.low - u.low) * t + u.low, (v.high - u.high) * t + u.high};
}

// The pixel from bilinear sums of alpha-weighted colours (lanes 0 ... 2)
// and of alpha (lane 3).
inline uint32_t FromWeightedSums(const Lanes& s) {
    const auto alpha = static_cast<int32_t>(s[3]);
    if (alpha == 0) return Pack(255, 255, 255, 0);
    // weighted / alpha for whole numbers: adding a half before multiplying by
    // the reciprocal keeps the estimate clear of every whole number, so
    // truncating it gives the exact integer quotient.
    const double reciprocal = 1.0 / alpha;
    uint32_t channel[3];
    for (int c = 0; c < 3; ++c) {
        const auto weighted = static_cast<int32_t>(s[c]);
        const auto quotient = static_cast<int32_t>((weighted + 0.5) * reciprocal);
        // The alpha was truncated on its own, so the quotient can pass 255.
        channel[c] = static_cast<uint32_t>(std::min(quotient, 255));
    }
    return Pack(channel[0], channel[1], channel[2], static_cast<uint32_t>(alpha));
}

template <bool is32Bit>
[[gnu::always_inline]] inline uint32_t Sample(double fx, double fy, const uint8_t* p00, const uint8_t* p10,
                                              const uint8_t* p01, const uint8_t* p11) {
    if constexpr (is32Bit) {
        const uint32_t v00 = LoadNative32(p00);
        if (v00 == LoadNative32(p10) && v00 == LoadNative32(p01) && v00 == LoadNative32(p11))
            return LoadLE32(p00);
    } else {
        const auto sameColour = [p00](const uint8_t* p) {
            return p[0] == p00[0] && p[1] == p00[1] && p[2] == p00[2];
        };
        if (sameColour(p10) && sameColour(p01) && sameColour(p11)) return Pack(p00[0], p00[1], p00[2], 255);
    }
    if (fx < kNoFraction && fy < kNoFraction) {
        return is32Bit ? LoadLE32(p00) : Pack(p00[0], p00[1], p00[2], 255);
    }

    if constexpr (is32Bit) {
        // Four lanes (blue, green, red, alpha) at once; each lane does exactly
        // the arithmetic of the one-channel formula.
        const Lanes q00 = LoadLanes(p00), q10 = LoadLanes(p10), q01 = LoadLanes(p01), q11 = LoadLanes(p11);
        if (p00[3] < 255 || p10[3] < 255 || p01[3] < 255 || p11[3] < 255) {
            // Colours weighted by their alpha; the alpha lane carries the alpha.
            const Lanes s = LerpLanes(LerpLanes(AlphaWeighted(q00), AlphaWeighted(q10), fx),
                                      LerpLanes(AlphaWeighted(q01), AlphaWeighted(q11), fx), fy);
            return FromWeightedSums(s);
        }
        const Lanes s = LerpLanes(LerpLanes(q00, q10, fx), LerpLanes(q01, q11, fx), fy);
        return Pack(static_cast<uint32_t>(s[0]), static_cast<uint32_t>(s[1]), static_cast<uint32_t>(s[2]),
                    255);
    } else {
        uint32_t channel[3];
        for (int c = 0; c < 3; ++c) {
            const double top = Lerp(p00[c], p10[c], fx);
            const double bottom = Lerp(p01[c], p11[c], fx);
            channel[c] = static_cast<uint32_t>(Lerp(top, bottom, fy));
        }
        return Pack(channel[0], channel[1], channel[2], 255);
    }
}

// Sample<true> for neighbours that lie side by side in memory (p10 right
// after p00, p11 right after p01), reading each pair at once and weighting
// colours by alpha in 16-bit integers, where c x a is exact. Each lane does
// the same arithmetic as Sample<true>, so the answers are the same.
[[gnu::always_inline]] inline uint32_t SampleAdjacent32(double fx, double fy, const uint8_t* p00,
                                                        const uint8_t* p01) {
#if defined(__SSE2__)
    uint64_t top, bottom;
    std::memcpy(&top, p00, 8);
    std::memcpy(&bottom, p01, 8);
    const uint64_t first = top & 0xFFFFFFFFu;
    if (top == (first | (first << 32)) && bottom == top) return LoadLE32(p00);
    if (fx < kNoFraction && fy < kNoFraction) return LoadLE32(p00);

    const __m128i zero = _mm_setzero_si128();
    __m128i top16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p00)), zero);
    __m128i bottom16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p01)), zero);
    constexpr uint64_t kAlphaBytes = 0xFF000000FF000000u;
    const bool opaque = (top & bottom & kAlphaBytes) == kAlphaBytes;
    if (!opaque) {
        // Each pixel's alpha in its three colour lanes and 1 in its alpha lane.
        const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
        const __m128i oneInAlpha = _mm_set_epi16(1, 0, 0, 0, 1, 0, 0, 0);
        const auto weights = [&](__m128i pixels) {
            const __m128i alphas = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, 0xFF), 0xFF);
            return _mm_or_si128(_mm_and_si128(alphas, colourLanes), oneInAlpha);
        };
        top16 = _mm_mullo_epi16(top16, weights(top16));
        bottom16 = _mm_mullo_epi16(bottom16, weights(bottom16));
    }
    const auto widen = [](__m128i words) {
        return Lanes{Pair(_mm_cvtepi32_pd(words)), Pair(_mm_cvtepi32_pd(_mm_srli_si128(words, 8)))};
    };
    const Lanes q00 = widen(_mm_unpacklo_epi16(top16, zero)), q10 = widen(_mm_unpackhi_epi16(top16, zero));
    const Lanes q01 = widen(_mm_unpacklo_epi16(bottom16, zero)),
                q11 = widen(_mm_unpackhi_epi16(bottom16, zero));
    const Lanes s = LerpLanes(LerpLanes(q00, q10, fx), LerpLanes(q01, q11, fx), fy);
    if (opaque) {
        // Blends of bytes stay within 0 ... 255, so truncating all four lanes
        // at once and packing them gives the bytes (the alpha lane is 255).
        const __m128i whole =
            _mm_unpacklo_epi64(_mm_cvttpd_epi32(__m128d(s.low)), _mm_cvttpd_epi32(__m128d(s.high)));
        const __m128i words = _mm_packs_epi32(whole, whole);
        return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    }
    return FromWeightedSums(s);
#else
    return Sample<true>(fx, fy, p00, p00 + 4, p01, p01 + 4);
#endif
}

}  // namespace bilinear

}  // namespace stampora
