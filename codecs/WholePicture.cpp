#include "codecs/WholePicture.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "codecs/DecodeLimits.h"
#include "codecs/Jpeg_pvt.h"
#include "codecs/Tga_pvt.h"
#include "codecs/Tiff_pvt.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

// Room for a header with its EXIF, colour profile and XMP blocks.
constexpr size_t kHeadBytes = size_t{1} << 20;
// The longest ending checked: PNG's IEND chunk.
constexpr size_t kTailBytes = 12;
constexpr uint8_t kPngEnd[kTailBytes] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

struct MemoryBytes {
    const uint8_t* data;
    size_t size;
    size_t position;
};

// libjpeg reads the markers up to the first scan; the trap's jump ends it
// on any error. Keeps no object with a destructor past setjmp.
bool JpegHeaderReads(const uint8_t* data, size_t size) {
    jpeg_decompress_struct cinfo{};
    JpegErrorTrap trap;
    cinfo.err = InstallJpegErrorTrap(trap);
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    const bool whole = jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK &&
                       IsDecodableSize(cinfo.image_width, cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return whole;
}

void ReadPngBytes(png_structp png, png_bytep out, size_t length) {
    auto* source = static_cast<MemoryBytes*>(png_get_io_ptr(png));
    if (length > source->size - source->position) png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->position, length);
    source->position += length;
}

[[noreturn]] void JumpOnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void DropPngWarning(png_structp, png_const_charp) {}

// libpng reads the chunks before the first IDAT. Only this function calls
// setjmp.
bool PngInfoReads(png_structp png, png_infop info, MemoryBytes& source) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &source, ReadPngBytes);
    png_set_user_limits(png, kMaxDecodedPixels, kMaxDecodedPixels);
    png_set_chunk_malloc_max(png, kHeadBytes);
    png_read_info(png, info);
    return IsDecodableSize(png_get_image_width(png, info), png_get_image_height(png, info));
}

bool PngHeaderReads(const uint8_t* data, size_t size) {
    MemoryBytes source{data, size, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnPngError, DropPngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    const bool whole = info != nullptr && PngInfoReads(png, info, source);
    png_destroy_read_struct(&png, &info, nullptr);
    return whole;
}

int ReadGifBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<MemoryBytes*>(gif->UserData);
    const size_t count = std::min(static_cast<size_t>(std::max(length, 0)), source->size - source->position);
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
    return static_cast<int>(count);
}

// giflib reads the signature and the logical screen.
bool GifHeaderReads(const uint8_t* data, size_t size) {
    MemoryBytes source{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadGifBytes, &error);
    if (gif == nullptr) return false;
    const bool whole = IsDecodableSize(gif->SWidth, gif->SHeight);
    DGifCloseFile(gif, &error);
    return whole;
}

// The file and info headers as the BMP reader takes them; uncompressed
// pixels must all be there.
bool BmpHeaderFits(const uint8_t* head, size_t headBytes, size_t fileSize) {
    if (headBytes < 54 || head[0] != 'B' || head[1] != 'M' || LoadLE32(head + 14) < 40) return false;
    const uint32_t pixelOffset = LoadLE32(head + 10);
    const int64_t width = static_cast<int32_t>(LoadLE32(head + 18));
    const int64_t height = static_cast<int32_t>(LoadLE32(head + 22));
    const uint32_t bpp = LoadLE16(head + 28);
    const uint32_t compression = LoadLE32(head + 30);
    if (!IsDecodableSize(width, height < 0 ? -height : height) || pixelOffset >= fileSize) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    const bool runLength = compression == 1 || compression == 2;
    const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
    return runLength ||
           pixelOffset + stride * static_cast<uint64_t>(height < 0 ? -height : height) <= fileSize;
}

// The header as the TGA reader parses it; raw pixels must all be there.
bool TgaHeaderFits(const uint8_t* head, size_t headBytes, size_t fileSize) {
    if (headBytes < kTgaHeaderBytes) return false;
    const TgaHeader header = ParseTgaHeader(head);
    const int32_t bpp = header.Bpp();
    if (!header.IsKnownType() || !IsDecodableSize(header.width, header.height) ||
        (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
        return false;
    const uint64_t colourMap =
        header.HasColourMap() ? uint64_t{header.colourMapLength} * header.ColourMapEntryBytes() : 0;
    const uint64_t before = kTgaHeaderBytes + header.idLength + colourMap;
    const uint64_t pixels = header.IsRunLength() ? 1 : uint64_t{header.width} * header.height * (bpp / 8);
    return before + pixels <= fileSize;
}

// libtiff reads the first directory; every strip or tile it names must lie
// inside the file.
bool TiffDirectoryFits(const std::vector<uint8_t>& bytes) {
    TiffMemoryFile file;
    file.readData = bytes.data();
    file.size = bytes.size();
    TIFF* tiff = OpenTiffInMemory(file, "r");
    if (tiff == nullptr) return false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    const bool tiled = TIFFIsTiled(tiff) != 0;
    bool whole = TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) == 1 &&
                 TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) == 1 && IsDecodableSize(width, height) &&
                 TIFFGetField(tiff, tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &offsets) == 1 &&
                 TIFFGetField(tiff, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) == 1 &&
                 offsets != nullptr && counts != nullptr;
    const uint32_t parts = whole ? (tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff)) : 0;
    for (uint32_t i = 0; whole && i < parts; ++i)
        whole = offsets[i] <= bytes.size() && counts[i] <= bytes.size() - offsets[i];
    TIFFClose(tiff);
    return whole;
}

}  // namespace

bool IsWholePicture(const std::string& path, ImageFormat format) {
    CodecInputFile file;
    FileStatus status;
    if (!file.Open(path, status)) return false;
    const size_t size = file.Size();
    if (format == FormatTiff) {
        std::vector<uint8_t> bytes;
        return file.ReadAll(bytes, status) && TiffDirectoryFits(bytes);
    }
    std::vector<uint8_t> head(std::min(size, kHeadBytes));
    uint8_t tail[kTailBytes] = {};
    const size_t tailBytes = std::min(size, kTailBytes);
    if (!file.ReadExactly(head.data(), head.size()) || !file.Seek(size - tailBytes) ||
        !file.ReadExactly(tail, tailBytes))
        return false;
    const uint8_t last = tail[tailBytes - 1];
    switch (format) {
        case FormatJpeg:
            return tailBytes >= 2 && tail[tailBytes - 2] == 0xFF && last == 0xD9 &&
                   JpegHeaderReads(head.data(), head.size());
        case FormatPng:
            return tailBytes == kTailBytes && std::memcmp(tail, kPngEnd, kTailBytes) == 0 &&
                   PngHeaderReads(head.data(), head.size());
        case FormatGif:
            return last == 0x3B && GifHeaderReads(head.data(), head.size());
        case FormatBmp:
            return BmpHeaderFits(head.data(), head.size(), size);
        case FormatTga:
            return TgaHeaderFits(head.data(), head.size(), size);
        default:
            return false;
    }
}

}  // namespace stampora
