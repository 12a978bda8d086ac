#pragma once
#include <cstddef>
#include <cstdint>

namespace stampora {

// No reader makes a picture of more pixels than this (16384 x 16384): a
// hostile header cannot make the program allocate gigabytes for a tiny file.
#ifdef STAMPORA_FUZZING
// The fuzz targets run within 2 GB: a picture at the full limit and the copy
// that turns it upright would take that alone, so there the limit is 64
// megapixels; every check against it is the same.
constexpr int64_t kMaxDecodedPixels = int64_t{64} << 20;
#else
constexpr int64_t kMaxDecodedPixels = 268435456;
#endif

inline bool IsDecodableSize(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDecodedPixels && height <= kMaxDecodedPixels &&
           width * height <= kMaxDecodedPixels;
}

// WebP, HEIF/AVIF and JPEG XL can describe a flat picture in very few bytes,
// so their bound is loose; it still keeps a file of a few hundred bytes from
// claiming a picture of gigabytes.
constexpr int64_t kMostPixelsPerFileByte = 65536;

inline bool FileCanHoldPixels(int64_t width, int64_t height, size_t fileBytes) {
    return IsDecodableSize(width, height) &&
           width * height / kMostPixelsPerFileByte <= static_cast<int64_t>(fileBytes);
}

}  // namespace stampora
