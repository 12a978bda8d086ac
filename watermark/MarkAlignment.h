#pragma once
// The nine anchors of a batch watermark, clockwise from the top centre, with
// the centre last.
#include <cstdint>

namespace stampora {

enum MarkAlignment : int32_t {
    Top = 0,
    RightTop = 1,
    Right = 2,
    RightBottom = 3,
    Bottom = 4,
    LeftBottom = 5,
    Left = 6,
    LeftTop = 7,
    Center = 8,
    // Not a place: each picture's quietest of the nine (see QuietPlace.h).
    AutoPlace = 9,
};

constexpr int32_t kMarkAlignmentCount = 9;

// The nine places in the grid's order, row by row from the top left: the
// order in which equally good places are preferred.
constexpr MarkAlignment kGridOrder[kMarkAlignmentCount] = {LeftTop, Top,        RightTop, Left,       Center,
                                                           Right,   LeftBottom, Bottom,   RightBottom};

// The tooltip of the anchor's cell in the batch dialog's grid ("Right Top");
// "Auto" for AutoPlace; an empty text for any other value outside 0..8.
const char* MarkAlignmentTooltip(int32_t alignment);

}  // namespace stampora
