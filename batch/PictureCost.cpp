#include "batch/PictureCost.h"

#include <filesystem>
#include <system_error>

#include "codecs/DecodeLimits.h"
#include "codecs/PictureHeader.h"
#include "platform/Utf8Path.h"

namespace stampora {

PictureCost EstimatePictureCost(const std::string& path) {
    PictureCost cost;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(PathFromUtf8(path), error);
    cost.fileBytes = error ? 0 : size;
    cost.bytes = static_cast<int64_t>(cost.fileBytes);
    const std::optional<PictureHeader> header = ReadPictureHeader(path);
    if (!header) return cost;
    cost.bitsPerChannel = header->bitsPerChannel;
    // Larger than any reader makes: refused before a pixel is held.
    if (!IsDecodableSize(header->width, header->height)) return cost;
    // A reader makes a picture of fewer than four channels at its own depth,
    // which is then made 32-bit beside it; one of four channels is made
    // 32-bit at once.
    const int64_t decoded = header->channels < 4 ? header->channels : 0;
    const int64_t perPixel = 4 + decoded + header->workingBytesPerPixel;
    cost.bytes += header->width * header->height * perPixel;
    return cost;
}

}  // namespace stampora
