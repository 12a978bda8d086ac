#pragma once
// Internals of the BMP codec: the file's layout and the run-length decoder.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

constexpr size_t kBmpFileHeaderBytes = 14;
constexpr size_t kBmpInfoHeaderBytes = 40;
// The OS/2 1.x core header: 16-bit sizes and 3-byte palette entries.
constexpr size_t kBmpCoreHeaderBytes = 12;
constexpr size_t kBmpMaskBytes = 12;
// The info header and the four masks of the largest header that holds them
// inside itself (V3 and later): what the reader needs before the palette.
constexpr size_t kBmpHeadBytes = kBmpFileHeaderBytes + 56;

constexpr uint32_t kBmpRle8 = 1;
constexpr uint32_t kBmpRle4 = 2;
constexpr uint32_t kBmpAlphaBitFields = 6;

// What the headers at the start of a BMP file say. `info` holds every header
// in the fields of the 40-byte one, with its own size kept in biSize and a
// positive height.
struct BmpLayout {
    DibInfoHeader info{};
    bool topDown = false;  // the file's first line is the top line
    uint32_t pixelOffset = 0;
    uint32_t masks[4] = {};  // red, green, blue, alpha, for bit-field pictures
    // 32 bits whose fourth byte is known to be unused (a V4 or V5 header with
    // alpha mask 0, or bit fields without an alpha mask).
    bool alphaUnused = false;
    bool RunLength() const { return info.biCompression == kBmpRle8 || info.biCompression == kBmpRle4; }
    size_t PaletteEntryBytes() const { return info.biSize == kBmpCoreHeaderBytes ? 3 : 4; }
};

// Checks the headers of a BMP file of `fileSize` bytes whose first
// min(fileSize, max(pixel offset, kBmpHeadBytes)) bytes are `head`, and
// creates the image they describe with the palette the file holds; null, with
// the reason in `status`, when the file is refused.
std::unique_ptr<CRasterImage> CreateBmpImage(const uint8_t* head, size_t fileSize, BmpLayout& layout,
                                             Status& status);

// Puts the lines of a top-down file in the image's order and turns the raw
// 32-bit pixels read from the file into blue, green, red, alpha: bit fields
// are unpacked by their masks, and a fourth byte that is unused, or zero
// everywhere, makes the picture opaque.
void FinishBmpPixels(CRasterImage& image, const BmpLayout& layout);

// Decodes RLE8 or RLE4 data into a 8- or 4-bit image, bottom line first:
// runs, absolute runs (word padded), end-of-line, delta and end-of-bitmap
// escapes. Pixels past a line's end are dropped; skipped pixels stay index 0.
// Answers the lines complete when the data ended before the end-of-bitmap
// escape, or the height when the picture is whole.
int32_t DecodeBmpRunLength(const uint8_t* data, size_t size, CRasterImage& image);

}  // namespace stampora
