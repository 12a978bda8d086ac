#pragma once
#include <cstdint>

namespace stampora {

// No reader makes a picture of more pixels than this (16384 x 16384): a
// hostile header cannot make the program allocate gigabytes for a tiny file.
constexpr int64_t kMaxDecodedPixels = 268435456;

inline bool IsDecodableSize(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDecodedPixels && height <= kMaxDecodedPixels &&
           width * height <= kMaxDecodedPixels;
}

}  // namespace stampora
