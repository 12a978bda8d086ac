#pragma once
// The progress bar's position (0..100) after `done` of `fileCount` files:
// each file adds 100 to an accumulator that is divided by the file count, so
// three files show 33, 66, 100.
#include <cstdint>

namespace stampora {

inline int32_t ProgressPosition(int64_t done, int64_t fileCount) {
    if (fileCount <= 0) return 100;
    return static_cast<int32_t>(done * 100 / fileCount);
}

}  // namespace stampora
