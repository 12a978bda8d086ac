#include "image/RotateProcessor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "image/LittleEndian.h"

namespace {

// Transparent white: blue, green, red 255, alpha 0. What lies outside the
// source; a 24-bit result shows white there.
constexpr uint8_t kBackground[4] = {255, 255, 255, 0};

// Below this a fraction counts as none (the single-precision epsilon).
constexpr double kNoFraction = 1.1920928955078125e-7;

// Source coordinates are kept where whole-pixel arithmetic cannot overflow.
constexpr double kCoordinateLimit = 2147483392.0;

inline double Lerp(double u, double v, double t) { return (v - u) * t + u; }

inline uint32_t Pack(uint32_t blue, uint32_t green, uint32_t red, uint32_t alpha) {
    return blue | (green << 8) | (red << 16) | (alpha << 24);
}

struct SinCos {
    double sin;
    double cos;
};

// Sine and cosine of a whole-degree angle, exact at quarter turns so that
// turning by 90, 180, 270 or 360 degrees moves pixels without blending them.
SinCos SinCosOfDegrees(int32_t degrees) {
    const int32_t d = ((degrees % 360) + 360) % 360;
    switch (d) {
        case 0: return {0.0, 1.0};
        case 90: return {1.0, 0.0};
        case 180: return {0.0, -1.0};
        case 270: return {-1.0, 0.0};
        default: {
            const double radians = d * std::numbers::pi / 180.0;
            return {std::sin(radians), std::cos(radians)};
        }
    }
}

int32_t WholeDegrees(int32_t degrees) { return ((degrees % 360) + 360) % 360; }

// The whole-pixel part of a source coordinate; a negative one steps one
// further down, so its fraction stays within 0 ... 1.
inline int32_t WholePart(double v) {
    return v < 0.0 ? static_cast<int32_t>(v - 1.0) : static_cast<int32_t>(v);
}

}  // namespace

uint32_t SampleBilinear(double fx, double fy, bool is32Bit, const uint8_t* p00, const uint8_t* p10,
                        const uint8_t* p01, const uint8_t* p11) {
    if (is32Bit) {
        const uint32_t v00 = LoadLE32(p00);
        if (v00 == LoadLE32(p10) && v00 == LoadLE32(p01) && v00 == LoadLE32(p11)) return v00;
    } else {
        const auto sameColour = [p00](const uint8_t* p) {
            return p[0] == p00[0] && p[1] == p00[1] && p[2] == p00[2];
        };
        if (sameColour(p10) && sameColour(p01) && sameColour(p11)) return Pack(p00[0], p00[1], p00[2], 255);
    }
    if (fx < kNoFraction && fy < kNoFraction) {
        return is32Bit ? LoadLE32(p00) : Pack(p00[0], p00[1], p00[2], 255);
    }

    uint32_t channel[3];
    if (is32Bit && (p00[3] < 255 || p10[3] < 255 || p01[3] < 255 || p11[3] < 255)) {
        const double a00 = p00[3], a10 = p10[3], a01 = p01[3], a11 = p11[3];
        const int32_t alpha = static_cast<int32_t>(Lerp(Lerp(a00, a10, fx), Lerp(a01, a11, fx), fy));
        if (alpha == 0) return Pack(255, 255, 255, 0);
        for (int c = 0; c < 3; ++c) {
            const double top = Lerp(p00[c] * a00, p10[c] * a10, fx);
            const double bottom = Lerp(p01[c] * a01, p11[c] * a11, fx);
            const int32_t weighted = static_cast<int32_t>(Lerp(top, bottom, fy));
            // The alpha was truncated on its own, so the quotient can pass 255.
            channel[c] = static_cast<uint32_t>(std::min(weighted / alpha, 255));
        }
        return Pack(channel[0], channel[1], channel[2], static_cast<uint32_t>(alpha));
    }
    for (int c = 0; c < 3; ++c) {
        const double top = Lerp(p00[c], p10[c], fx);
        const double bottom = Lerp(p01[c], p11[c], fx);
        channel[c] = static_cast<uint32_t>(Lerp(top, bottom, fy));
    }
    return Pack(channel[0], channel[1], channel[2], 255);
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

bool CRotateProcessor::Begin(CRasterImage& image) {
    const SinCos forward = SinCosOfDegrees(wholeDegrees);
    const double w = image.Width(), h = image.Height();
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
    const double turnedWidth = std::ceil(maxX - minX), turnedHeight = std::ceil(maxY - minY);
    if (turnedWidth > std::numeric_limits<int32_t>::max() || turnedHeight > std::numeric_limits<int32_t>::max()) {
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

void CRotateProcessor::ApplyToPixel(CRasterImage& image, int32_t x, int32_t y, uint8_t* pixel) {
    const CRasterImage* copy = Copy();
    if (copy == nullptr || copy->IsEmpty()) return;
    // The same sums as MapToSource, in the same order, with the parts that
    // depend only on the line worked out once per line.
    const double cx = (newWidth - 1) / 2.0;
    if (y != cachedLine) {
        const double cy = (newHeight - 1) / 2.0;
        const double dyUp = cy - y;
        lineTermX = dyUp * sinReverse;
        lineTermY = cy - dyUp * cosReverse;
        cachedLine = y;
    }
    const double dx = x - cx;
    double sx = cx + dx * cosReverse + lineTermX - (newWidth - sourceWidth) / 2.0;
    double sy = lineTermY + dx * sinReverse - (newHeight - sourceHeight) / 2.0;
    sx = std::clamp(sx, -kCoordinateLimit, kCoordinateLimit);
    sy = std::clamp(sy, -kCoordinateLimit, kCoordinateLimit);

    const int32_t x0 = WholePart(sx), y0 = WholePart(sy);
    const double fx = sx - x0, fy = sy - y0;
    const auto neighbour = [copy](int32_t nx, int32_t ny) {
        return copy->Contains(nx, ny) ? copy->PixelAt(nx, ny) : kBackground;
    };
    const bool is32Bit = image.Bpp() == 32;
    const uint32_t value = SampleBilinear(fx, fy, is32Bit, neighbour(x0, y0), neighbour(x0 + 1, y0),
                                          neighbour(x0, y0 + 1), neighbour(x0 + 1, y0 + 1));
    uint8_t bytes[4];
    StoreLE32(bytes, value);
    std::memcpy(pixel, bytes, is32Bit ? 4 : 3);
}
