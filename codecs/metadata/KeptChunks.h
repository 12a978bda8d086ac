#pragma once
// What exiv2 does not carry from a source to its copy in the same format:
// a PNG's colour, resolution and text chunks and a GIF's comments, copied
// as the source stored them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace stampora {

// Puts the source PNG's iCCP, sRGB, gAMA, cHRM and pHYs chunks (each only
// when the copy has none of that kind) and, with `texts`, its tEXt, zTXt
// and iTXt chunks (but those holding EXIF, IPTC or XMP, which exiv2 writes,
// and keywords the copy has already) into `copy` right after its header.
// A damaged source gives what it holds before the damage, and chunks whose
// checksum is wrong are left out. False with the reason when `copy` is not
// a PNG that can be walked.
bool CopyPngChunks(const std::vector<uint8_t>& source, std::vector<uint8_t>& copy, bool texts,
                   Status& status);

// Puts the source GIF's comment extensions into `copy`, after its colour
// table and its looping extension, and marks the copy GIF89a, the version
// that has comments. False with the reason when `copy` is not a GIF.
bool CopyGifComments(const std::vector<uint8_t>& source, std::vector<uint8_t>& copy, Status& status);

}  // namespace stampora
