#pragma once
// What travels beside a picture: what its reader found in the file (the
// camera's items, the animation's timing, how the file was stored) and what
// a writer is asked to do with the copy (its quality and sampling, the
// metadata to put in as it stands).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "codecs/metadata/SourceQuality.h"

namespace stampora {

// EXIF items by their tag ids (GDI+ gives its property items the same ids).
// Named are the items the program reads or carries over; any other item a
// file holds keeps its bare id.
enum class ExifTag : uint16_t {
    Make = 0x010F,
    Model = 0x0110,
    Orientation = 0x0112,
    DateTime = 0x0132,
    ExposureTime = 0x829A,
    FNumber = 0x829D,
    ExposureProgram = 0x8822,
    IsoSpeed = 0x8827,
    DateTimeOriginal = 0x9003,
    ExposureBias = 0x9204,
    MaxAperture = 0x9205,
    MeteringMode = 0x9207,
    Flash = 0x9209,
    FocalLength = 0x920A,
};

// A picture's EXIF items in their text form (see ReadExifBlock), one text a
// tag, in the order they were set.
class ExifItems {
public:
    // Sets the item's text, replacing the one it had.
    void Set(ExifTag tag, std::string text);
    // The item's text; empty when the picture has no such item.
    const std::string& Text(ExifTag tag) const;
    bool Has(ExifTag tag) const;
    bool Empty() const { return items.empty(); }

private:
    std::vector<std::pair<ExifTag, std::string>> items;
};

// One of a TIFF page's descriptive tags: libtiff's tag number and the
// value in text form (see TiffPageTags.h).
struct TiffPageTag {
    uint32_t tag = 0;
    std::string value;
    bool operator==(const TiffPageTag&) const = default;
};
using TiffPageTags = std::vector<TiffPageTag>;

// Metadata blocks that WebP, HEIF and JPEG XL files hold whole beside the
// picture, and that their writers embed as they stand.
struct EmbeddedMetadata {
    std::vector<uint8_t> exif;  // TIFF-structured, from its byte-order mark
    std::string xmp;            // the XMP packet, XML text
    std::vector<uint8_t> icc;   // the ICC profile
    bool Empty() const { return exif.empty() && xmp.empty() && icc.empty(); }
};

class CImageProperties {
public:
    // The save quality 1..100; -1 or nothing: the writer's default.
    std::optional<int32_t> saveQuality;
    // The quality a JPEG was saved at (GDI+'s PropertyTagJPEGQuality),
    // taken when saveQuality says nothing.
    std::optional<int32_t> jpegQuality;
    // A JPEG copy's chroma subsampling; nothing: the writer's default.
    std::optional<JpegSampling> jpegSampling;
    // Metadata segments for a JPEG writer to put after its JFIF header (APPn
    // and COM segments as they stand in a JPEG file, each from its FF on), in
    // place of the EXIF it would make from the camera items.
    std::vector<uint8_t> jpegSegments;
    // Metadata for the writers that embed it whole as they encode, in place
    // of the EXIF they would make from the camera items.
    EmbeddedMetadata embedded;

    // Each frame's delay in milliseconds, in frame order (GDI+'s
    // PropertyTagFrameDelay, which counts hundredths).
    std::vector<int64_t> frameDelays;
    // Times an animation plays after its first showing, 0 for ever;
    // nothing: once.
    std::optional<uint32_t> loopCount;
    // Each TIFF page's tags that say what the page is, page by page.
    std::vector<TiffPageTags> tiffPages;
    // Whether the TGA file read had its lines run-length encoded.
    std::optional<bool> tgaRunLength;
    // The EXIF orientation (1 upright, 2..8 turned or mirrored); 1 once the
    // reader has turned the picture upright.
    std::optional<int32_t> orientation;
    // The camera's items (the orientation aside).
    ExifItems exif;
};

// The delay of frame `i` in milliseconds; 0 where the delays say nothing.
inline int64_t FrameDelayAt(const std::vector<int64_t>& delays, size_t i) {
    return i < delays.size() ? delays[i] : 0;
}

}  // namespace stampora
