#pragma once
// Carries a source picture's metadata over to its watermarked copy: EXIF
// (every tag), XMP, IPTC, the ICC profile and the JPEG comment through
// exiv2; a PNG's colour, resolution and text chunks, a TIFF's colour
// description and a GIF's comments as the source stored them. What a format
// can hold is in its entry of the format table; it drops anything else.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/ImageFormat.h"
#include "codecs/metadata/ImageProperties.h"
#include "platform/Status.h"

namespace stampora {

enum class MetadataKept {
    None,      // nothing is carried over (the dialog's behaviour)
    All,       // everything the output's format can hold
    NoGps,     // everything but location tags
    Essential  // only the ICC profile and the resolution
};

// Whether an exiv2 key (EXIF or XMP) names a location tag (a GPS
// coordinate, wherever the file carries one), or the resolution that
// --strip-metadata keeps.
bool IsLocationKey(const std::string& key);
bool IsResolutionKey(const std::string& key);

// Copies the metadata of the source file, whose bytes are `source` (empty
// for a file that holds nothing but pixels), into a copy not yet published: the
// picture file `filePath` (a writer's temporary file, rewritten in place),
// which will become `outputPath` (whose format decides what it can hold).
// The picture is `width` x `height` pixels and already turned upright: the
// orientation becomes 1, the pixel dimensions are the copy's and a stale
// embedded thumbnail is dropped. A source without metadata, or an output
// format without room for it, leaves the file as it is.
//
// Each of these answers a Metadata failure when the copy could not take the
// metadata (exiv2's or the system's words): the copy must then not be
// published. A source whose metadata is damaged gives exiv2's own words as a
// Metadata warning: what could be read was carried over, the rest is lost.
Status KeepMetadataInFile(std::span<const uint8_t> source, const std::string& filePath,
                          const std::string& outputPath, int32_t width, int32_t height, MetadataKept kept);

// The same for a JPEG copy about to be written: the source's metadata as the
// APPn and COM segments the JPEG writer puts after its JFIF header
// (the options' jpegSegments), so the written file is never read back and
// written again. `segments` is left empty when there is nothing to carry.
Status KeptJpegSegments(std::span<const uint8_t> source, int32_t width, int32_t height, MetadataKept kept,
                        std::vector<uint8_t>& segments);

// Whether the writer of a format takes the metadata whole as it encodes
// (WebP, HEIF, AVIF, JPEG XL), through KeptMetadataBlocks.
bool EmbedsMetadataBlocks(ImageFormat format);

// The same for a copy whose writer embeds the metadata as it encodes: the
// source's EXIF block, XMP packet and ICC profile as the options' embedded
// metadata, each left out when there is none to carry.
Status KeptMetadataBlocks(std::span<const uint8_t> source, int32_t width, int32_t height, MetadataKept kept,
                          CImageProperties& options);

}  // namespace stampora
