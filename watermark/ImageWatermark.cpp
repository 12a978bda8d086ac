#include "watermark/ImageWatermark.h"

#include <algorithm>

#include "codecs/DecodeLimits.h"
#include "image/transform/ResizeImage.h"
#include "image/transform/RotateProcessor.h"
#include "platform/MessageSink.h"
#include "watermark/WatermarkMessages.h"
#include "watermark/text/TextLayer.h"

namespace stampora {

ImageWatermark::ImageWatermark(const ImageWatermark& other) : base(other.base), file(other.file) {
    CopyImageExactly(layer, other.layer);
    CopyImageExactly(source, other.source);
}

ImageWatermark& ImageWatermark::operator=(const ImageWatermark& other) {
    if (&other == this) return *this;
    base = other.base;
    file = other.file;
    CopyImageExactly(layer, other.layer);
    CopyImageExactly(source, other.source);
    return *this;
}

bool ImageWatermark::PrepareImageLayer() {
    if (!base.enabled) return true;
    if (IsOverPixelLimit()) {
        // Never scaled: it would take gigabytes only to be left off. A
        // transparent dot stands in; the mark keeps the size asked for, so
        // every fit check finds it too large.
        if (!layer.Create(1, 1, 32)) return false;
        std::fill_n(layer.Row(0), 4, uint8_t{0});
        return true;
    }
    CopyImageExactly(layer, source);
    // Made 32-bit first: the resampler takes no palette, and a GIF or 8-bit
    // PNG logo must take the chosen size like any other.
    if (!layer.PromoteDepth(32)) return false;
    // A size of 0 or less leaves the layer at the source's own size.
    if (base.width <= 0 || base.height <= 0) return true;
    if (layer.Width() == base.width && layer.Height() == base.height) return true;
    return ResizeImage(layer, base.width, base.height);
}

bool ImageWatermark::RebuildLayer() {
    // An inactive mark keeps its last layer as it is; turning it again would
    // add one rotation on top of the other.
    bool complete = true;
    if (base.enabled) {
        complete = PrepareImageLayer();
        if (complete && base.rotation >= 1 && base.rotation <= 360 && layer.Width() > 1 &&
            layer.Height() > 1) {
            CRotateProcessor rotate(base.rotation);
            complete = layer.RunProcessor(rotate, nullptr);
        }
    }
    base.markWidth = layer.Width();
    base.markHeight = layer.Height();
    if (base.enabled && IsOverPixelLimit()) {
        base.markWidth = base.width;
        base.markHeight = base.height;
    }
    base.overhang = LayerOverhang{};
    return complete;
}

WatermarkBase ImageWatermark::BaseToBe() const {
    WatermarkBase toBe = base;
    toBe.overhang = LayerOverhang{};
    if (IsOverPixelLimit()) {
        toBe.markWidth = base.width;
        toBe.markHeight = base.height;
        return toBe;
    }
    const bool chosen = base.width > 0 && base.height > 0;
    toBe.markWidth = chosen ? base.width : source.Width();
    toBe.markHeight = chosen ? base.height : source.Height();
    if (base.rotation >= 1 && base.rotation <= 360 && toBe.markWidth > 1 && toBe.markHeight > 1) {
        const auto [width, height] =
            CRotateProcessor::TurnedSize(base.rotation, toBe.markWidth, toBe.markHeight);
        toBe.markWidth = static_cast<int32_t>(std::min<double>(width, INT32_MAX));
        toBe.markHeight = static_cast<int32_t>(std::min<double>(height, INT32_MAX));
    }
    return toBe;
}

bool ImageWatermark::IsOverPixelLimit() const {
    return base.width > 0 && base.height > 0 && int64_t{base.width} * base.height > kMaxDecodedPixels;
}

bool WarnIfWidthExceedsPicture(const WatermarkBase& mark, int32_t requestedWidth) {
    if (mark.pictureWidth <= 0 || requestedWidth <= mark.pictureWidth) return false;
    ShowMessage(kWidthBiggerThanPictureMessage, kErrorCaption, MessageIcon::Error);
    return true;
}

bool WarnIfHeightExceedsPicture(const WatermarkBase& mark, int32_t requestedHeight) {
    if (mark.pictureHeight <= 0 || requestedHeight <= mark.pictureHeight) return false;
    ShowMessage(kHeightBiggerThanPictureMessage, kErrorCaption, MessageIcon::Error);
    return true;
}

}  // namespace stampora
