#pragma once
// The metadata blocks that WebP, HEIF and JPEG XL files hold whole beside
// the picture: EXIF, XMP and the ICC profile.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/metadata/ImageProperties.h"

namespace stampora {

// What a writer embeds: the blocks the options carry whole (the source's
// kept metadata), else an EXIF block of the camera items they hold.
EmbeddedMetadata MetadataToEmbed(const CImageProperties* options);

// The TIFF-structured block inside an EXIF block as files store it: with or
// without an "Exif\0\0" prefix, or after the 4-byte offset that HEIF and
// JPEG XL put first; empty when there is no byte-order mark where expected.
std::vector<uint8_t> ExifFromStored(const uint8_t* data, size_t size, bool offsetFirst);

// Adds the camera items of an EXIF block to the properties, with the
// orientation set to 1 when the reader has already turned the picture
// upright (`orientationApplied`), as these libraries do.
void ReadExifItems(const std::vector<uint8_t>& exif, bool orientationApplied, CImageProperties& properties);

// The blocks of a WebP, HEIF/AVIF or JPEG XL file, read without decoding
// the picture; none for other files, or when the file's structure is broken.
EmbeddedMetadata EmbeddedMetadataOf(const uint8_t* data, size_t size);

}  // namespace stampora
