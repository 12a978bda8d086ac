#pragma once
// The one picture type: a device-independent bitmap in memory (info header,
// bottom-up rows padded to four bytes, colour masks for 16 bits, a palette for
// 8 bits or fewer), addressed top-down through a row table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/DibTypes.h"
#include "image/PlacedObject.h"
#include "platform/Status.h"

namespace stampora {

class CImageProperties;
class CPictureFiles;
class CPixelProcessor;
class CProgressSink;

class CRasterImage : public CPlacedObject {
public:
    CRasterImage() = default;
    CRasterImage(const CRasterImage& other);
    CRasterImage& operator=(const CRasterImage& other);
    ~CRasterImage() override;

    // Lifetime. A refused Create leaves the image as it was; a failed
    // allocation leaves it empty.
    bool Create(const DibInfoHeader* header);
    bool Create(int32_t width, int32_t height, int32_t bpp);
    void Destroy();
    CRasterImage& Assign(const CRasterImage& other);
    // Exchanges the whole content (pixels, header, palette, position).
    void Swap(CRasterImage& other) noexcept;

    // Header and layout.
    bool IsEmpty() const { return pixels == nullptr; }
    int32_t Width() const { return header.biWidth; }
    int32_t Height() const { return header.biHeight; }
    int32_t Bpp() const { return header.biBitCount; }
    size_t Stride() const { return stride; }
    size_t PixelBytes() const {
        return stride * static_cast<size_t>(header.biHeight > 0 ? header.biHeight : 0);
    }
    const DibInfoHeader& Header() const { return header; }
    uint32_t RedMask() const { return redMask; }
    uint32_t GreenMask() const { return greenMask; }
    uint32_t BlueMask() const { return blueMask; }
    uint8_t* Pixels() { return pixels; }
    const uint8_t* Pixels() const { return pixels; }
    uint8_t* Row(int32_t y) { return rows[y]; }
    const uint8_t* Row(int32_t y) const { return rows[y]; }
    uint8_t** RowTable() { return rows; }
    PaletteColour* Palette() { return palette; }
    const PaletteColour* Palette() const { return palette; }
    int32_t PaletteSize() const { return palette ? (1 << header.biBitCount) : 0; }

    // Addressing and reading.
    bool Contains(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < header.biWidth && y < header.biHeight;
    }
    uint8_t* PixelAt(int32_t x, int32_t y) {
        if (header.biBitCount == 32) return rows[y] + (static_cast<size_t>(x) << 2);
        if (header.biBitCount == 8) return rows[y] + x;
        return rows[y] + (static_cast<size_t>(header.biBitCount) * static_cast<size_t>(x)) / 8;
    }
    const uint8_t* PixelAt(int32_t x, int32_t y) const {
        return const_cast<CRasterImage*>(this)->PixelAt(x, y);
    }
    uint32_t ReadPixel(int32_t x, int32_t y) const;

    // Palette.
    bool SetPalette(int32_t first, int32_t count, const PaletteColour* entries);
    void CopyPaletteFrom(const CRasterImage& other);
    void ResetGrayPalette();

    // Alpha, conversion and geometry.
    void FillAlpha(uint8_t alpha);
    // Converts the pixels to 24 or 32 bits; true when the picture has that
    // depth afterwards. Without the memory, the picture stays as it was, and
    // the reason (a Mark failure) goes to `status` when it is given.
    bool PromoteDepth(int32_t targetBpp, Status* status = nullptr);

    // A heap block (delete[] as uint8_t) holding the header followed by the
    // palette (bpp <= 8) or the three masks.
    DibInfoHeader* NewDibHeader() const;
    size_t DibHeaderBytes() const;

    // Files. Paths are UTF-8. `status`, when given, gets the reason for a
    // failure and notes a picture that was read only in part. The file
    // formats live with the codecs, above this library: a caller includes
    // "codecs/PictureFiles.h", which completes CPictureFiles.
    template <typename Files = CPictureFiles>
    bool Load(const std::string& path, CImageProperties* metadata = nullptr, Status* status = nullptr) {
        return Files::Load(*this, path, metadata, status);
    }
    template <typename Files = CPictureFiles>
    bool Save(const std::string& path, int quality = -1, Status* status = nullptr) const {
        return Files::Save(*this, path, quality, status);
    }

    // Compositing and processors (pixel work).
    void BlendLayer(const CRasterImage& layer, int32_t x, int32_t y, int32_t opacity);
    void BlendStretched(const CRasterImage& source, const PixelRect& dest, const PixelRect& src,
                        int32_t opacity);
    bool RunProcessor(CPixelProcessor& processor, CProgressSink* progress);

    // Display bridge (image/DisplayBridge.cpp): drawing on an off-screen
    // surface in its content coordinates. DrawToDC stretches the source
    // rectangle (top-down) into the destination without smoothing; the short
    // form draws the whole image. CaptureFromDC makes this image a 24-bit copy
    // of a rectangle of the surface. DrawBlendedToDC blends this 32-bit layer,
    // stretched to the rectangle, over what the surface shows there.
    void DrawToDC(class CDrawingSurface& dc, const PixelRect& dest, const PixelRect& src) const;
    void DrawToDC(CDrawingSurface& dc, const PixelRect& dest) const;
    bool CaptureFromDC(CDrawingSurface& dc, const PixelRect& rect);
    void DrawBlendedToDC(CDrawingSurface& dc, const PixelRect& rect, int32_t opacity) const;

private:
    bool Allocate(const DibInfoHeader& validated, uint32_t masks[3]);

    DibInfoHeader header{};
    uint8_t* pixels = nullptr;
    uint8_t** rows = nullptr;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    PaletteColour* palette = nullptr;
    size_t stride = 0;
};

// The bytes of one padded line: ((bpp * width + 31) / 32) * 4.
inline size_t DibStride(int64_t width, int32_t bpp) {
    return static_cast<size_t>(((static_cast<int64_t>(bpp) * width + 31) / 32) * 4);
}

}  // namespace stampora
