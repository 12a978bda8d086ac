#pragma once
// The camera's items of the property store, to and from EXIF blocks (a TIFF-structured block: byte-order
// mark, IFD0, the EXIF and GPS sub-directories).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/metadata/ImageProperties.h"

namespace stampora {

// Adds every item of the block that has a text form: ASCII as its text up to
// the first zero; one SHORT or LONG as unsigned decimal; one RATIONAL as
// "numerator/denominator" in unsigned and one SRATIONAL in signed decimals.
// The orientation goes into its own property as a number. Items of the
// thumbnail directory and maker notes are left out. A broken
// block adds what could be read before the break; false when nothing could.
bool ReadExifBlock(const uint8_t* data, size_t size, CImageProperties& properties);

// Builds an EXIF block (little-endian, no "Exif" prefix) holding the
// camera items the writers carry over (make, model, date taken, exposure,
// F-number, focal length, ISO, bias, aperture, flash, metering, program)
// that the properties hold; false, and an empty block, when there is none.
bool BuildExifBlock(const CImageProperties& properties, std::vector<uint8_t>& block);

// Rewrites an encoded TIFF file in memory so it carries the camera items of
// the properties; the file is left as it was when there are none or when the
// rewrite fails.
bool AddExifToTiffFile(std::vector<uint8_t>& file, const CImageProperties& properties);

}  // namespace stampora
