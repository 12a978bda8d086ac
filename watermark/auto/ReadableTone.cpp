#include "watermark/auto/ReadableTone.h"

namespace stampora {

ToneChoice ReadableTone(const CPictureSurvey& survey, const WatermarkBase& placed) {
    const AreaContrast contrast =
        survey.ContrastUnder(placed.LayerX(), placed.LayerY(), placed.CoverWidth(), placed.CoverHeight());
    const bool lightText = contrast.white >= contrast.black;
    return {lightText, lightText ? contrast.white : contrast.black};
}

}  // namespace stampora
