// Reading BMP files, from memory or, for uncompressed pixels, straight from
// the file.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "codecs/DecodeLimits.h"
#include "codecs/bmp/BmpCodec.h"
#include "codecs/bmp/Bmp_pvt.h"
#include "image/LittleEndian.h"
#include "image/MaskedChannel.h"

namespace stampora {

namespace {

// How many pixel bytes one byte of a truncated uncompressed file may stand
// for, and one byte of run-length data: a run of 255 pixels takes two bytes
// and a delta escape skips up to 255 lines in four, so a real file stays far
// below this.
constexpr uint64_t kMaxClaimPerByte = 128;
constexpr uint64_t kMaxRunLengthClaimPerByte = 4096;

constexpr uint32_t kStandardMasks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

// The bytes CreateBmpImage reads: the headers, masks and palette, which all
// lie before the pixels or within the first kBmpHeadBytes bytes.
size_t HeadBytes(uint32_t pixelOffset, size_t fileSize) {
    return std::min<size_t>(fileSize, std::max<size_t>(pixelOffset, kBmpHeadBytes));
}

// Headers larger than this (a pixel offset far into the file) are read the
// plain way, through the whole file in memory.
constexpr size_t kMaxStreamedHeadBytes = size_t{1} << 20;

bool ReadMasks(const uint8_t* head, size_t fileSize, BmpLayout& layout, Status& status) {
    const uint32_t compression = layout.info.biCompression;
    const size_t headerSize = layout.info.biSize;
    // Headers of 52 bytes or more hold the masks themselves; the plain
    // 40-byte header is followed by them.
    const size_t maskCount = headerSize >= 56 || compression == kBmpAlphaBitFields ? 4 : 3;
    if (fileSize < kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * maskCount) {
        return status.Fail(Domain::Read, "the colour masks are missing");
    }
    for (size_t i = 0; i < maskCount; ++i) {
        layout.masks[i] = LoadLE32(head + kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * i);
    }
    return true;
}

// Windows headers are 40 bytes and the 52-, 56-, 108- and 124-byte ones that
// extend it; the OS/2 2.x header takes 16 to 64 bytes, the first of them laid
// out as the Windows fields, and whatever it leaves out counts as zero.
bool IsOs2Header(uint32_t size) {
    return size < kBmpInfoHeaderBytes ||
           (size <= 64 && size != kBmpInfoHeaderBytes && size != 52 && size != 56);
}

// Fills layout.info from whichever header the file holds.
bool ReadInfoHeader(const uint8_t* head, size_t fileSize, BmpLayout& layout, Status& status) {
    if (fileSize < kBmpFileHeaderBytes + 4)
        return status.Fail(Domain::Read, "the bitmap header is cut short");
    DibInfoHeader& info = layout.info;
    const uint32_t size = LoadLE32(head + kBmpFileHeaderBytes);
    if (size == kBmpCoreHeaderBytes) {
        if (fileSize < kBmpFileHeaderBytes + kBmpCoreHeaderBytes)
            return status.Fail(Domain::Read, "the bitmap header is cut short");
        const uint8_t* core = head + kBmpFileHeaderBytes;
        info.biSize = size;
        info.biWidth = LoadLE16(core + 4);
        info.biHeight = LoadLE16(core + 6);
        info.biPlanes = LoadLE16(core + 8);
        info.biBitCount = LoadLE16(core + 10);
        return true;
    }
    if (size < 16) {
        return status.Fail(Domain::Read, "a bitmap header of " + std::to_string(size) +
                                             " bytes is not one this reader knows");
    }
    const size_t copied = std::min<size_t>(size, kBmpInfoHeaderBytes);
    if (fileSize < kBmpFileHeaderBytes + copied)
        return status.Fail(Domain::Read, "the bitmap header is cut short");
    std::memcpy(&info, head + kBmpFileHeaderBytes, copied);
    // OS/2 gives compression 3 and 4 to its own Huffman and 24-bit run-length
    // codes, not to bit fields and JPEG.
    if (IsOs2Header(size) && (info.biCompression == 3 || info.biCompression == 4)) {
        return status.Fail(Domain::Read,
                           std::string("OS/2 ") +
                               (info.biCompression == 3 ? "Huffman-coded" : "24-bit run-length") +
                               " bitmaps are not supported");
    }
    return true;
}

bool CheckHeaders(const uint8_t* head, size_t fileSize, BmpLayout& layout, Status& status) {
    if (head == nullptr || fileSize <= kBmpFileHeaderBytes)
        return status.Fail(Domain::Read, "the file is too short for a bitmap");
    if (LoadLE16(head) != 0x4D42) return status.Fail(Domain::Read, "not a bitmap file (no \"BM\" signature)");
    layout.pixelOffset = LoadLE32(head + 10);
    if (layout.pixelOffset >= fileSize)
        return status.Fail(Domain::Read, "the pixel data lies beyond the end of the file");
    if (!ReadInfoHeader(head, fileSize, layout, status)) return false;
    DibInfoHeader& info = layout.info;
    // A negative height marks the top line stored first.
    const int64_t height = info.biHeight;
    layout.topDown = height < 0;
    if (!IsDecodableSize(info.biWidth, layout.topDown ? -height : height)) {
        return status.Fail(Domain::Read, "the bitmap claims an impossible size (" +
                                             std::to_string(info.biWidth) + " x " +
                                             std::to_string(info.biHeight) + ")");
    }
    if (layout.topDown) info.biHeight = static_cast<int32_t>(-height);
    const uint32_t compression = info.biCompression;
    const uint16_t bpp = info.biBitCount;
    const bool bitFields = compression == BI_BITFIELDS || compression == kBmpAlphaBitFields;
    const bool supported = compression == BI_RGB || (compression == kBmpRle8 && bpp == 8) ||
                           (compression == kBmpRle4 && bpp == 4) || (bitFields && (bpp == 16 || bpp == 32));
    if (!supported) {
        return status.Fail(Domain::Read, "bitmap compression " + std::to_string(compression) + " at " +
                                             std::to_string(bpp) + " bits is not supported");
    }
    // Run-length lines always run from the bottom up.
    if (layout.topDown && layout.RunLength())
        return status.Fail(Domain::Read, "a top-down bitmap cannot be run-length encoded");
    if (bitFields && !ReadMasks(head, fileSize, layout, status)) return false;
    if (bpp == 32) {
        if (compression == BI_RGB) {
            if (info.biSize >= 108 && fileSize < kBmpHeadBytes)
                return status.Fail(Domain::Read, "the bitmap header is cut short");
            // A V4 or V5 header says where alpha lives even without bit fields.
            if (info.biSize >= 108) layout.alphaUnused = LoadLE32(head + kBmpFileHeaderBytes + 52) == 0;
            std::copy(kStandardMasks, kStandardMasks + 3, layout.masks);
            if (!layout.alphaUnused) layout.masks[3] = kStandardMasks[3];
        } else {
            layout.alphaUnused = layout.masks[3] == 0;
        }
    }

    // A file cut short keeps the lines it holds, but a header claiming far
    // more than the file could ever have held is refused before allocating.
    const uint64_t declared = DibStride(info.biWidth, bpp) * static_cast<uint64_t>(info.biHeight);
    const uint64_t perByte = layout.RunLength() ? kMaxRunLengthClaimPerByte : kMaxClaimPerByte;
    if (declared / perByte > fileSize - layout.pixelOffset) {
        return status.Fail(Domain::Read, "the bitmap claims " + std::to_string(info.biWidth) + " x " +
                                             std::to_string(info.biHeight) + " pixels, far more than its " +
                                             std::to_string(fileSize - layout.pixelOffset) +
                                             " bytes of pixel data hold");
    }
    return true;
}

void TakePalette(const uint8_t* head, const BmpLayout& layout, CRasterImage& image) {
    // Only the entries the file holds between its headers and its pixels are
    // taken; the rest keep the grey ramp. Pixels that start at or before the
    // palette's place mean the file holds no palette.
    size_t paletteStart = kBmpFileHeaderBytes + static_cast<size_t>(layout.info.biSize);
    if (layout.info.biSize == kBmpInfoHeaderBytes && layout.info.biCompression == BI_BITFIELDS) {
        paletteStart += kBmpMaskBytes;
    }
    const size_t paletteEnd = layout.pixelOffset;
    if (paletteStart >= paletteEnd) return;
    const size_t entryBytes = layout.PaletteEntryBytes();
    const size_t available = (paletteEnd - paletteStart) / entryBytes;
    const size_t count = std::min<size_t>(available, static_cast<size_t>(image.PaletteSize()));
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = head + paletteStart + i * entryBytes;
        image.Palette()[i] =
            PaletteColour{entry[0], entry[1], entry[2], entryBytes == 4 ? entry[3] : uint8_t{0}};
    }
}

// Copies what the file holds of the uncompressed pixels, bottom line first,
// and notes lines the file does not hold.
template <typename ReadBytes>
void ReadUncompressed(CRasterImage& image, size_t available, Status& status, ReadBytes&& read) {
    const size_t present = read(image.Pixels(), std::min(available, image.PixelBytes()));
    if (present < image.PixelBytes()) {
        status.damage = LinesDamage(static_cast<int64_t>(present / image.Stride()), image.Height());
    }
}

}  // namespace

std::unique_ptr<CRasterImage> CreateBmpImage(const uint8_t* head, size_t fileSize, BmpLayout& layout,
                                             Status& status) {
    if (!CheckHeaders(head, fileSize, layout, status)) return nullptr;
    // The image's own header: 16-bit bit fields keep their masks; every other
    // picture is stored plain.
    alignas(4) uint8_t block[kBmpInfoHeaderBytes + kBmpMaskBytes] = {};
    DibInfoHeader created = layout.info;
    const bool bitFields16 = created.biBitCount == 16 && created.biCompression == BI_BITFIELDS;
    created.biSize = kBmpInfoHeaderBytes;
    if (!bitFields16) created.biCompression = BI_RGB;
    std::memcpy(block, &created, sizeof created);
    if (bitFields16) std::memcpy(block + kBmpInfoHeaderBytes, layout.masks, kBmpMaskBytes);

    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(reinterpret_cast<const DibInfoHeader*>(block))) {
        status.failure = {Domain::Read, "not enough memory for a picture of " +
                                            std::to_string(created.biWidth) + " x " +
                                            std::to_string(created.biHeight) + " pixels"};
        return nullptr;
    }
    if (image->Bpp() <= 8) TakePalette(head, layout, *image);
    return image;
}

void FinishBmpPixels(CRasterImage& image, const BmpLayout& layout) {
    if (layout.topDown) {
        // The lines were read in file order into memory that holds the
        // bottom line first.
        for (int32_t y = 0, other = image.Height() - 1; y < other; ++y, --other)
            std::swap_ranges(image.Row(y), image.Row(y) + image.Stride(), image.Row(other));
    }
    if (image.Bpp() != 32) return;
    const bool standard = std::equal(layout.masks, layout.masks + 3, kStandardMasks) &&
                          (layout.masks[3] == 0 || layout.masks[3] == kStandardMasks[3]);
    if (!standard) {
        for (int32_t y = 0; y < image.Height(); ++y) {
            uint8_t* px = image.Row(y);
            for (int32_t x = 0; x < image.Width(); ++x, px += 4) {
                const uint32_t word = LoadLE32(px);
                px[0] = WidenMaskedChannel(word, layout.masks[2]);
                px[1] = WidenMaskedChannel(word, layout.masks[1]);
                px[2] = WidenMaskedChannel(word, layout.masks[0]);
                px[3] = layout.masks[3] != 0 ? WidenMaskedChannel(word, layout.masks[3]) : 0;
            }
        }
    }
    bool anyAlpha = false;
    if (!layout.alphaUnused) {
        for (int32_t y = 0; y < image.Height() && !anyAlpha; ++y) {
            const uint8_t* px = image.Row(y);
            for (int32_t x = 0; x < image.Width(); ++x)
                anyAlpha = anyAlpha || px[4 * static_cast<size_t>(x) + 3] != 0;
        }
    }
    // A fourth byte that is unused, or zero everywhere, is no alpha channel:
    // such a picture is opaque, not invisible.
    if (!anyAlpha) image.FillAlpha(255);
}

bool CBmpCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot&) {
    status = {};
    BmpLayout layout;
    std::unique_ptr<CRasterImage> image = CreateBmpImage(data, size, layout, status);
    if (!image) return false;
    const uint8_t* pixels = data + layout.pixelOffset;
    const size_t available = size - layout.pixelOffset;
    if (layout.RunLength()) {
        const int32_t lines = DecodeBmpRunLength(pixels, available, *image);
        if (lines < image->Height()) status.damage = LinesDamage(lines, image->Height());
    } else {
        ReadUncompressed(*image, available, status, [&](uint8_t* out, size_t bytes) {
            std::memcpy(out, pixels, bytes);
            return bytes;
        });
    }
    FinishBmpPixels(*image, layout);
    images.Append(std::move(image));
    return true;
}

// Reads the headers first and then uncompressed pixel rows straight into the
// image, so a large picture is read without a second copy of the file in
// memory. Run-length files are decoded from memory.
bool CBmpCodec::LoadOpened(CodecInputFile& file, ImageList& images, PropertiesSlot& properties) {
    status = {};
    uint8_t fileHeader[kBmpFileHeaderBytes] = {};
    if (!file.Seek(0) || !file.ReadExactly(fileHeader, sizeof fileHeader))
        return status.Fail(Domain::Read, "the file is too short for a bitmap");
    const size_t headBytes = HeadBytes(LoadLE32(fileHeader + 10), file.Size());
    if (headBytes > kMaxStreamedHeadBytes) return CImageCodec::LoadOpened(file, images, properties);
    std::vector<uint8_t> head(headBytes);
    std::memcpy(head.data(), fileHeader, std::min(headBytes, sizeof fileHeader));
    if (headBytes > sizeof fileHeader &&
        !file.ReadExactly(head.data() + sizeof fileHeader, headBytes - sizeof fileHeader)) {
        return status.Fail(Domain::Read, ReadFailure());
    }

    BmpLayout layout;
    std::unique_ptr<CRasterImage> image = CreateBmpImage(head.data(), file.Size(), layout, status);
    if (!image) return false;
    if (layout.RunLength()) return CImageCodec::LoadOpened(file, images, properties);
    if (!file.Seek(layout.pixelOffset)) return status.Fail(Domain::Read, ReadFailure());
    ReadUncompressed(*image, file.Size() - layout.pixelOffset, status,
                     [&](uint8_t* out, size_t bytes) { return file.Read(out, bytes); });
    FinishBmpPixels(*image, layout);
    images.Append(std::move(image));
    return true;
}

}  // namespace stampora
