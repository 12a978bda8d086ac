#pragma once
// The options that keep a mark readable on every picture: the text's outline
// (--outline WIDTH[,COLOR]) and its automatic colour (--color auto). The
// automatic place is the anchor "auto" (AlignmentFromName). Each answers
// false for a value it does not take.
#include <optional>
#include <string>

#include "batch/options/ToolOptions.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

// The widest outline in pixels, and as a percentage of the text size.
constexpr int32_t kWidestOutline = 1000;
constexpr double kWidestOutlinePercent = 50.0;

using ColourParser = std::optional<RgbColour> (*)(std::string);

// "2" (pixels, 1..1000) or "5%" (of the text size, 0.1%..50%), then
// optionally ",RRGGBB" for its colour (default black).
bool ParseOutline(const std::string& value, TextMarkOptions& text, ColourParser parseColour);

// "auto", or a colour `parseColour` takes.
bool ParseTextColour(const std::string& value, TextMarkOptions& text, ColourParser parseColour);

// The options' outline and automatic colour into the mark's settings.
void SetUpReadability(const TextMarkOptions& options, TextWatermark& mark);

}  // namespace stampora
