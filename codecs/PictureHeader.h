#pragma once
// What a picture file's header says of the picture, read without decoding
// it: enough to know what decoding it will cost before it starts.
#include <cstdint>
#include <optional>
#include <string>

namespace stampora {

struct PictureHeader {
    int64_t width = 0;
    int64_t height = 0;
    int32_t channels = 0;        // samples per pixel, 1 to 4 (more are counted as 4)
    int32_t bitsPerChannel = 0;  // 1 to 16
    // Memory the reader holds besides the picture it makes, in bytes per
    // pixel: a progressive JPEG keeps every coefficient until the last scan,
    // a GIF animation its screens.
    int32_t workingBytesPerPixel = 0;
};

// The header of a JPEG, PNG, TIFF, GIF, BMP or TGA file, read by the format's
// library or bounds-checked by hand; nothing for another format, a file
// that cannot be read, or a header that makes no sense (no pixels).
std::optional<PictureHeader> ReadPictureHeader(const std::string& path);

}  // namespace stampora
