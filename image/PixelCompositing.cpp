#include "image/PixelCompositing.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/LittleEndian.h"
#include "image/RasterImage.h"

namespace {

// What a fully transparent result becomes.
constexpr uint32_t kTransparentWhite = 0x00FFFFFFu;

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

    for (int64_t py = top; py < bottom; ++py) {
        uint8_t* dest = PixelAt(static_cast<int32_t>(left), static_cast<int32_t>(py));
        const uint8_t* source =
            layer.PixelAt(static_cast<int32_t>(left - x), static_cast<int32_t>(py - y));
        for (int64_t px = left; px < right; ++px, dest += 4, source += 4) {
            const uint32_t destValue = LoadLE32(dest);
            const uint8_t alpha = ScaleAlpha(source[3], opacity);
            // The common cases of a layer with large clear and solid areas,
            // done on whole pixels with the same results as CombinePixel.
            if (alpha == 0) {
                if ((destValue >> 24) == 0) StoreLE32(dest, kTransparentWhite);
                continue;
            }
            if (alpha == 255) {
                StoreLE32(dest, (LoadLE32(source) & 0x00FFFFFFu) | 0xFF000000u);
                continue;
            }
            CombinePixel(dest, destValue, source, alpha);
        }
    }
}

namespace {

// For each destination position 0 ... destSize - 1 the source position whose
// start is the last one falling on it, clamped into the source.
int32_t MapPosition(int64_t d, int64_t sourceSize, int64_t destSize, int64_t sourceStart, int64_t sourceLimit) {
    int64_t s = (d * sourceSize) / destSize;
    while (((s + 1) * destSize) / sourceSize == d) ++s;
    return static_cast<int32_t>(std::clamp<int64_t>(sourceStart + s, 0, sourceLimit - 1));
}

}  // namespace

void CRasterImage::BlendStretched(const CRasterImage& source, const RECT& dest, const RECT& src, int32_t opacity) {
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
