#include "batch/options/ReadableMarkOptions.h"

namespace stampora {

bool ParseOutline(const std::string& value, TextMarkOptions& text, ColourParser parseColour) {
    const size_t comma = value.find(',');
    Status refused;
    const std::optional<RelativeLength> width = ParseRelativeLength(value.substr(0, comma), 1, refused);
    if (!width || width->value > (width->percent ? kWidestOutlinePercent : kWidestOutline)) return false;
    RgbColour colour;
    if (comma != std::string::npos) {
        const std::optional<RgbColour> given = parseColour(value.substr(comma + 1));
        if (!given) return false;
        colour = *given;
    }
    text.outline = width;
    text.outlineColour = colour;
    return true;
}

bool ParseTextColour(const std::string& value, TextMarkOptions& text, ColourParser parseColour) {
    text.autoColour = value == "auto";
    if (text.autoColour) return true;
    const std::optional<RgbColour> colour = parseColour(value);
    if (colour) text.colour = *colour;
    return colour.has_value();
}

void SetUpReadability(const TextMarkOptions& options, TextWatermark& mark) {
    mark.outlineEnabled = options.outline.has_value();
    if (options.outline) mark.outlineWidth = *options.outline;
    mark.outlineColour = options.outlineColour;
    mark.autoColour = options.autoColour;
}

}  // namespace stampora
