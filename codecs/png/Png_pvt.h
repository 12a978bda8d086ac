#pragma once
// Internals of the PNG codec.
//
// The "Raw profile type exif" text chunk other tools use for EXIF in PNG:
// a line feed, the profile name, a line feed, the byte count, a line feed,
// then the bytes as hexadecimal digits with line breaks.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace stampora {

// Decodes the profile into an EXIF block (without the "Exif" prefix);
// false when the text is not such a profile.
bool DecodeRawExifProfile(const char* text, size_t length, std::vector<unsigned char>& block);

// Whether a picture of `width` x `height` as the PNG header `ihdr` (the 13
// bytes of the IHDR chunk) describes could come out of `compressed` bytes of
// image data: deflate expands one byte to at most 1032.
bool PngDataCanHold(const uint8_t* ihdr, uint64_t compressed);

}  // namespace stampora
