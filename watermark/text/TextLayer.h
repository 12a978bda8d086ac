#pragma once
// A rendered text watermark: a 32-bit picture whose colour channels hold the
// text colour and whose alpha holds the glyph coverage, plus the record it was
// drawn from and where the text itself lies inside it.
#include <cstdint>

#include "image/RasterImage.h"
#include "watermark/text/TextWatermarkParams.h"

namespace stampora {

class CTextLayer : public CRasterImage {
public:
    CTextLayer() = default;
    CTextLayer(const CTextLayer& other);
    // An exact copy: an empty source leaves this layer empty too.
    CTextLayer& operator=(const CTextLayer& other);
    ~CTextLayer() override = default;

    TextWatermarkParams params;
    int32_t textOffsetX = 0;  // where the text's top-left lies inside the layer
    int32_t textOffsetY = 0;
};

// Makes `target` an exact copy of `source`: pixels, palette and position, or
// empty (with the source's position) when the source is empty.
void CopyImageExactly(CRasterImage& target, const CRasterImage& source);

}  // namespace stampora
