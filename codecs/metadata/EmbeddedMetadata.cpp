#include "codecs/metadata/EmbeddedMetadata.h"

#include <cstring>
#include <vector>

#include "codecs/ImageFormat.h"
#include "codecs/heif/HeifCodec.h"
#include "codecs/jxl/JxlCodec.h"
#include "codecs/metadata/ExifOrientation.h"
#include "codecs/metadata/ExifProperties.h"
#include "codecs/webp/WebpCodec.h"

namespace stampora {

EmbeddedMetadata MetadataToEmbed(const CImageProperties* options) {
    if (options == nullptr) return {};
    EmbeddedMetadata metadata = options->embedded;
    if (metadata.exif.empty()) BuildExifBlock(*options, metadata.exif);
    return metadata;
}

std::vector<uint8_t> ExifFromStored(const uint8_t* data, size_t size, bool offsetFirst) {
    if (data == nullptr) return {};
    size_t at = 0;
    if (offsetFirst && size >= 4) {
        const uint32_t offset =
            uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 | uint32_t{data[2]} << 8 | data[3];
        if (offset > size - 4) return {};
        at = 4 + offset;
    }
    if (size - at >= 6 && std::memcmp(data + at, "Exif\0\0", 6) == 0) at += 6;
    if (size - at < 8 ||
        !(std::memcmp(data + at, "II*\0", 4) == 0 || std::memcmp(data + at, "MM\0*", 4) == 0))
        return {};
    return std::vector<uint8_t>(data + at, data + size);
}

void ReadExifItems(const std::vector<uint8_t>& exif, bool orientationApplied, CImageProperties& properties) {
    if (exif.empty()) return;
    ReadExifBlock(exif.data(), exif.size(), properties);
    if (orientationApplied && properties.orientation) properties.orientation = 1;
}

EmbeddedMetadata EmbeddedMetadataOf(const uint8_t* data, size_t size) {
    switch (FormatFromSignature(data, size)) {
        case FormatWebp:
            return WebpMetadata(data, size);
        case FormatHeif:
        case FormatAvif:
            return HeifMetadata(data, size);
        case FormatJxl:
            return JxlMetadata(data, size);
        default:
            return {};
    }
}

}  // namespace stampora
