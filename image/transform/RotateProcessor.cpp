#include "image/transform/RotateProcessor.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "image/LittleEndian.h"
#include "image/transform/BilinearSampling.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stampora {

namespace {

using namespace bilinear;

// Transparent white: blue, green, red 255, alpha 0. What lies outside the
// source; a 24-bit result shows white there.
constexpr uint8_t kBackground[4] = {255, 255, 255, 0};

// Source coordinates are kept where whole-pixel arithmetic cannot overflow.
constexpr double kCoordinateLimit = 2147483392.0;

struct SinCos {
    double sin;
    double cos;
};

// Sine and cosine of a whole-degree angle, exact at quarter turns so that
// turning by 90, 180, 270 or 360 degrees moves pixels without blending them.
SinCos SinCosOfDegrees(int32_t degrees) {
    const int32_t d = ((degrees % 360) + 360) % 360;
    switch (d) {
        case 0:
            return {0.0, 1.0};
        case 90:
            return {1.0, 0.0};
        case 180:
            return {0.0, -1.0};
        case 270:
            return {-1.0, 0.0};
        default: {
            const double radians = d * std::numbers::pi / 180.0;
            return {std::sin(radians), std::cos(radians)};
        }
    }
}

int32_t WholeDegrees(int32_t degrees) {
    return ((degrees % 360) + 360) % 360;
}

inline double ClampCoordinate(double v) {
    v = v < -kCoordinateLimit ? -kCoordinateLimit : v;
    return v > kCoordinateLimit ? kCoordinateLimit : v;
}

// The values of x for which first + x * slope lies within [low, high], as a
// closed interval of doubles (empty when from > to).
std::pair<double, double> SolveSpan(double first, double slope, double low, double high) {
    constexpr double kInfinite = std::numeric_limits<double>::infinity();
    if (std::fabs(slope) < 1e-12) {
        if (first >= low && first <= high) return {-kInfinite, kInfinite};
        return {kInfinite, -kInfinite};
    }
    const double a = (low - first) / slope, b = (high - first) / slope;
    return {std::min(a, b), std::max(a, b)};
}

// The whole-pixel part of a source coordinate; a negative one steps one
// further down, so its fraction stays within 0 ... 1.
inline int32_t WholePart(double v) {
    return v < 0.0 ? static_cast<int32_t>(v - 1.0) : static_cast<int32_t>(v);
}

// Writes a pixel value as its four little-endian bytes.
inline void StorePixel(uint8_t* p, uint32_t value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &value, 4);
    } else {
        StoreLE32(p, value);
    }
}

// The bilinear sample at source pixel (x0, y0) plus (fx, fy): the four
// neighbours are read directly when all lie inside, and the background
// stands in for those outside.
template <bool is32Bit>
[[gnu::always_inline]] inline uint32_t SampleSource(const CRasterImage& copy, int32_t x0, int32_t y0,
                                                    double fx, double fy) {
    constexpr size_t step = is32Bit ? 4 : 3;
    const int32_t width = copy.Width(), height = copy.Height();
    if (x0 >= 0 && y0 >= 0 && x0 < width - 1 && y0 < height - 1) {
        const uint8_t* p00 = copy.Row(y0) + static_cast<size_t>(x0) * step;
        const uint8_t* p01 = copy.Row(y0 + 1) + static_cast<size_t>(x0) * step;
        if constexpr (is32Bit) {
            return SampleAdjacent32(fx, fy, p00, p01);
        } else {
            return Sample<false>(fx, fy, p00, p00 + step, p01, p01 + step);
        }
    }
    if (x0 < -1 || y0 < -1 || x0 >= width || y0 >= height) return LoadLE32(kBackground);
    const auto neighbour = [&copy](int32_t nx, int32_t ny) {
        return copy.Contains(nx, ny) ? copy.PixelAt(nx, ny) : kBackground;
    };
    return Sample<is32Bit>(fx, fy, neighbour(x0, y0), neighbour(x0 + 1, y0), neighbour(x0, y0 + 1),
                           neighbour(x0 + 1, y0 + 1));
}

inline Pair ClampCoordinates(Pair v) {
    const Pair low = {-kCoordinateLimit, -kCoordinateLimit}, high = {kCoordinateLimit, kCoordinateLimit};
#if defined(__SSE2__)
    // For numbers (never NaN here) these are exactly the comparisons below.
    return Pair(_mm_min_pd(_mm_max_pd(__m128d(v), __m128d(low)), __m128d(high)));
#else
    v = v < low ? low : v;
    return v > high ? high : v;
#endif
}

// WholePart of both lanes, into `whole`; answers them as doubles.
inline Pair WholeParts(Pair v, int32_t whole[2]) {
#if defined(__SSE2__)
    // Negative lanes step down by one: v + (-1.0) is v - 1.0, v + 0.0 is v.
    const __m128d negative = _mm_cmplt_pd(__m128d(v), _mm_setzero_pd());
    const Pair stepped = Pair(_mm_add_pd(__m128d(v), _mm_and_pd(negative, _mm_set1_pd(-1.0))));
    const __m128i truncated = _mm_cvttpd_epi32(__m128d(stepped));
    whole[0] = _mm_cvtsi128_si32(truncated);
    whole[1] = _mm_cvtsi128_si32(_mm_srli_si128(truncated, 4));
    return Pair(_mm_cvtepi32_pd(truncated));
#else
    const Pair zero = {0.0, 0.0};
    const Pair stepped = v < zero ? v - 1.0 : v;
    whole[0] = static_cast<int32_t>(stepped[0]);
    whole[1] = static_cast<int32_t>(stepped[1]);
    return Pair{static_cast<double>(whole[0]), static_cast<double>(whole[1])};
#endif
}

}  // namespace

uint32_t SampleBilinear(double fx, double fy, bool is32Bit, const uint8_t* p00, const uint8_t* p10,
                        const uint8_t* p01, const uint8_t* p11) {
    return is32Bit ? Sample<true>(fx, fy, p00, p10, p01, p11) : Sample<false>(fx, fy, p00, p10, p01, p11);
}

CRotateProcessor::CRotateProcessor(int32_t degrees) {
    const int32_t whole = WholeDegrees(degrees);
    wholeDegrees = whole;
    angle = whole * std::numbers::pi / 180.0;
    reverseAngle = (360 - whole) * std::numbers::pi / 180.0;
    const SinCos reverse = SinCosOfDegrees(360 - whole);
    sinReverse = reverse.sin;
    cosReverse = reverse.cos;
}

bool CRotateProcessor::Accepts(const CRasterImage& image) const {
    return CCopyingProcessor::Accepts(image) && image.Width() > 1 && image.Height() > 1;
}

std::pair<double, double> CRotateProcessor::TurnedSize(int32_t degrees, int32_t width, int32_t height) {
    const SinCos forward = SinCosOfDegrees(degrees);
    const double w = width, h = height;
    const double cx = w / 2.0, cy = h / 2.0;
    double minX = std::numeric_limits<double>::max(), maxX = -minX;
    double minY = minX, maxY = -minX;
    for (const auto& [px, py] : {std::pair{0.0, 0.0}, {w, 0.0}, {0.0, h}, {w, h}}) {
        const double dx = px - cx, dyUp = cy - py;
        const double rx = cx + dx * forward.cos + dyUp * forward.sin;
        const double ry = cy - dyUp * forward.cos + dx * forward.sin;
        minX = std::min(minX, rx);
        maxX = std::max(maxX, rx);
        minY = std::min(minY, ry);
        maxY = std::max(maxY, ry);
    }
    return {std::ceil(maxX - minX), std::ceil(maxY - minY)};
}

bool CRotateProcessor::Begin(CRasterImage& image) {
    const auto [turnedWidth, turnedHeight] = TurnedSize(wholeDegrees, image.Width(), image.Height());
    if (turnedWidth > std::numeric_limits<int32_t>::max() ||
        turnedHeight > std::numeric_limits<int32_t>::max()) {
        return false;
    }

    // The picture moves into the copy; the image is re-created at the turned
    // size, or gets its picture back if that memory cannot be had.
    CRasterImage& copy = NewCopy();
    copy.Swap(image);
    image.offsetX = copy.offsetX;
    image.offsetY = copy.offsetY;
    if (!image.Create(static_cast<int32_t>(turnedWidth), static_cast<int32_t>(turnedHeight), copy.Bpp())) {
        image.Swap(copy);
        return false;
    }
    newWidth = image.Width();
    newHeight = image.Height();
    sourceWidth = copy.Width();
    sourceHeight = copy.Height();
    centreX = (newWidth - 1) / 2.0;
    centreY = (newHeight - 1) / 2.0;
    shiftX = (newWidth - sourceWidth) / 2.0;
    shiftY = (newHeight - sourceHeight) / 2.0;
    cachedLine = -1;
    return true;
}

bool CRotateProcessor::MapToSource(double x, double y, double& sourceX, double& sourceY) const {
    const double cx = (newWidth - 1) / 2.0, cy = (newHeight - 1) / 2.0;
    const double dx = x - cx, dyUp = cy - y;
    sourceX = cx + dx * cosReverse + dyUp * sinReverse - (newWidth - sourceWidth) / 2.0;
    sourceY = cy - dyUp * cosReverse + dx * sinReverse - (newHeight - sourceHeight) / 2.0;
    return true;
}

void CRotateProcessor::StartLine(int32_t y) {
    const double dyUp = centreY - y;
    lineTermX = dyUp * sinReverse;
    lineTermY = centreY - dyUp * cosReverse;
    cachedLine = y;
}

template <bool is32Bit>
uint32_t CRotateProcessor::SampleFor(const CRasterImage& copy, int32_t x) const {
    // The same sums as MapToSource, in the same order, with the parts that
    // depend only on the line worked out once per line.
    const double dx = x - centreX;
    const double sx = ClampCoordinate(centreX + dx * cosReverse + lineTermX - shiftX);
    const double sy = ClampCoordinate(lineTermY + dx * sinReverse - shiftY);
    const int32_t x0 = WholePart(sx), y0 = WholePart(sy);
    return SampleSource<is32Bit>(copy, x0, y0, sx - x0, sy - y0);
}

void CRotateProcessor::TurnSpan32(const CRasterImage& copy, int32_t first, int32_t last,
                                  uint8_t* line) const {
    // Two pixels mapped at once; each lane does exactly SampleFor's sums.
    int32_t x = first;
    for (; x + 1 < last; x += 2) {
        const Pair dx = Pair{static_cast<double>(x), static_cast<double>(x + 1)} - centreX;
        const Pair sx = ClampCoordinates(centreX + dx * cosReverse + lineTermX - shiftX);
        const Pair sy = ClampCoordinates(lineTermY + dx * sinReverse - shiftY);
        int32_t x0[2], y0[2];
        const Pair fx = sx - WholeParts(sx, x0), fy = sy - WholeParts(sy, y0);
        StorePixel(line + static_cast<size_t>(x) * 4, SampleSource<true>(copy, x0[0], y0[0], fx[0], fy[0]));
        StorePixel(line + static_cast<size_t>(x) * 4 + 4,
                   SampleSource<true>(copy, x0[1], y0[1], fx[1], fy[1]));
    }
    if (x < last) StorePixel(line + static_cast<size_t>(x) * 4, SampleFor<true>(copy, x));
}

void CRotateProcessor::ApplyToPixel(CRasterImage& image, int32_t x, int32_t y, uint8_t* pixel) {
    const CRasterImage* copy = Copy();
    if (copy == nullptr || copy->IsEmpty()) return;
    if (y != cachedLine) StartLine(y);
    uint8_t bytes[4];
    if (image.Bpp() == 32) {
        StoreLE32(pixel, SampleFor<true>(*copy, x));
    } else {
        StoreLE32(bytes, SampleFor<false>(*copy, x));
        std::memcpy(pixel, bytes, 3);
    }
}

std::pair<int32_t, int32_t> CRotateProcessor::ReachableSpan(int32_t width) const {
    // Along a line the source point moves in a straight line; solve where it
    // comes within kMargin pixels of the source. Beyond that all four
    // neighbours of every pixel lie outside by far more than rounding could
    // move them, so those pixels are the background.
    constexpr double kMargin = 2.0;
    const double startX = centreX - centreX * cosReverse + lineTermX - shiftX;
    const double startY = lineTermY - centreX * sinReverse - shiftY;
    const auto [fromX, toX] = SolveSpan(startX, cosReverse, -1.0 - kMargin, sourceWidth + kMargin);
    const auto [fromY, toY] = SolveSpan(startY, sinReverse, -1.0 - kMargin, sourceHeight + kMargin);
    const double from = std::max({fromX, fromY, 0.0});
    const double to = std::min({toX, toY, static_cast<double>(width)});
    if (from > to) return {0, 0};
    const auto first = static_cast<int32_t>(std::floor(from));
    const auto last = static_cast<int32_t>(std::min(std::ceil(to) + 1.0, static_cast<double>(width)));
    return {first, last};
}

void CRotateProcessor::ApplyToLine(CRasterImage& image, int32_t y, uint8_t* line) {
    const CRasterImage* copy = Copy();
    if (copy == nullptr || copy->IsEmpty()) return;
    StartLine(y);
    const int32_t width = image.Width();
    const auto [first, last] = ReachableSpan(width);
    if (image.Bpp() == 32) {
        for (int32_t x = 0; x < first; ++x) std::memcpy(line + static_cast<size_t>(x) * 4, kBackground, 4);
        TurnSpan32(*copy, first, last, line);
        for (int32_t x = last; x < width; ++x) std::memcpy(line + static_cast<size_t>(x) * 4, kBackground, 4);
    } else {
        // The background is white in every byte of a 24-bit pixel.
        std::memset(line, 255, static_cast<size_t>(first) * 3);
        uint8_t bytes[4];
        for (int32_t x = first; x < last; ++x) {
            StoreLE32(bytes, SampleFor<false>(*copy, x));
            std::memcpy(line + static_cast<size_t>(x) * 3, bytes, 3);
        }
        std::memset(line + static_cast<size_t>(last) * 3, 255, static_cast<size_t>(width - last) * 3);
    }
}

}  // namespace stampora
