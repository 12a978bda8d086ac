// Reading TGA files held in memory.
#include "codecs/TgaCodec.h"

#include <memory>

#include "codecs/DecodeLimits.h"
#include "codecs/TgaHeader.h"
#include "codecs/TgaPixelData.h"

namespace {

// Reads the colour map at `pos` into a 256-entry table (entries the file does
// not set stay black); false when it claims entries past 255 or runs past the
// end of the data.
bool ReadColourMap(const uint8_t* data, size_t size, const TgaHeader& header, size_t& pos, RGBQUAD (&table)[256]) {
    if (static_cast<uint32_t>(header.colourMapFirst) + header.colourMapLength > 256) return false;
    const size_t entryBytes = header.ColourMapEntryBytes();
    const size_t mapBytes = entryBytes * header.colourMapLength;
    if (pos > size || size - pos < mapBytes) return false;
    for (size_t k = 0; k < header.colourMapLength; ++k) {
        const uint8_t* entry = data + pos + k * entryBytes;
        RGBQUAD& c = table[header.colourMapFirst + k];
        c.rgbBlue = entry[0];
        c.rgbGreen = entry[1];
        c.rgbRed = entry[2];
        if (entryBytes == 4) c.rgbReserved = entry[3];
    }
    pos += mapBytes;
    return true;
}

}  // namespace

bool CTgaCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    if (data == nullptr || size <= kTgaHeaderBytes) return false;
    const TgaHeader header = ParseTgaHeader(data);
    if (header.colourMapEntryBits == 15 || header.colourMapEntryBits == 16) return false;
    const int32_t bpp = header.Bpp();
    if (!IsDecodableSize(header.width, header.height)) return false;
    // Run-length packets of sub-byte pixels have no defined size.
    if (header.IsRunLength() && bpp < 8) return false;

    size_t pos = kTgaHeaderBytes + header.idLength;
    RGBQUAD table[256] = {};
    if (header.HasColourMap() && !ReadColourMap(data, size, header, pos, table)) return false;

    const size_t pixelDataBytes = pos < size ? size - pos : 0;
    const uint64_t pixelCount = uint64_t{header.width} * header.height;
    if (pixelCount > MaxTgaDescribablePixels(pixelDataBytes, bpp)) return false;

    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(header.width, header.height, bpp)) return false;
    // The image keeps the entries its depth has room for; above 8 bits none.
    if (header.HasColourMap()) image->SetPalette(0, 256, table);

    const uint8_t* pixelData = data + (size - pixelDataBytes);
    if (header.IsRunLength()) {
        DecodeRunLengthTgaLines(pixelData, pixelDataBytes, *image, header.IsTopFirst());
    } else {
        ReadRawTgaLines(pixelData, pixelDataBytes, *image, header.IsTopFirst());
    }

    properties = std::make_unique<CImageProperties>();
    properties->SetValue(kPropertyTgaRunLength, header.IsRunLength() ? "1" : "-1");
    images.Append(std::move(image));
    return true;
}
