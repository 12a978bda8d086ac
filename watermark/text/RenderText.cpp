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
// white-on-black coverage; where an outline is drawn, the fill lies over the
// outline's colour.
void ColourFromCoverage(CRasterImage& layer, const std::vector<uint8_t>& coverage,
                        const std::vector<uint8_t>& outline, uint32_t colour, uint32_t outlineColour) {
    const int32_t width = layer.Width();
    for (int32_t y = 0; y < layer.Height(); ++y) {
        uint8_t* pixel = layer.Row(y);
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x, pixel += 4) {
            const uint32_t fill = coverage[row + static_cast<size_t>(x)];
            const uint32_t under = outline.empty() ? 0 : outline[row + static_cast<size_t>(x)];
            if (under == 0 || fill == 255) {
                pixel[0] = static_cast<uint8_t>(colour);
                pixel[1] = static_cast<uint8_t>(colour >> 8);
                pixel[2] = static_cast<uint8_t>(colour >> 16);
                pixel[3] = static_cast<uint8_t>(fill == 255 ? 255 : fill);
                continue;
            }
            // Straight alpha of the fill over the outline, in 255ths of 255.
            const uint32_t underShare = under * (255 - fill);
            const uint32_t alpha = fill * 255 + underShare;
            for (int c = 0; c < 3; ++c) {
                const uint32_t front = (colour >> (8 * c)) & 0xFF;
                const uint32_t back = (outlineColour >> (8 * c)) & 0xFF;
                pixel[c] =
                    alpha == 0
                        ? static_cast<uint8_t>(front)
                        : static_cast<uint8_t>((front * fill * 255 + back * underShare + alpha / 2) / alpha);
            }
            pixel[3] = static_cast<uint8_t>((alpha + 127) / 255);
        }
    }
}

// The outline's width in pixels for the text's em size.
float OutlinePixels(const TextWatermarkParams& params) {
    if (!(params.outline.value > 0.0)) return 0.0f;
    if (!params.outline.percent) return static_cast<float>(params.outline.value);
    const double em = params.pixelSize > 0.0f ? double{params.pixelSize} : params.size * 96.0 / 72.0;
    return static_cast<float>(params.outline.value / 100.0 * em);
}

TextStyle StyleOf(const TextWatermarkParams& params) {
    return TextStyle{params.fontFace,  params.size,      params.bold,          params.italic,
                     params.antialias, params.pixelSize, OutlinePixels(params)};
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
    std::vector<uint8_t> outline;
    bool complete = true;
    if (layer.Create(width, height, 32)) {
        coverage.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        layout.Draw(coverage.data(), width, height, static_cast<size_t>(width));
        if (OutlinePixels(params) > 0.0f) {
            outline.assign(coverage.size(), 0);
            layout.DrawOutline(outline.data(), width, height, static_cast<size_t>(width));
        }
    } else if (layer.Create(1, 1, 32)) {
        // Without memory for the text, the layer is a transparent dot rather
        // than stale pixels of an earlier rendering.
        width = height = 1;
        coverage.assign(1, 0);
        complete = false;
    } else {
        complete = false;
    }
    if (!layer.IsEmpty()) ColourFromCoverage(layer, coverage, outline, params.colour, params.outlineColour);
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
