#include "codecs/BmpCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "codecs/DecodeLimits.h"
#include "image/LittleEndian.h"
#include "platform/FileIo.h"

namespace {
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kMaskBytes = 12;
// How many pixel bytes one byte of a truncated file may stand for.
constexpr uint64_t kMaxClaimPerByte = 128;

// Checks the headers at the start of a BMP file of `fileSize` bytes and
// creates the image they describe, with the palette the file holds. `head`
// holds at least HeadBytes(pixelOffset, fileSize) bytes of the file.
std::unique_ptr<CRasterImage> CreateFromHeaders(const uint8_t* head, size_t fileSize, uint32_t& pixelOffset) {
    if (head == nullptr || fileSize <= kFileHeaderBytes || LoadLE16(head) != 0x4D42) return nullptr;
    pixelOffset = LoadLE32(head + 10);
    if (pixelOffset >= fileSize) return nullptr;
    if (fileSize < kFileHeaderBytes + kInfoHeaderBytes) return nullptr;

    // The header is copied into an aligned block of its own, followed by the
    // 16-bit masks when the file holds them.
    alignas(4) uint8_t block[kInfoHeaderBytes + kMaskBytes] = {};
    std::memcpy(block, head + kFileHeaderBytes, kInfoHeaderBytes);
    DibInfoHeader info;
    std::memcpy(&info, block, sizeof info);
    // Older core headers have another layout; they are not read as this one.
    if (info.biSize < kInfoHeaderBytes) return nullptr;
    if (info.biBitCount == 16 && info.biCompression == BI_BITFIELDS) {
        if (fileSize < kFileHeaderBytes + kInfoHeaderBytes + kMaskBytes) return nullptr;
        std::memcpy(block + kInfoHeaderBytes, head + kFileHeaderBytes + kInfoHeaderBytes, kMaskBytes);
    }
    if (!IsDecodableSize(info.biWidth, info.biHeight)) return nullptr;
    // A file cut short keeps the lines it holds, but a header claiming far
    // more than the file could ever have held is refused before allocating.
    const uint64_t declared = DibStride(info.biWidth, info.biBitCount) * static_cast<uint64_t>(info.biHeight);
    if (declared / kMaxClaimPerByte > fileSize - pixelOffset) return nullptr;

    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(reinterpret_cast<const DibInfoHeader*>(block))) return nullptr;

    if (image->Bpp() <= 8) {
        // Only the entries the file holds between its headers and its pixels
        // are taken; the rest keep the grey ramp. Pixels that start at or
        // before the palette's place mean the file holds no palette.
        const size_t paletteStart = kFileHeaderBytes + static_cast<size_t>(info.biSize);
        const size_t paletteEnd = pixelOffset;
        if (paletteStart < paletteEnd) {
            const size_t available = (paletteEnd - paletteStart) / sizeof(PaletteColour);
            const size_t count = std::min<size_t>(available, static_cast<size_t>(image->PaletteSize()));
            std::memcpy(image->Palette(), head + paletteStart, count * sizeof(PaletteColour));
        }
    }
    return image;
}

// The bytes CreateFromHeaders reads: the headers, masks and palette, which
// all lie before the pixels or within the first 66 bytes.
size_t HeadBytes(uint32_t pixelOffset, size_t fileSize) {
    return std::min<size_t>(fileSize, std::max<size_t>(pixelOffset, kFileHeaderBytes + kInfoHeaderBytes + kMaskBytes));
}

// Headers larger than this (a pixel offset far into the file) are read the
// plain way, through the whole file in memory.
constexpr size_t kMaxStreamedHeadBytes = size_t{1} << 20;

}  // namespace

bool CBmpCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot&) {
    uint32_t pixelOffset = 0;
    std::unique_ptr<CRasterImage> image = CreateFromHeaders(data, size, pixelOffset);
    if (!image) return false;
    const size_t present = std::min(size - pixelOffset, image->PixelBytes());
    std::memcpy(image->Pixels(), data + pixelOffset, present);
    images.Append(std::move(image));
    return true;
}

// Reads the headers first and then the pixel rows straight into the image,
// so a large picture is read without a second copy of the file in memory.
bool CBmpCodec::LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties) {
    CodecInputFile file;
    uint8_t fileHeader[kFileHeaderBytes] = {};
    if (!file.Open(path) || !file.ReadExactly(fileHeader, sizeof fileHeader)) return false;
    const size_t headBytes = HeadBytes(LoadLE32(fileHeader + 10), file.Size());
    if (headBytes > kMaxStreamedHeadBytes) return CImageCodec::LoadFile(path, images, properties);
    std::vector<uint8_t> head(headBytes);
    std::memcpy(head.data(), fileHeader, std::min(headBytes, sizeof fileHeader));
    if (headBytes > sizeof fileHeader && !file.ReadExactly(head.data() + sizeof fileHeader, headBytes - sizeof fileHeader)) {
        return false;
    }

    uint32_t pixelOffset = 0;
    std::unique_ptr<CRasterImage> image = CreateFromHeaders(head.data(), file.Size(), pixelOffset);
    if (!image || !file.Seek(pixelOffset)) return false;
    // Pixel data that ends early leaves the rest of the image zero, as in memory.
    file.Read(image->Pixels(), std::min(file.Size() - pixelOffset, image->PixelBytes()));
    images.Append(std::move(image));
    return true;
}

bool CBmpCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties*) {
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty()) return false;

    const size_t pixelBytes = image->PixelBytes();
    size_t headerBlock = kInfoHeaderBytes;
    if (image->Bpp() <= 8) {
        headerBlock += sizeof(PaletteColour) * static_cast<size_t>(image->PaletteSize());
    } else if (image->Bpp() == 16 && image->Header().biCompression == BI_BITFIELDS) {
        headerBlock += kMaskBytes;
    }
    const uint64_t fileSize = kFileHeaderBytes + headerBlock + pixelBytes;
    if (fileSize > UINT32_MAX) return false;

    uint8_t fileHeader[kFileHeaderBytes] = {'B', 'M'};
    StoreLE32(fileHeader + 2, static_cast<uint32_t>(fileSize));
    StoreLE32(fileHeader + 10, static_cast<uint32_t>(kFileHeaderBytes + headerBlock));

    std::unique_ptr<uint8_t[]> dib(reinterpret_cast<uint8_t*>(image->NewDibHeader()));
    if (!dib) return false;

    SafeFileWriter out(path);
    if (!out.Open() || !out.Write(fileHeader, sizeof fileHeader) || !out.Write(dib.get(), headerBlock) ||
        !out.Write(image->Pixels(), pixelBytes)) {
        return false;
    }
    return out.Commit();
}
