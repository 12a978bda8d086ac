#include "watermark/ImageWatermark.h"

#include "image/ResizeImage.h"
#include "image/RotateProcessor.h"
#include "platform/MessageSink.h"
#include "watermark/TextLayer.h"
#include "watermark/WatermarkMessages.h"

ImageWatermark::ImageWatermark(const ImageWatermark& other) : base(other.base) {
    CopyImageExactly(layer, other.layer);
    CopyImageExactly(source, other.source);
}

ImageWatermark& ImageWatermark::operator=(const ImageWatermark& other) {
    if (&other == this) return *this;
    base = other.base;
    CopyImageExactly(layer, other.layer);
    CopyImageExactly(source, other.source);
    return *this;
}

void ImageWatermark::PrepareImageLayer() {
    if (!base.enabled) return;
    CopyImageExactly(layer, source);
    // A size the resampler refuses (0 or less, or a palette picture) leaves
    // the layer at the source's own size.
    ResizeImage(layer, base.width, base.height);
    layer.PromoteDepth(32);
}

void ImageWatermark::RebuildLayer() {
    // An inactive mark keeps its last layer as it is; turning it again would
    // add one rotation on top of the other.
    if (base.enabled) {
        PrepareImageLayer();
        if (base.rotation >= 1 && base.rotation <= 360) {
            CRotateProcessor rotate(base.rotation);
            layer.RunProcessor(rotate, nullptr);
        }
    }
    base.markWidth = layer.Width();
    base.markHeight = layer.Height();
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
