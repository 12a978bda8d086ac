#pragma once
// Shared by the header readers: a picture file opened for its header, and
// the readers of the newer formats (PictureHeaderNewer.cpp).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "codecs/PictureHeader.h"

namespace stampora {

// The start of the file, enough for the fixed headers read by hand, and its
// end, enough for the longest ending checked: PNG's IEND chunk.
constexpr size_t kHeadBytes = 64;
constexpr size_t kTailBytes = 12;

struct OpenPicture {
    std::FILE* file = nullptr;
    uint64_t size = 0;
    uint8_t head[kHeadBytes] = {};
    size_t headBytes = 0;
    uint8_t tail[kTailBytes] = {};
    size_t tailBytes = 0;

    bool EndsWith(const uint8_t* ending, size_t bytes) const {
        return tailBytes >= bytes && std::equal(ending, ending + bytes, tail + tailBytes - bytes);
    }
    // Reads `bytes` at `offset`; false when the file holds fewer.
    bool ReadAt(uint64_t offset, void* out, size_t bytes) const;
};

// The header with its channels brought to 1..4 and `whole` cleared for a
// size the readers refuse; nothing for a header without pixels.
std::optional<PictureHeader> Checked(PictureHeader header);

// WebP by libwebp's own parse of its first bytes; whole when the RIFF
// container is as long as it says.
std::optional<PictureHeader> WebpHeader(const OpenPicture& picture);
// HEIF and AVIF by libheif from the file's boxes (the pixels are not read);
// whole when the top-level boxes fill the file exactly.
std::optional<PictureHeader> HeifHeader(const OpenPicture& picture);
// JPEG XL by libjxl's basic info. Nothing short of decoding finds a frame
// cut short, so only `decodeForWhole` tells whether it is whole: the file is
// then decoded into nothing.
std::optional<PictureHeader> JxlHeader(const OpenPicture& picture, bool decodeForWhole);

}  // namespace stampora
