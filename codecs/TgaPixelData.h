#pragma once
// The pixel data of a TGA file: raw or run-length encoded lines, stored top
// line first or bottom line first, decoded into an image already created with
// the file's width, height and depth.
#include <cstddef>
#include <cstdint>

#include "image/RasterImage.h"

// The most pixels `bytes` of pixel data can describe in any TGA encoding: a
// run-length packet of one count byte and one pixel yields at most 128 pixels.
// A header claiming more than this is not backed by its file.
uint64_t MaxTgaDescribablePixels(size_t bytes, int32_t bpp);

// Fills the image with raw lines of (bpp * width + 7) / 8 bytes in stored
// order; `read(destination, bytes)` delivers up to `bytes` bytes and answers
// how many. Lines the data does not hold stay as they are (zero); a line cut
// short keeps the bytes present.
template <typename ReadBytes>
void ReadRawTgaLines(CRasterImage& image, bool topFirst, ReadBytes&& read) {
    const size_t lineBytes = (static_cast<size_t>(image.Bpp()) * static_cast<size_t>(image.Width()) + 7) / 8;
    const int32_t height = image.Height();
    for (int32_t i = 0; i < height; ++i) {
        if (read(image.Row(topFirst ? i : height - 1 - i), lineBytes) < lineBytes) return;
    }
}

// Decodes run-length packets into the image's lines in stored order. A packet
// that reaches past the end of its line carries on into the next line; nothing
// is written past the last line, and decoding stops where the data ends.
// Only whole-byte depths (8, 16, 24, 32) can be run-length encoded.
void DecodeRunLengthTgaLines(const uint8_t* data, size_t size, CRasterImage& image, bool topFirst);
