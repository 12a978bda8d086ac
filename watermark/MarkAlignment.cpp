#include "watermark/MarkAlignment.h"

namespace stampora {

const char* MarkAlignmentTooltip(int32_t alignment) {
    static const char* const tooltips[kMarkAlignmentCount] = {
        "Top", "Right Top", "Right", "Right Bottom", "Bottom", "Left Bottom", "Left", "Left Top", "Center",
    };
    if (alignment == AutoPlace) return "Auto";
    if (alignment < 0 || alignment >= kMarkAlignmentCount) return "";
    return tooltips[alignment];
}

}  // namespace stampora
