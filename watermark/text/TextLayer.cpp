#include "watermark/text/TextLayer.h"

namespace stampora {

void CopyImageExactly(CRasterImage& target, const CRasterImage& source) {
    if (&target == &source) return;
    if (source.IsEmpty()) {
        target.Destroy();
        target.offsetX = source.offsetX;
        target.offsetY = source.offsetY;
        return;
    }
    target.Assign(source);
}

CTextLayer::CTextLayer(const CTextLayer& other)
    : CRasterImage(other),
      params(other.params),
      textOffsetX(other.textOffsetX),
      textOffsetY(other.textOffsetY) {
    offsetX = other.offsetX;
    offsetY = other.offsetY;
}

CTextLayer& CTextLayer::operator=(const CTextLayer& other) {
    if (&other == this) return *this;
    CopyImageExactly(*this, other);
    params = other.params;
    textOffsetX = other.textOffsetX;
    textOffsetY = other.textOffsetY;
    return *this;
}

}  // namespace stampora
