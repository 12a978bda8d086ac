#pragma once
// The metadata of a JPEG whose blocks were kept: the file carries its
// source's segments, and is narrowed here to what the job keeps, as
// KeepMetadata narrows a re-encoded copy's. The blocks stay stored as the
// source stores them, so the orientation item always stays.
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/metadata/KeptMetadata.h"

namespace stampora {

// Rewrites the segments before the picture data of `file`:
// - every level drops what went stale with the marks: the EXIF and JFIF
//   thumbnails (they show the picture without them) and the multi-picture
//   index (the pictures it points at, after the end of the source, are not
//   carried over);
// - NoGps also drops the location tags of the EXIF and XMP;
// - Essential keeps only the ICC profile and the resolution, None nothing
//   but the JFIF header; both keep the orientation in an EXIF of its own.
// False, with the reason, when a segment the level must change cannot be
// read (the file is then unchanged).
bool NarrowBlockKeptMetadata(std::vector<uint8_t>& file, MetadataKept kept, Status& status);

}  // namespace stampora
