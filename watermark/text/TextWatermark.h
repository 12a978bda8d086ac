#pragma once
// A text watermark: placement, the settings the text dialog edits, and the
// layer rendered from them.
#include <cstdint>
#include <string>

#include "codecs/DecodeLimits.h"
#include "image/transform/ShadowParams.h"
#include "platform/Status.h"
#include "watermark/RelativeLength.h"
#include "watermark/RgbColour.h"
#include "watermark/WatermarkBase.h"
#include "watermark/text/FontSelection.h"
#include "watermark/text/TextLayer.h"
#include "watermark/text/TextWatermarkParams.h"

namespace stampora {

// The recorded size of a text too large to draw: no picture within the decode
// limits is this long and this wide at once.
constexpr int32_t kTextTooLargeSide = static_cast<int32_t>(kMaxDecodedPixels);

struct TextWatermark {
    WatermarkBase base;
    // What the text dialog reads and writes.
    std::u16string text;
    RgbColour colour;
    FontSpec font;
    bool shadowEnabled = false;
    int32_t shadowDistance = 0;
    int32_t shadowOpacity = 100;
    int32_t smooth = 0;
    RgbColour shadowColour;
    // A stroke around the glyphs, under the fill and over the shadow.
    bool outlineEnabled = false;
    RelativeLength outlineWidth{2.0, false};  // pixels, or a percentage of the text size
    RgbColour outlineColour;
    // White or black text, whichever reads better on each picture, with the
    // outline and shadow in the other (see UseTone); `colour` is then unused.
    bool autoColour = false;
    // Rendered from the settings.
    CTextLayer layer;
    TextWatermarkParams params;
    ShadowParams shadow;  // the mark's own shadow, applied after rotation
    // The characters of the text no installed font has, drawn in the layer
    // as the font's empty box.
    std::u32string missingCharacters;

    // Takes the dialog's settings into params and shadow. Does nothing while
    // the font size is below 1 (a dialog never confirmed), so the previous
    // rendering settings stay in force.
    void UpdateParams();

    // The automatic colour's choice: white text (or black when not
    // `lightText`), the outline and shadow in the other, set in the
    // settings and straight into params and shadow.
    void UseTone(bool lightText);

    // Renders params into the layer, rotates it, records its size in width,
    // height, markWidth and markHeight, and adds the mark's own shadow, whose
    // growth becomes the overhang; records the characters no font has. A
    // text larger than the engine draws is a
    // transparent dot recorded as kTextTooLargeSide on each side, so every fit
    // check finds it too large. Answers false when memory ran out on the way,
    // so the layer is not the mark asked for.
    bool RebuildLayer();

    // The record with the least size RebuildLayer can give the mark
    // (markWidth, markHeight), found without drawing a glyph: the text
    // measured by its advances, turned by the rotation; kTextTooLargeSide
    // each side for a text the advances show too large to draw. The shadow's
    // overhang is not counted.
    WatermarkBase SmallestBase() const;

    // The fit check with the text watermark's message.
    bool CheckFits() { return base.CheckFits(MarkKind::Text); }
};

// Adds "no font has U+XXXX" to the status's mark warning for each of the
// characters the user was not yet told of: a character is told once in the
// life of the program, not at every rebuild or picture. Safe from several
// threads.
void WarnMissingCharacters(const std::u32string& missing, Status& status);

}  // namespace stampora
