#include "watermark/text/RenderText.h"

#include <cmath>
#include <vector>

#include "image/transform/ShadowProcessor.h"
#include "text/TextEngine.h"

namespace stampora {

namespace {

// The drawing surface's side for a measured extent: the extent plus one
// pixel, rounded up, in single precision.
int32_t SurfaceSide(float extent) {
    const float side = std::ceil(extent + 1.0f);
    return side >= 1.0f ? static_cast<int32_t>(side) : 1;
}

// Fills the layer with the text colour and takes the alpha from the
// white-on-black coverage.
void ColourFromCoverage(CRasterImage& layer, const std::vector<uint8_t>& coverage, uint32_t colour) {
    const uint8_t blue = static_cast<uint8_t>(colour);
    const uint8_t green = static_cast<uint8_t>(colour >> 8);
    const uint8_t red = static_cast<uint8_t>(colour >> 16);
    const int32_t width = layer.Width();
    for (int32_t y = 0; y < layer.Height(); ++y) {
        uint8_t* pixel = layer.Row(y);
        const uint8_t* cover = coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x, pixel += 4) {
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
            pixel[3] = cover[x];
        }
    }
}

TextStyle StyleOf(const TextWatermarkParams& params) {
    return TextStyle{params.fontFace, params.size,      params.bold,
                     params.italic,   params.antialias, params.pixelSize};
}

}  // namespace

void SmallestTextLayer(const TextWatermarkParams& params, int32_t& width, int32_t& height, bool& tooLarge) {
    const TextExtent extent = MeasureText(StyleOf(params), params.text);
    width = SurfaceSide(extent.width);
    height = SurfaceSide(extent.height);
    tooLarge = extent.tooLarge;
}

bool RenderText(CTextLayer& layer, TextWatermarkParams params, bool* tooLarge, std::u32string* missing) {
    // Where the text itself stood after the previous rendering.
    const int32_t anchorX = layer.offsetX + layer.textOffsetX;
    const int32_t anchorY = layer.offsetY + layer.textOffsetY;

    const CTextLayout layout = LayOutText(StyleOf(params), params.text);
    if (tooLarge) *tooLarge = layout.TooLarge();

    int32_t width = SurfaceSide(layout.Width());
    int32_t height = SurfaceSide(layout.Height());
    std::vector<uint8_t> coverage;
    bool complete = true;
    if (layer.Create(width, height, 32)) {
        coverage.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        layout.Draw(coverage.data(), width, height, static_cast<size_t>(width));
    } else if (layer.Create(1, 1, 32)) {
        // Without memory for the text, the layer is a transparent dot rather
        // than stale pixels of an earlier rendering.
        width = height = 1;
        coverage.assign(1, 0);
        complete = false;
    } else {
        complete = false;
    }
    if (!layer.IsEmpty()) ColourFromCoverage(layer, coverage, params.colour);
    if (complete && layout.HasColour()) {
        std::vector<uint8_t*> rows(static_cast<size_t>(height));
        for (int32_t y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = layer.Row(y);
        layout.DrawColour(rows.data(), width, height);
    }
    if (missing) *missing = layout.Missing();

    layer.offsetX = anchorX;
    layer.offsetY = anchorY;
    if (params.shadow && !layer.IsEmpty()) {
        CShadowProcessor dropShadow(params.shadowParams);
        complete = layer.RunProcessor(dropShadow, nullptr) && complete;
        // The shadow grew the layer to the left by min(0, offsetX - blur) and
        // upwards likewise (the blur taken as the processor takes it); the
        // processor has moved the position by exactly that growth.
    }
    layer.params = std::move(params);
    layer.textOffsetX = anchorX - layer.offsetX;
    layer.textOffsetY = anchorY - layer.offsetY;
    return complete;
}

}  // namespace stampora
