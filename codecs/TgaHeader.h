#pragma once
// The 18-byte header at the start of a Truevision TGA file.
#include <cstddef>
#include <cstdint>

constexpr size_t kTgaHeaderBytes = 18;

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

    bool HasColourMap() const { return colourMapType == 1; }
    // Image types 9, 10 and 11 store their lines run-length encoded.
    bool IsRunLength() const { return imageType == 9 || imageType == 10 || imageType == 11; }
    // Descriptor bit 5: the first stored line is the top line.
    bool IsTopFirst() const { return (descriptor & 0x20) != 0; }
    // 15-bit files hold the same 5-5-5 words as 16-bit ones.
    int32_t Bpp() const { return pixelDepth == 15 ? 16 : pixelDepth; }
    size_t ColourMapEntryBytes() const { return colourMapEntryBits == 32 ? 4 : 3; }
};

// Reads the header fields from the first kTgaHeaderBytes bytes of `data`.
TgaHeader ParseTgaHeader(const uint8_t* data);
// Writes the header into `out` (kTgaHeaderBytes bytes); unlisted bytes are 0.
void StoreTgaHeader(const TgaHeader& header, uint8_t* out);
