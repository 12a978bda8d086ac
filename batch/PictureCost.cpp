#include "batch/PictureCost.h"

#include "codecs/DecodeLimits.h"

namespace stampora {

int64_t PictureCost(const std::optional<PictureHeader>& header, uintmax_t fileBytes) {
    const auto bytes = static_cast<int64_t>(fileBytes);
    // Larger than any reader makes: refused before a pixel is held.
    if (!header || !IsDecodableSize(header->width, header->height)) return bytes;
    // A reader makes a picture of fewer than four channels at its own depth,
    // which is then made 32-bit beside it; one of four channels is made
    // 32-bit at once.
    const int64_t decoded = header->channels < 4 ? header->channels : 0;
    const int64_t perPixel = 4 + decoded + header->workingBytesPerPixel;
    return bytes + header->width * header->height * perPixel;
}

}  // namespace stampora
