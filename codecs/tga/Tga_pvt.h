#pragma once
// Internals of the TGA codec: the 18-byte header and the pixel data, raw or
// run-length encoded lines stored top line first or bottom line first.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/RasterImage.h"

namespace stampora {

constexpr size_t kTgaHeaderBytes = 18;
// The image-ID text the writer puts after the header.
constexpr char kTgaImageId[] = "Qirvo -- TGA";
constexpr size_t kTgaImageIdBytes = sizeof kTgaImageId - 1;
// The header holds width and height in 16 bits.
constexpr int32_t kTgaMaxDimension = 65535;

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 0;
    uint16_t colourMapFirst = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntryBits = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;

    // Colour-mapped, true-colour and grey pictures, raw (1, 2, 3) or
    // run-length encoded (9, 10, 11); every other type holds no picture this
    // codec can read.
    bool IsKnownType() const {
        return (imageType >= 1 && imageType <= 3) || (imageType >= 9 && imageType <= 11);
    }
    bool HasColourMap() const { return colourMapType == 1; }
    bool IsRunLength() const { return imageType >= 9 && imageType <= 11; }
    // Descriptor bit 5: the first stored line is the top line.
    bool IsTopFirst() const { return (descriptor & 0x20) != 0; }
    // Descriptor bit 4: each line is stored from its right end.
    bool IsRightFirst() const { return (descriptor & 0x10) != 0; }
    // 16-bit grey pictures hold a grey byte and an alpha byte a pixel; the
    // descriptor's low four bits say how many of them are alpha.
    bool IsGreyAlpha() const { return (imageType == 3 || imageType == 11) && pixelDepth == 16; }
    bool HasAlphaBits() const { return (descriptor & 0x0F) != 0; }
    // 15-bit files hold the same 5-5-5 words as 16-bit ones.
    int32_t Bpp() const { return pixelDepth == 15 ? 16 : pixelDepth; }
    size_t ColourMapEntryBytes() const {
        return colourMapEntryBits == 32 ? 4 : colourMapEntryBits == 15 || colourMapEntryBits == 16 ? 2 : 3;
    }
};

// Reads the header fields from the first kTgaHeaderBytes bytes of `data`.
TgaHeader ParseTgaHeader(const uint8_t* data);

// The most pixels `bytes` of pixel data can describe in any TGA encoding: a
// run-length packet of one count byte and one pixel yields at most 128 pixels.
// A header claiming more than this is not backed by its file.
uint64_t MaxTgaDescribablePixels(size_t bytes, int32_t bpp);

// Fills the image with raw lines of (bpp * width + 7) / 8 bytes in stored
// order; `read(destination, bytes)` delivers up to `bytes` bytes and answers
// how many. Lines the data does not hold stay as they are (zero); a line cut
// short keeps the bytes present. Answers the lines read whole.
template <typename ReadBytes>
int32_t ReadRawTgaLines(CRasterImage& image, bool topFirst, ReadBytes&& read) {
    const size_t lineBytes = (static_cast<size_t>(image.Bpp()) * static_cast<size_t>(image.Width()) + 7) / 8;
    const int32_t height = image.Height();
    for (int32_t i = 0; i < height; ++i) {
        if (read(image.Row(topFirst ? i : height - 1 - i), lineBytes) < lineBytes) return i;
    }
    return height;
}

// Decodes run-length packets into the image's lines in stored order. A packet
// that reaches past the end of its line carries on into the next line; nothing
// is written past the last line, and decoding stops where the data ends.
// Only whole-byte depths (8, 16, 24, 32) can be run-length encoded. Answers
// the lines decoded whole.
int32_t DecodeRunLengthTgaLines(const uint8_t* data, size_t size, CRasterImage& image, bool topFirst);

// Turns the lines as read into the picture the header means: lines stored
// from their right end are mirrored, and grey-and-alpha pairs become a 32-bit
// picture (opaque when the descriptor declares no alpha bits). False, with
// the image unchanged, when there is no memory for the 32-bit picture.
bool FinishTgaPixels(std::unique_ptr<CRasterImage>& image, const TgaHeader& header);

}  // namespace stampora
