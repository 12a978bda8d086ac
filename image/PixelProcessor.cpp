#include "image/PixelProcessor.h"

#include "image/RasterImage.h"

namespace stampora {

bool CPixelProcessor::Begin(CRasterImage&) {
    return true;
}
void CPixelProcessor::ApplyToPixel(CRasterImage&, int32_t, int32_t, uint8_t*) {}
void CPixelProcessor::ApplyToLine(CRasterImage& image, int32_t y, uint8_t*) {
    const int32_t width = image.Width();
    for (int32_t x = 0; x < width; ++x) ApplyToPixel(image, x, y, image.PixelAt(x, y));
}
bool CPixelProcessor::ApplyToImage(CRasterImage&, CProgressSink*) {
    return true;
}
void CPixelProcessor::End(CRasterImage&) {}

bool CCopyingProcessor::Accepts(const CRasterImage& image) const {
    return !image.IsEmpty() && image.Bpp() >= 24;
}

CRasterImage& CCopyingProcessor::NewCopy() {
    copy = std::make_unique<CRasterImage>();
    return *copy;
}

bool CRasterImage::RunProcessor(CPixelProcessor& processor, CProgressSink* progress) {
    if (!processor.Accepts(*this)) return false;
    if (!processor.Begin(*this)) return false;
    if (progress != nullptr) progress->Reset();

    const int32_t mode = processor.Mode();
    if (mode == kProcessWholeImage) {
        if (!processor.ApplyToImage(*this, progress)) return false;
    } else if (mode == kProcessPixelByPixel) {
        // Begin may have re-created the image, so its size is read now.
        const int32_t height = Height();
        for (int32_t y = 0; y < height; ++y) {
            processor.ApplyToLine(*this, y, Row(y));
            if (progress != nullptr)
                progress->SetPercent(static_cast<int32_t>(100 * (int64_t{y} + 1) / height));
        }
    }
    processor.End(*this);
    return true;
}

}  // namespace stampora
