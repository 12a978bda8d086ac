#pragma once
// The text rasterizer's input: what to draw, in which font, size, colour and
// style, and the settings of the rasterizer's own shadow pass.
#include <cstdint>
#include <string>

#include "image/transform/ShadowParams.h"
#include "watermark/RelativeLength.h"

namespace stampora {

struct TextWatermarkParams {
    std::string text;              // UTF-8; line feeds break lines
    std::string fontFace;          // UTF-8 family name
    int32_t size = 24;             // em size in points
    float pixelSize = 0.0f;        // em size in pixels; above 0 it replaces size
    uint32_t colour = 0xFFFFFFFF;  // ARGB; only red, green and blue are drawn
    bool antialias = true;
    bool bold = false;
    bool italic = false;
    // A stroke around the glyphs, under their fill: its width in pixels or
    // as a percentage of the em size in pixels; a width of 0 draws none.
    RelativeLength outline;
    uint32_t outlineColour = 0xFF000000;  // ARGB, as `colour`
    bool shadow = false;
    ShadowParams shadowParams;
};

}  // namespace stampora
