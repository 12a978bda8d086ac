#pragma once
// Processors: small objects that CRasterImage::RunProcessor drives over an
// image, either once for the whole image or pixel by pixel.
#include <cstdint>
#include <memory>

#include "image/RasterImage.h"

namespace stampora {

// Receives progress reports of a processor run.
class CProgressSink {
public:
    virtual ~CProgressSink() = default;
    virtual void Reset() = 0;
    virtual void SetPercent(int32_t percent) = 0;
};

// How RunProcessor visits the image.
enum ProcessorMode : int32_t {
    kProcessWholeImage = 0,   // one ApplyToImage call
    kProcessPixelByPixel = 1  // ApplyToPixel for every pixel, line by line
};

class CPixelProcessor {
public:
    virtual ~CPixelProcessor() = default;

    virtual bool Accepts(const CRasterImage& image) const = 0;
    virtual int32_t Mode() const { return kProcessPixelByPixel; }
    // May re-create the image at another size. Answers false, with the image
    // as it was, when the memory for the new image cannot be had.
    virtual bool Begin(CRasterImage& image);
    virtual void ApplyToPixel(CRasterImage& image, int32_t x, int32_t y, uint8_t* pixel);
    // Pixel-by-pixel mode works line by line through this: it applies the
    // processor to every pixel of line y, left to right. The base calls
    // ApplyToPixel for each; a processor may override it to do a whole line
    // with the same result at less cost.
    virtual void ApplyToLine(CRasterImage& image, int32_t y, uint8_t* line);
    // Answers false, with the image as it was, when memory runs out.
    virtual bool ApplyToImage(CRasterImage& image, CProgressSink* progress);
    virtual void End(CRasterImage& image);
};

// A processor that works from a private copy of the image it runs on.
class CCopyingProcessor : public CPixelProcessor {
public:
    // An image with pixels and at least 24 bits per pixel.
    bool Accepts(const CRasterImage& image) const override;

protected:
    // Drops any earlier copy and answers a fresh, empty one.
    CRasterImage& NewCopy();
    CRasterImage* Copy() { return copy.get(); }

private:
    std::unique_ptr<CRasterImage> copy;
};

}  // namespace stampora
