#include "codecs/BmpCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "codecs/DecodeLimits.h"
#include "image/LittleEndian.h"
#include "platform/FileIo.h"

namespace {
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kMaskBytes = 12;
}  // namespace

bool CBmpCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot&) {
    if (data == nullptr || size <= kFileHeaderBytes || LoadLE16(data) != 0x4D42) return false;
    const uint32_t pixelOffset = LoadLE32(data + 10);
    if (pixelOffset >= size) return false;
    if (size < kFileHeaderBytes + kInfoHeaderBytes) return false;

    // The header is copied into an aligned block of its own, followed by the
    // 16-bit masks when the file holds them.
    alignas(4) uint8_t block[kInfoHeaderBytes + kMaskBytes] = {};
    std::memcpy(block, data + kFileHeaderBytes, kInfoHeaderBytes);
    BITMAPINFOHEADER info;
    std::memcpy(&info, block, sizeof info);
    // Older core headers have another layout; they are not read as this one.
    if (info.biSize < kInfoHeaderBytes) return false;
    if (info.biBitCount == 16 && info.biCompression == BI_BITFIELDS) {
        if (size < kFileHeaderBytes + kInfoHeaderBytes + kMaskBytes) return false;
        std::memcpy(block + kInfoHeaderBytes, data + kFileHeaderBytes + kInfoHeaderBytes, kMaskBytes);
    }
    if (!IsDecodableSize(info.biWidth, info.biHeight)) return false;

    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(reinterpret_cast<const BITMAPINFOHEADER*>(block))) return false;

    if (image->Bpp() <= 8) {
        // Only the entries the file holds between its headers and its pixels
        // are taken; the rest keep the grey ramp. Pixels that start at or
        // before the palette's place mean the file holds no palette.
        const size_t paletteStart = kFileHeaderBytes + static_cast<size_t>(info.biSize);
        const size_t paletteEnd = pixelOffset;
        if (paletteStart < paletteEnd) {
            const size_t available = (paletteEnd - paletteStart) / sizeof(RGBQUAD);
            const size_t count = std::min<size_t>(available, static_cast<size_t>(image->PaletteSize()));
            std::memcpy(image->Palette(), data + paletteStart, count * sizeof(RGBQUAD));
        }
    }

    const size_t present = std::min(size - pixelOffset, image->PixelBytes());
    std::memcpy(image->Pixels(), data + pixelOffset, present);
    images.Append(std::move(image));
    return true;
}

bool CBmpCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties*) {
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty()) return false;

    const size_t pixelBytes = image->PixelBytes();
    size_t headerBlock = kInfoHeaderBytes;
    if (image->Bpp() <= 8) {
        headerBlock += sizeof(RGBQUAD) * static_cast<size_t>(image->PaletteSize());
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
