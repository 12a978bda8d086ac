#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace stampora {

// File formats.
enum ImageFormat : int {
    FormatUnknown = 0,
    FormatBmp = 1,
    FormatPcx = 2,
    FormatJpeg = 3,
    FormatGif = 4,
    FormatTga = 5,
    FormatTiff = 6,
    FormatPng = 7,
    FormatPsd = 8,
    FormatIco = 9,
    FormatXpm = 10,
    FormatQrv = 11,
    FormatWebp = 12,
    FormatHeif = 13,  // HEIF and HEIC
    FormatAvif = 14,
    FormatJxl = 15,
};

// The text after the last '.', lower-cased byte by byte, looked up exactly.
// Saving always follows this.
ImageFormat FormatFromPath(const std::string& path);

// The format a file's first bytes announce: "BM", the PNG signature, JPEG's
// FF D8 FF, "GIF87a"/"GIF89a", TIFF's "II*\0"/"MM\0*", the icon directory's
// 00 00 01 00, WebP's "RIFF" and "WEBP", an ISO media file's "ftyp" box
// with a HEIF or AVIF brand, JPEG XL's FF 0A or its container's signature
// box; unknown for anything else (TGA has no signature).
ImageFormat FormatFromSignature(const uint8_t* head, size_t size);

// The format a file is read as: what its first bytes announce, else what its
// extension says. A TGA file can begin like an icon directory, so a path
// ending in ".tga" stays a TGA whatever its first bytes.
ImageFormat FormatForReading(const std::string& path, const uint8_t* head, size_t size);

// The bytes FormatFromSignature looks at.
constexpr size_t kSignatureBytes = 12;

}  // namespace stampora
