#include "batch/copy/AutomaticChoices.h"

#include <cstdio>
#include <vector>

#include "watermark/auto/PictureSurvey.h"
#include "watermark/auto/QuietPlace.h"
#include "watermark/auto/ReadableTone.h"

namespace stampora {

namespace {

bool PlacedAutomatically(const PreparedMark& mark) {
    return mark.base.enabled && mark.base.alignment == AutoPlace;
}

void Tell(std::string& chosen, const std::string& what) {
    chosen += (chosen.empty() ? "" : ", ") + what;
}

}  // namespace

bool ChoosesByPicture(const PreparedMark& image, const PreparedMark& text, const CFittedTextMark& textMark) {
    return PlacedAutomatically(image) || PlacedAutomatically(text) || textMark.AutoColour();
}

bool PlaceMarks(const CRasterImage& picture, CFittedTextMark& textMark, const MarkTextFacts& facts,
                PreparedMark& image, PreparedMark& text, std::string& chosen, Status& status) {
    return PlaceMarks(picture, picture.Width(), picture.Height(), textMark, facts, image, text, chosen,
                      status);
}

bool PlaceMarks(const CRasterImage& surveyed, int32_t width, int32_t height, CFittedTextMark& textMark,
                const MarkTextFacts& facts, PreparedMark& image, PreparedMark& text, std::string& chosen,
                Status& status) {
    chosen.clear();
    if (!ChoosesByPicture(image, text, textMark)) {
        image.base.PlaceByAlignment(width, height);
        text.base.PlaceByAlignment(width, height);
        return true;
    }
    const CPictureSurvey survey(surveyed, width, height);
    const std::vector<int32_t> anchors = ChooseQuietAnchors(survey, width, height, {image.base, text.base});
    const auto place = [&](PreparedMark& mark, int32_t anchor) {
        mark.base.alignment = anchor;
        mark.base.PlaceByAlignment(width, height);
    };
    if (PlacedAutomatically(image))
        Tell(chosen, std::string("image mark at ") + MarkAlignmentTooltip(anchors[0]));
    if (PlacedAutomatically(text))
        Tell(chosen, std::string("text mark at ") + MarkAlignmentTooltip(anchors[1]));
    place(image, anchors[0]);
    place(text, anchors[1]);
    if (!textMark.AutoColour()) return true;

    const WatermarkBase& at = text.base;
    const AreaContrast contrast =
        survey.ContrastUnder(at.LayerX(), at.LayerY(), at.CoverWidth(), at.CoverHeight());
    // A tie goes to white, the tone the text was first made in.
    const bool lightText = contrast.white >= contrast.black;
    char told[64];
    std::snprintf(told, sizeof told, "text %s (contrast %.1f:1)", lightText ? "white" : "black",
                  lightText ? contrast.white : contrast.black);
    Tell(chosen, told);
    if (lightText) return true;
    if (!textMark.ForPicture(facts, text, status, false)) return false;
    place(text, anchors[1]);
    return true;
}

}  // namespace stampora
