// Reading TGA files, from memory or, for raw lines, straight from the file.
#include "codecs/TgaCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "codecs/DecodeLimits.h"
#include "codecs/TgaHeader.h"
#include "codecs/TgaPixelData.h"

namespace {

// The bytes before the pixel data: header, image ID and colour map.
size_t HeadBytes(const TgaHeader& header) {
    const size_t map = header.HasColourMap() ? header.ColourMapEntryBytes() * header.colourMapLength : 0;
    return kTgaHeaderBytes + header.idLength + map;
}

// Reads the colour map at `pos` into a 256-entry table (entries the file does
// not set stay black); false when it claims entries past 255 or runs past the
// end of the file.
bool ReadColourMap(const uint8_t* head, size_t fileSize, const TgaHeader& header, size_t pos, PaletteColour (&table)[256]) {
    if (static_cast<uint32_t>(header.colourMapFirst) + header.colourMapLength > 256) return false;
    const size_t entryBytes = header.ColourMapEntryBytes();
    const size_t mapBytes = entryBytes * header.colourMapLength;
    if (pos > fileSize || fileSize - pos < mapBytes) return false;
    for (size_t k = 0; k < header.colourMapLength; ++k) {
        const uint8_t* entry = head + pos + k * entryBytes;
        PaletteColour& c = table[header.colourMapFirst + k];
        c.rgbBlue = entry[0];
        c.rgbGreen = entry[1];
        c.rgbRed = entry[2];
        if (entryBytes == 4) c.rgbReserved = entry[3];
    }
    return true;
}

// Checks the header against a file of `fileSize` bytes and creates the image
// with the file's colour map. `head` holds the file's first
// min(fileSize, HeadBytes) bytes. A header that claims more pixels than the
// rest of the file could describe is refused before anything is allocated.
std::unique_ptr<CRasterImage> CreateFromHead(const uint8_t* head, size_t fileSize, const TgaHeader& header) {
    if (header.colourMapEntryBits == 15 || header.colourMapEntryBits == 16) return nullptr;
    const int32_t bpp = header.Bpp();
    if (!IsDecodableSize(header.width, header.height)) return nullptr;
    // Run-length packets of sub-byte pixels have no defined size.
    if (header.IsRunLength() && bpp < 8) return nullptr;

    PaletteColour table[256] = {};
    const size_t mapStart = kTgaHeaderBytes + header.idLength;
    if (header.HasColourMap() && !ReadColourMap(head, fileSize, header, mapStart, table)) return nullptr;

    const size_t pixelStart = HeadBytes(header);
    const size_t pixelDataBytes = pixelStart < fileSize ? fileSize - pixelStart : 0;
    if (uint64_t{header.width} * header.height > MaxTgaDescribablePixels(pixelDataBytes, bpp)) return nullptr;

    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(header.width, header.height, bpp)) return nullptr;
    // The image keeps the entries its depth has room for; above 8 bits none.
    if (header.HasColourMap()) image->SetPalette(0, 256, table);
    return image;
}

void Deliver(std::unique_ptr<CRasterImage> image, const TgaHeader& header, ImageList& images,
             PropertiesSlot& properties) {
    properties = std::make_unique<CImageProperties>();
    properties->SetValue(kPropertyTgaRunLength, header.IsRunLength() ? "1" : "-1");
    images.Append(std::move(image));
}

}  // namespace

bool CTgaCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    if (data == nullptr || size <= kTgaHeaderBytes) return false;
    const TgaHeader header = ParseTgaHeader(data);
    std::unique_ptr<CRasterImage> image = CreateFromHead(data, size, header);
    if (!image) return false;

    const size_t pixelStart = std::min(size, HeadBytes(header));
    const uint8_t* pixelData = data + pixelStart;
    const size_t pixelDataBytes = size - pixelStart;
    if (header.IsRunLength()) {
        DecodeRunLengthTgaLines(pixelData, pixelDataBytes, *image, header.IsTopFirst());
    } else {
        size_t pos = 0;
        ReadRawTgaLines(*image, header.IsTopFirst(), [&](uint8_t* line, size_t bytes) {
            const size_t present = std::min(bytes, pixelDataBytes - pos);
            std::memcpy(line, pixelData + pos, present);
            pos += present;
            return present;
        });
    }
    Deliver(std::move(image), header, images, properties);
    return true;
}

// Raw lines are read straight into the image's rows, so a large picture is
// read without a second copy of the file in memory; run-length files are
// decoded from memory.
bool CTgaCodec::LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties) {
    CodecInputFile file;
    uint8_t headerBytes[kTgaHeaderBytes];
    if (!file.Open(path) || file.Size() <= kTgaHeaderBytes || !file.ReadExactly(headerBytes, sizeof headerBytes)) {
        return false;
    }
    const TgaHeader header = ParseTgaHeader(headerBytes);
    if (header.IsRunLength()) return CImageCodec::LoadFile(path, images, properties);

    std::vector<uint8_t> head(std::min(file.Size(), HeadBytes(header)));
    std::memcpy(head.data(), headerBytes, sizeof headerBytes);
    if (!file.ReadExactly(head.data() + sizeof headerBytes, head.size() - sizeof headerBytes)) return false;
    std::unique_ptr<CRasterImage> image = CreateFromHead(head.data(), file.Size(), header);
    if (!image) return false;
    ReadRawTgaLines(*image, header.IsTopFirst(),
                    [&](uint8_t* line, size_t bytes) { return file.Read(line, bytes); });
    Deliver(std::move(image), header, images, properties);
    return true;
}
