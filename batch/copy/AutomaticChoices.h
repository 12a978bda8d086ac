#pragma once
// Where the marks go on one picture, and in what tone the text is drawn,
// when they are set to choose for themselves: the quietest place for a mark
// anchored AutoPlace, white or black for a text of automatic colour. Every
// copy the batch makes is placed here; the editor makes the same choices
// (ChooseQuietAnchors, ReadableTone) for the open picture.
#include <string>

#include "image/RasterImage.h"
#include "platform/Status.h"
#include "watermark/FittedMark.h"
#include "watermark/MarkLayerCache.h"
#include "watermark/text/MarkText.h"

namespace stampora {

// Places both marks, as made for `picture` (32-bit), by their anchors: an
// anchor AutoPlace is first resolved to the quietest place, and a text of
// automatic colour is made again (through `textMark`, with `facts`) in the
// tone that reads better against the picture under it there. What was chosen
// is told in `chosen` ("text mark at Right Top, white (contrast 8.4:1)"),
// empty when nothing was. False with the reason only when the text could
// not be made in its tone.
bool PlaceMarks(const CRasterImage& picture, CFittedTextMark& textMark, const MarkTextFacts& facts,
                PreparedMark& image, PreparedMark& text, std::string& chosen, Status& status);
// The same on a picture of width x height seen through `surveyed`, a reduced
// copy of it (a preview chooses as the run will, within its reduction).
bool PlaceMarks(const CRasterImage& surveyed, int32_t width, int32_t height, CFittedTextMark& textMark,
                const MarkTextFacts& facts, PreparedMark& image, PreparedMark& text, std::string& chosen,
                Status& status);

// Whether PlaceMarks needs the picture's pixels for these marks.
bool ChoosesByPicture(const PreparedMark& image, const PreparedMark& text, const CFittedTextMark& textMark);

}  // namespace stampora
