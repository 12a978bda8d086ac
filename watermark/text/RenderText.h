#pragma once
// The text rasterizer: draws a text watermark record into a 32-bit layer.
#include <string>

#include "watermark/text/TextLayer.h"
#include "watermark/text/TextWatermarkParams.h"

namespace stampora {

// Re-creates the layer as (ceil(width + 1) x ceil(height + 1)) pixels of the
// measured text: every pixel holds the text colour, the alpha holds the glyph
// coverage. Adds the record's own shadow pass when it asks for one. The text
// keeps its place on the canvas from one rendering to the next (the anchor is
// the layer's position plus its text offset). A font the text engine does not
// know gives a 1 x 1 transparent layer; nothing is reported. So does a text
// larger than the engine draws, which sets `tooLarge` when given. Colour glyphs
// (emoji) keep their own colours. `missing`, when given, receives the
// characters no installed font has. Answers false only when memory for the
// layer or its shadow could not be had: the layer is then a transparent dot
// (or empty) or lacks its shadow.
bool RenderText(CTextLayer& layer, TextWatermarkParams params, bool* tooLarge = nullptr,
                std::u32string* missing = nullptr);

// The least size RenderText gives the layer of `params` before its shadow,
// found without drawing a glyph: the text's advances and line spacing
// (MeasureText) with the pixel RenderText adds. `tooLarge` is set when the
// advances already show the text larger than the engine draws.
void SmallestTextLayer(const TextWatermarkParams& params, int32_t& width, int32_t& height, bool& tooLarge);

}  // namespace stampora
