#include "watermark/TextLayer.h"

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

std::unique_ptr<LayerSnapshot> CTextLayer::MakeSnapshot() const {
    auto snapshot = std::make_unique<LayerSnapshot>();
    snapshot->offsetX = offsetX;
    snapshot->offsetY = offsetY;
    snapshot->textOffsetX = textOffsetX;
    snapshot->textOffsetY = textOffsetY;
    snapshot->textParams = params;
    return snapshot;
}

void CTextLayer::RestoreSnapshot(const LayerSnapshot& snapshot) {
    offsetX = snapshot.offsetX;
    offsetY = snapshot.offsetY;
    if (!snapshot.textParams) return;
    textOffsetX = snapshot.textOffsetX;
    textOffsetY = snapshot.textOffsetY;
    params = *snapshot.textParams;
}

}  // namespace stampora
