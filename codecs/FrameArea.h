#pragma once
// Rectangles of an animation's screen: where a frame is drawn, or where it
// differs from the frame before.
#include <cstdint>
#include <vector>

namespace stampora {

// A rectangle of the logical screen; empty when it has no width or height.
struct FrameArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Covers(int32_t screenWidth, int32_t screenHeight) const {
        return left == 0 && top == 0 && width == screenWidth && height == screenHeight;
    }
};

// Parts of the screen, such as those where a frame differs from the one
// before; they may overlap.
using FrameAreas = std::vector<FrameArea>;

// The smallest area holding both.
FrameArea AreaUnion(const FrameArea& a, const FrameArea& b);

}  // namespace stampora
