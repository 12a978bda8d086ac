#pragma once
// A coloured, offset, blurred silhouette under a 32-bit image.
#include <cstdint>

#include "image/PixelProcessor.h"
#include "image/transform/ShadowParams.h"

namespace stampora {

class CShadowProcessor final : public CCopyingProcessor {
public:
    // The blur is taken as 2 at least and the opacity as 1 ... 100.
    explicit CShadowProcessor(ShadowParams params);

    // An image with pixels and exactly 32 bits per pixel.
    bool Accepts(const CRasterImage& image) const override;
    int32_t Mode() const override { return kProcessWholeImage; }
    // Grows the image to hold the shadow and moves its position so the
    // picture stays where it was on the canvas.
    bool ApplyToImage(CRasterImage& image, CProgressSink* progress) override;

    const ShadowParams& Params() const { return params; }

private:
    ShadowParams params;
};

}  // namespace stampora
