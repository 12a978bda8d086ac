#pragma once
// The automatic colour of a text mark: white or black, whichever reads better
// against the picture under it.
#include "watermark/WatermarkBase.h"
#include "watermark/auto/PictureSurvey.h"

namespace stampora {

struct ToneChoice {
    bool lightText = true;  // white text; black when false
    double contrast = 1.0;  // the chosen tone's mean contrast ratio there
};

// The tone with the higher mean contrast ratio against the area the mark's
// layer covers where it is placed; white on a tie.
ToneChoice ReadableTone(const CPictureSurvey& survey, const WatermarkBase& placed);

}  // namespace stampora
