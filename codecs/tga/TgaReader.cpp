// Reading TGA files, from memory or, for raw lines, straight from the file.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "codecs/DecodeLimits.h"
#include "codecs/tga/TgaCodec.h"
#include "codecs/tga/Tga_pvt.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

// The bytes before the pixel data: header, image ID and colour map.
size_t HeadBytes(const TgaHeader& header) {
    const size_t map = header.HasColourMap() ? header.ColourMapEntryBytes() * header.colourMapLength : 0;
    return kTgaHeaderBytes + header.idLength + map;
}

// Reads the colour map at `pos` into a 256-entry table (entries the file does
// not set stay black).
bool ReadColourMap(const uint8_t* head, size_t fileSize, const TgaHeader& header, size_t pos,
                   PaletteColour (&table)[256], Status& status) {
    if (static_cast<uint32_t>(header.colourMapFirst) + header.colourMapLength > 256) {
        return status.Fail(Domain::Read, "the colour map claims entries past 255");
    }
    const size_t entryBytes = header.ColourMapEntryBytes();
    const size_t mapBytes = entryBytes * header.colourMapLength;
    if (pos > fileSize || fileSize - pos < mapBytes)
        return status.Fail(Domain::Read, "the colour map is cut short");
    for (size_t k = 0; k < header.colourMapLength; ++k) {
        const uint8_t* entry = head + pos + k * entryBytes;
        PaletteColour& c = table[header.colourMapFirst + k];
        if (entryBytes == 2) {
            // 5-5-5 entries widen as 16-bit pixels do: the low bits stay zero.
            const uint32_t word = LoadLE16(entry);
            c.rgbBlue = static_cast<uint8_t>((word << 3) & 0xF8);
            c.rgbGreen = static_cast<uint8_t>((word >> 2) & 0xF8);
            c.rgbRed = static_cast<uint8_t>((word >> 7) & 0xF8);
            continue;
        }
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
std::unique_ptr<CRasterImage> CreateFromHead(const uint8_t* head, size_t fileSize, const TgaHeader& header,
                                             Status& status) {
    if (!header.IsKnownType()) {
        status.failure = {Domain::Read,
                          "TGA image type " + std::to_string(header.imageType) + " is not supported"};
        return nullptr;
    }
    const int32_t bpp = header.Bpp();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        status.failure = {Domain::Read,
                          "TGA pixels of " + std::to_string(header.pixelDepth) + " bits are not supported"};
        return nullptr;
    }
    if (!IsDecodableSize(header.width, header.height)) {
        status.failure = {Domain::Read, "the picture has no pixels (" + std::to_string(header.width) + " x " +
                                            std::to_string(header.height) + ")"};
        return nullptr;
    }
    // Run-length packets of sub-byte pixels have no defined size.
    if (header.IsRunLength() && bpp < 8) {
        status.failure = {Domain::Read, "run-length pixels of fewer than 8 bits are not supported"};
        return nullptr;
    }

    PaletteColour table[256] = {};
    const size_t mapStart = kTgaHeaderBytes + header.idLength;
    if (header.HasColourMap() && !ReadColourMap(head, fileSize, header, mapStart, table, status))
        return nullptr;

    const size_t pixelStart = HeadBytes(header);
    const size_t pixelDataBytes = pixelStart < fileSize ? fileSize - pixelStart : 0;
    if (uint64_t{header.width} * header.height > MaxTgaDescribablePixels(pixelDataBytes, bpp)) {
        status.failure = {Domain::Read, "the header claims " + std::to_string(header.width) + " x " +
                                            std::to_string(header.height) + " pixels, far more than its " +
                                            std::to_string(pixelDataBytes) + " bytes of pixel data hold"};
        return nullptr;
    }

    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(header.width, header.height, bpp)) {
        status.failure = {Domain::Read, "not enough memory for the picture"};
        return nullptr;
    }
    // The image keeps the entries its depth has room for; above 8 bits none.
    if (header.HasColourMap()) image->SetPalette(0, 256, table);
    return image;
}

bool Deliver(std::unique_ptr<CRasterImage> image, const TgaHeader& header, int32_t linesRead,
             ImageList& images, PropertiesSlot& properties, Status& status) {
    if (!FinishTgaPixels(image, header))
        return status.Fail(Domain::Read, "not enough memory for the picture");
    if (linesRead < image->Height()) status.damage = LinesDamage(linesRead, image->Height());
    properties = std::make_unique<CImageProperties>();
    properties->tgaRunLength = header.IsRunLength();
    images.Append(std::move(image));
    return true;
}

}  // namespace

bool CTgaCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    if (data == nullptr || size <= kTgaHeaderBytes)
        return status.Fail(Domain::Read, "the file is too short for a TGA picture");
    const TgaHeader header = ParseTgaHeader(data);
    std::unique_ptr<CRasterImage> image = CreateFromHead(data, size, header, status);
    if (!image) return false;

    const size_t pixelStart = std::min(size, HeadBytes(header));
    const uint8_t* pixelData = data + pixelStart;
    const size_t pixelDataBytes = size - pixelStart;
    int32_t lines = 0;
    if (header.IsRunLength()) {
        lines = DecodeRunLengthTgaLines(pixelData, pixelDataBytes, *image, header.IsTopFirst());
    } else {
        size_t pos = 0;
        lines = ReadRawTgaLines(*image, header.IsTopFirst(), [&](uint8_t* line, size_t bytes) {
            const size_t present = std::min(bytes, pixelDataBytes - pos);
            std::memcpy(line, pixelData + pos, present);
            pos += present;
            return present;
        });
    }
    return Deliver(std::move(image), header, lines, images, properties, status);
}

// Raw lines are read straight into the image's rows, so a large picture is
// read without a second copy of the file in memory; run-length files are
// decoded from memory.
bool CTgaCodec::LoadOpened(CodecInputFile& file, ImageList& images, PropertiesSlot& properties) {
    status = {};
    uint8_t headerBytes[kTgaHeaderBytes];
    if (file.Size() <= kTgaHeaderBytes || !file.Seek(0) ||
        !file.ReadExactly(headerBytes, sizeof headerBytes)) {
        return status.Fail(Domain::Read, "the file is too short for a TGA picture");
    }
    const TgaHeader header = ParseTgaHeader(headerBytes);
    if (header.IsRunLength()) return CImageCodec::LoadOpened(file, images, properties);

    std::vector<uint8_t> head(std::min(file.Size(), HeadBytes(header)));
    std::memcpy(head.data(), headerBytes, sizeof headerBytes);
    if (!file.ReadExactly(head.data() + sizeof headerBytes, head.size() - sizeof headerBytes)) {
        return status.Fail(Domain::Read, ReadFailure());
    }
    std::unique_ptr<CRasterImage> image = CreateFromHead(head.data(), file.Size(), header, status);
    if (!image) return false;
    const int32_t lines = ReadRawTgaLines(
        *image, header.IsTopFirst(), [&](uint8_t* line, size_t bytes) { return file.Read(line, bytes); });
    return Deliver(std::move(image), header, lines, images, properties, status);
}

}  // namespace stampora
