#pragma once
// Alpha-weighted box blur with moving sums: the cost per pixel does not grow
// with the window.
#include <cstdint>

#include "image/PixelProcessor.h"

namespace stampora {

class CBoxBlurProcessor final : public CCopyingProcessor {
public:
    // A window of `size` x `size` pixels (2 at least). With `fillEdges` the
    // picture's edge is repeated beyond its border; otherwise the outside is
    // transparent black and edges fade.
    CBoxBlurProcessor(int32_t size, bool fillEdges);

    int32_t Mode() const override { return kProcessWholeImage; }
    // Makes room for the few lines the blur must keep while it overwrites
    // the picture in place (half a window plus one). Refuses a window so
    // large that the picture grown by it would pass 2^32 pixels.
    bool Begin(CRasterImage& image) override;
    bool ApplyToImage(CRasterImage& image, CProgressSink* progress) override;

    int32_t Size() const { return size; }

private:
    int32_t size;
    bool fillEdges;
};

}  // namespace stampora
