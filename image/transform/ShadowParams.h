#pragma once
#include <cstdint>

namespace stampora {

// Settings of a drop shadow.
struct ShadowParams {
    int32_t blur = 5;  // box window side; the shadow also grows this much per side
    int32_t colour = static_cast<int32_t>(0xFF4B4B4Bu);  // ARGB; the alpha byte is replaced
    int32_t opacity = 75;                                // percent of the picture's alpha given to the shadow
    int32_t offsetX = 5;                                 // positive moves the shadow right
    int32_t offsetY = 5;                                 // positive moves the shadow down
};

}  // namespace stampora
