#include <algorithm>
#include <cstring>

#include "codecs/gif/GifAnimation.h"

namespace stampora {

namespace {

bool Inside(const FrameArea& area, int32_t x, int32_t y) {
    return x >= area.left && x < area.left + area.width && y >= area.top && y < area.top + area.height;
}

bool RowMeets(const FrameArea& area, int32_t y) {
    return !area.IsEmpty() && y >= area.top && y < area.top + area.height;
}

// The pixel of `before` as the screen holds it: transparent in `cleared`.
const uint8_t* PixelBefore(const CRasterImage& before, const FrameArea& cleared, int32_t x, int32_t y) {
    static const uint8_t kClear[4] = {0, 0, 0, 0};
    return Inside(cleared, x, y) ? kClear : before.Row(y) + 4 * static_cast<size_t>(x);
}

}  // namespace

bool UncoversPixels(const CRasterImage& shown, const CRasterImage& next, const FrameAreas& areas,
                    const FrameArea& cleared) {
    if (next.Bpp() != 32) return false;  // no transparency
    const bool shownOpaque = shown.Bpp() != 32;
    for (const FrameArea& area : areas) {
        for (int32_t y = area.top; y < area.top + area.height; ++y) {
            const uint8_t* b = next.Row(y) + 3 + 4 * static_cast<size_t>(area.left);
            for (int32_t x = area.left; x < area.left + area.width; ++x, b += 4) {
                if (*b != 0 || Inside(cleared, x, y)) continue;
                if (shownOpaque || shown.Row(y)[4 * static_cast<size_t>(x) + 3] != 0) return true;
            }
        }
    }
    return false;
}

FrameArea ChangedArea(const CRasterImage& before, const CRasterImage& now, const FrameAreas& areas,
                      const FrameArea& cleared) {
    int32_t left = now.Width(), right = -1, top = now.Height(), bottom = -1;
    for (const FrameArea& area : areas) {
        const size_t lineBytes = 4 * static_cast<size_t>(area.width);
        const size_t start = 4 * static_cast<size_t>(area.left);
        for (int32_t y = area.top; y < area.top + area.height; ++y) {
            const uint8_t* b = now.Row(y);
            int32_t first = area.left;
            int32_t last = area.left + area.width - 1;
            if (!RowMeets(cleared, y)) {
                const uint8_t* a = before.Row(y);
                if (std::memcmp(a + start, b + start, lineBytes) == 0) continue;
                while (std::memcmp(a + 4 * static_cast<size_t>(first), b + 4 * static_cast<size_t>(first),
                                   4) == 0)
                    ++first;
                while (std::memcmp(a + 4 * static_cast<size_t>(last), b + 4 * static_cast<size_t>(last), 4) ==
                       0)
                    --last;
            } else {
                const auto same = [&](int32_t x) {
                    return std::memcmp(PixelBefore(before, cleared, x, y), b + 4 * static_cast<size_t>(x),
                                       4) == 0;
                };
                while (first <= last && same(first)) ++first;
                while (last >= first && same(last)) --last;
                if (first > last) continue;
            }
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            left = std::min(left, first);
            right = std::max(right, last);
        }
    }
    if (bottom < 0) return FrameArea{0, 0, 1, 1};
    return FrameArea{left, top, right - left + 1, bottom - top + 1};
}

}  // namespace stampora
