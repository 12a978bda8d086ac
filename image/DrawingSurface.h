#pragma once
// An off-screen 32-bit drawing surface covering one rectangle of a window in
// content coordinates. The canvas paints the area to repaint into it and then
// hands its pixels to the windowing system; the display bridge of
// CRasterImage (DrawToDC, CaptureFromDC, DrawBlendedToDC) draws on it.
#include <cstdint>

#include "image/DibTypes.h"
#include "image/RasterImage.h"

namespace stampora {

class CDrawingSurface {
public:
    // Covers `area` (content coordinates). The pixels are undefined until
    // drawn. False, with an empty surface, when the area is empty or its
    // memory cannot be had.
    bool Begin(const PixelRect& area);

    const PixelRect& Area() const { return area; }
    CRasterImage& Image() { return image; }
    const CRasterImage& Image() const { return image; }
    bool IsEmpty() const { return image.IsEmpty(); }

    // The part of `rect` (content coordinates) that lies on the surface, in
    // surface pixels; empty when they do not meet.
    PixelRect ClipToSurface(const PixelRect& rect) const;

    // Fills `rect` with an opaque colour 0xRRGGBB.
    void FillRect(const PixelRect& rect, uint32_t rgb);
    // A rectangle the way window systems draw one with a pen and a brush: a
    // one-pixel outline in `pen` along the inside of `rect` and the inside
    // filled with `brush`; right and bottom are exclusive.
    void DrawFramedRect(const PixelRect& rect, uint32_t pen, uint32_t brush);
    // Inverts, in a checkered pattern fixed to content coordinates, the
    // pixels of the one-pixel frame along the inside of `rect`. Inverting the
    // same frame again restores them.
    void InvertFrame(const PixelRect& rect);

    // The colour 0xRRGGBB at a point in content coordinates; 0 off the surface.
    uint32_t ColourAt(int32_t x, int32_t y) const;

private:
    PixelRect area{0, 0, 0, 0};
    CRasterImage image;
};

inline bool IsEmptyRect(const PixelRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

inline PixelRect IntersectRects(const PixelRect& a, const PixelRect& b) {
    PixelRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (IsEmptyRect(r)) return {0, 0, 0, 0};
    return r;
}

inline PixelRect OffsetRect(const PixelRect& r, int32_t dx, int32_t dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace stampora
