#pragma once
// Fills the job's marks from the command line the way the text and image
// watermark dialogs fill them when the user presses OK.
#include <string>

#include "batch/options/ToolOptions.h"
#include "platform/Status.h"
#include "watermark/ImageWatermark.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

// The family used when --font is not given: DejaVu Sans when installed, else
// the first installed family; empty when no font is installed.
std::string DefaultFontFamily();

// Text, font, style, colour, opacity, rotation, shadow and anchor into the
// mark, which becomes active, then its rendering settings from them. Refuses
// (false with the reason in `status`) a family that is not installed.
bool SetUpTextMark(const TextMarkOptions& options, TextWatermark& mark, Status& status);

// Loads the mark's picture and sets its size, opacity, rotation and anchor;
// the mark becomes active. Refuses (false with the reason in `status`) a
// picture that does not load.
bool SetUpImageMark(const ImageMarkOptions& options, ImageWatermark& mark, Status& status);

}  // namespace stampora
