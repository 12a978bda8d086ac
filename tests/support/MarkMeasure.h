#pragma once
// Measures marks by the pixels they changed on a plain picture.
#include <algorithm>
#include <cstdint>
#include <functional>

#include "image/RasterImage.h"

using namespace stampora;

namespace markmeasure {

struct Box {
    int32_t left = INT32_MAX;
    int32_t top = INT32_MAX;
    int32_t right = -1;  // exclusive
    int32_t bottom = -1;
    int32_t Width() const { return right > left ? right - left : 0; }
    int32_t Height() const { return bottom > top ? bottom - top : 0; }
};

using PixelTest = std::function<bool(const uint8_t* bgr)>;

// The smallest box holding every pixel that passes `test`.
inline Box BoxOf(const CRasterImage& picture, const PixelTest& test) {
    Box box;
    for (int32_t y = 0; y < picture.Height(); ++y) {
        for (int32_t x = 0; x < picture.Width(); ++x) {
            if (!test(picture.PixelAt(x, y))) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box;
}

// The height of the ink in rows, each row counting by its darkest pixel on a
// white picture (0..1), so antialiased edges count by their share.
inline double InkHeightOnWhite(const CRasterImage& picture) {
    double height = 0.0;
    for (int32_t y = 0; y < picture.Height(); ++y) {
        int32_t darkest = 255;
        for (int32_t x = 0; x < picture.Width(); ++x)
            darkest = std::min<int32_t>(darkest, picture.PixelAt(x, y)[1]);
        height += (255 - darkest) / 255.0;
    }
    return height;
}

// True when every horizontal run of pixels passing `test` is `width` long
// and every vertical run `height` long, unless it touches the picture's edge
// (where it may be shorter): the marks are whole or cut only by the edges.
inline bool RunsAreWholeOrEdgeCut(const CRasterImage& picture, const PixelTest& test, int32_t width,
                                  int32_t height) {
    auto check = [&](int32_t lines, int32_t length, int32_t expected, auto at) {
        for (int32_t line = 0; line < lines; ++line) {
            int32_t start = -1;
            for (int32_t i = 0; i <= length; ++i) {
                const bool in = i < length && test(at(line, i));
                if (in && start < 0) start = i;
                if (!in && start >= 0) {
                    const bool edge = start == 0 || i == length;
                    if (edge ? i - start > expected : i - start != expected) return false;
                    start = -1;
                }
            }
        }
        return true;
    };
    return check(picture.Height(), picture.Width(), width,
                 [&](int32_t y, int32_t x) { return picture.PixelAt(x, y); }) &&
           check(picture.Width(), picture.Height(), height,
                 [&](int32_t x, int32_t y) { return picture.PixelAt(x, y); });
}

inline bool IsRed(const uint8_t* bgr) {
    return bgr[2] > 200 && bgr[1] < 60 && bgr[0] < 60;
}

}  // namespace markmeasure
