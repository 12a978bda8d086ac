#include "image/DrawingSurface.h"

#include <algorithm>
#include <bit>

#include "image/LittleEndian.h"

namespace stampora {

// Surface pixels are handled as 32-bit words 0xAARRGGBB, the byte order blue,
// green, red, alpha of a little-endian machine.
static_assert(std::endian::native == std::endian::little);

bool CDrawingSurface::Begin(const PixelRect& newArea) {
    if (IsEmptyRect(newArea)) {
        image.Destroy();
        area = {0, 0, 0, 0};
        return false;
    }
    const int64_t width = int64_t{newArea.right} - newArea.left;
    const int64_t height = int64_t{newArea.bottom} - newArea.top;
    // Repaints of one size follow each other; keep the memory of the last.
    if (image.IsEmpty() || image.Width() != width || image.Height() != height) {
        image.Destroy();
        if (width > INT32_MAX || height > INT32_MAX ||
            !image.Create(static_cast<int32_t>(width), static_cast<int32_t>(height), 32)) {
            area = {0, 0, 0, 0};
            return false;
        }
    }
    area = newArea;
    return true;
}

PixelRect CDrawingSurface::ClipToSurface(const PixelRect& rect) const {
    const PixelRect clipped = IntersectRects(rect, area);
    if (IsEmptyRect(clipped)) return {0, 0, 0, 0};
    return OffsetRect(clipped, -area.left, -area.top);
}

void CDrawingSurface::FillRect(const PixelRect& rect, uint32_t rgb) {
    const PixelRect r = ClipToSurface(rect);
    if (IsEmptyRect(r)) return;
    const uint32_t pixel = 0xFF000000u | rgb;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.Row(y));
        std::fill(line + r.left, line + r.right, pixel);
    }
}

void CDrawingSurface::DrawFramedRect(const PixelRect& rect, uint32_t pen, uint32_t brush) {
    if (IsEmptyRect(rect)) return;
    FillRect(rect, pen);
    FillRect({rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, brush);
}

void CDrawingSurface::InvertFrame(const PixelRect& rect) {
    if (IsEmptyRect(rect)) return;
    // The four sides, without visiting a corner twice.
    const PixelRect sides[4] = {
        {rect.left, rect.top, rect.right, rect.top + 1},
        {rect.left, rect.bottom - 1, rect.right, rect.bottom},
        {rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1},
        {rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1},
    };
    const int32_t sideCount = (rect.bottom - rect.top == 1) ? 1 : (rect.right - rect.left == 1 ? 2 : 4);
    for (int32_t i = 0; i < sideCount; ++i) {
        const PixelRect r = ClipToSurface(sides[i]);
        if (IsEmptyRect(r)) continue;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(image.Row(y));
            // Every other pixel, chosen in content coordinates so the pattern
            // does not move with the surface.
            const int32_t contentY = y + area.top;
            int32_t x = r.left;
            if (((x + area.left + contentY) & 1) != 0) ++x;
            for (; x < r.right; x += 2) line[x] ^= 0x00FFFFFFu;
        }
    }
}

uint32_t CDrawingSurface::ColourAt(int32_t x, int32_t y) const {
    const int32_t sx = x - area.left;
    const int32_t sy = y - area.top;
    if (image.IsEmpty() || !image.Contains(sx, sy)) return 0;
    return LoadLE32(image.PixelAt(sx, sy)) & 0x00FFFFFFu;
}

}  // namespace stampora
