#pragma once
// The values of the options that size, space and tile the marks: points or a
// percentage for --size, the relative forms of --image-size, --margin and
// --tile-gap. Each answers false for a value it does not take.
#include <string>

#include "batch/options/ToolOptions.h"

namespace stampora {

// "36" (points, 1..1000) or "4%" (of the picture's shorter side, as pixels).
bool ParseTextSize(const std::string& value, TextMarkOptions& text);

// "WxH", "W" (height kept in proportion), "best", "real", "20%" (of the
// picture's width) or "x20%" (of its height).
bool ParseImageSize(const std::string& value, ImageMarkOptions& image);

// "N" pixels or "N%" of the picture's shorter side; 0 is allowed.
bool ParseMargin(const std::string& value, MarkLayout& layout);

// "X" for both directions or "X,Y", each in pixels or a percentage of the
// picture's shorter side; 0 lets tiles touch.
bool ParseTileGap(const std::string& value, MarkLayout& layout);

// The fits the job takes from the options: each mark's relative size and
// the layout the options give both marks.
MarkFit TextMarkFit(const ToolOptions& options);
MarkFit ImageMarkFit(const ToolOptions& options);

}  // namespace stampora
