// The display bridge: pictures drawn on, and read back from, a drawing surface.
#include <algorithm>
#include <vector>

#include "image/DrawingSurface.h"
#include "image/RasterImage.h"

namespace stampora {

namespace {

// The source position a destination position samples when `sourceSize`
// positions are stretched over `destSize` without smoothing: the one under
// the destination pixel's centre.
inline int32_t NearestSource(int64_t d, int64_t sourceSize, int64_t destSize) {
    return static_cast<int32_t>(((2 * d + 1) * sourceSize) / (2 * destSize));
}

}  // namespace

void CRasterImage::DrawToDC(CDrawingSurface& dc, const PixelRect& dest, const PixelRect& src) const {
    if (IsEmpty() || dc.IsEmpty() || IsEmptyRect(dest) || IsEmptyRect(src)) return;
    if (Bpp() != 24 && Bpp() != 32) {
        CRasterImage copy(*this);
        if (copy.PromoteDepth(32)) copy.DrawToDC(dc, dest, src);
        return;
    }
    // The source rectangle is read only where it lies on the picture.
    const PixelRect source = IntersectRects(src, {0, 0, Width(), Height()});
    if (IsEmptyRect(source)) return;
    const PixelRect clip = dc.ClipToSurface(dest);
    if (IsEmptyRect(clip)) return;

    const PixelRect& area = dc.Area();
    const int64_t destW = int64_t{dest.right} - dest.left;
    const int64_t destH = int64_t{dest.bottom} - dest.top;
    const int64_t srcW = int64_t{src.right} - src.left;
    const int64_t srcH = int64_t{src.bottom} - src.top;
    const int32_t columns = clip.right - clip.left;
    // Offsets of the content position of surface column clip.left in dest.
    const int64_t firstDx = int64_t{clip.left} + area.left - dest.left;
    const int64_t firstDy = int64_t{clip.top} + area.top - dest.top;

    std::vector<int32_t> columnMap(static_cast<size_t>(columns));
    for (int32_t i = 0; i < columns; ++i) {
        const int32_t sx = src.left + NearestSource(firstDx + i, srcW, destW);
        columnMap[static_cast<size_t>(i)] = std::clamp(sx, source.left, source.right - 1);
    }
    const bool wide = Bpp() == 32;
    const bool oneToOne = wide && srcW == destW;
    CRasterImage& surface = dc.Image();
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        const int32_t sy = std::clamp(src.top + NearestSource(firstDy + (y - clip.top), srcH, destH),
                                      source.top, source.bottom - 1);
        const uint8_t* line = Row(sy);
        auto* out = reinterpret_cast<uint32_t*>(surface.Row(y)) + clip.left;
        if (oneToOne && columnMap.back() - columnMap.front() == columns - 1) {
            const auto* in = reinterpret_cast<const uint32_t*>(line) + columnMap.front();
            for (int32_t i = 0; i < columns; ++i) out[i] = in[i] | 0xFF000000u;
        } else if (wide) {
            const auto* in = reinterpret_cast<const uint32_t*>(line);
            for (int32_t i = 0; i < columns; ++i)
                out[i] = in[columnMap[static_cast<size_t>(i)]] | 0xFF000000u;
        } else {
            for (int32_t i = 0; i < columns; ++i) {
                const uint8_t* p = line + static_cast<size_t>(columnMap[static_cast<size_t>(i)]) * 3;
                out[i] = 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
            }
        }
    }
}

void CRasterImage::DrawToDC(CDrawingSurface& dc, const PixelRect& dest) const {
    DrawToDC(dc, dest, {0, 0, Width(), Height()});
}

bool CRasterImage::CaptureFromDC(CDrawingSurface& dc, const PixelRect& rect) {
    if (IsEmptyRect(rect) || dc.IsEmpty()) return false;
    const int64_t width = int64_t{rect.right} - rect.left;
    const int64_t height = int64_t{rect.bottom} - rect.top;
    if (width > INT32_MAX || height > INT32_MAX) return false;
    if (!Create(static_cast<int32_t>(width), static_cast<int32_t>(height), 24)) return false;
    // What lies off the surface stays black, as a window gives nothing there.
    const PixelRect clip = dc.ClipToSurface(rect);
    if (IsEmptyRect(clip)) return !IsEmpty();
    const PixelRect& area = dc.Area();
    const int32_t intoX = clip.left + area.left - rect.left;
    const int32_t intoY = clip.top + area.top - rect.top;
    const CRasterImage& surface = dc.Image();
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        const uint8_t* in = surface.Row(y) + static_cast<size_t>(clip.left) * 4;
        uint8_t* out = Row(intoY + (y - clip.top)) + static_cast<size_t>(intoX) * 3;
        for (int32_t x = clip.left; x < clip.right; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return !IsEmpty();
}

void CRasterImage::DrawBlendedToDC(CDrawingSurface& dc, const PixelRect& rect, int32_t opacity) const {
    if (IsEmpty() || Bpp() != 32 || dc.IsEmpty()) return;
    // Only the part of the rectangle on the surface is captured and blended;
    // the stretch keeps its mapping to the whole rectangle.
    const PixelRect part = IntersectRects(rect, dc.Area());
    if (IsEmptyRect(part)) return;
    CRasterImage captured;
    if (!captured.CaptureFromDC(dc, part)) return;
    const PixelRect whole = OffsetRect(rect, -part.left, -part.top);
    captured.BlendStretched(*this, whole, {0, 0, Width(), Height()}, opacity);
    captured.DrawToDC(dc, part);
}

}  // namespace stampora
