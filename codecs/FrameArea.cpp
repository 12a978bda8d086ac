#include "codecs/FrameArea.h"

#include <algorithm>

namespace stampora {

FrameArea AreaUnion(const FrameArea& a, const FrameArea& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    const int32_t left = std::min(a.left, b.left);
    const int32_t top = std::min(a.top, b.top);
    const int32_t right = std::max(a.left + a.width, b.left + b.width);
    const int32_t bottom = std::max(a.top + a.height, b.top + b.height);
    return FrameArea{left, top, right - left, bottom - top};
}

}  // namespace stampora
