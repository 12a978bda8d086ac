#include "codecs/PictureHeader.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "codecs/CodecInputFile.h"
#include "codecs/DecodeLimits.h"
#include "codecs/PictureHeader_pvt.h"
#include "codecs/jpeg/Jpeg_pvt.h"
#include "codecs/tga/Tga_pvt.h"
#include "image/LittleEndian.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

constexpr uint8_t kPngEnd[kTailBytes] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
// Ancillary chunks before the pixels (profile, EXIF, text) get no more.
constexpr size_t kPngChunkBytes = size_t{8} << 20;

// Runs libjpeg as far as the first scan. No object with a destructor lives
// between the setjmp and the library calls.
std::optional<PictureHeader> JpegHeader(const OpenPicture& picture) {
    jpeg_decompress_struct info;
    JpegErrorTrap trap;
    info.err = InstallJpegErrorTrap(trap);
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, picture.file);
    jpeg_read_header(&info, TRUE);
    PictureHeader header;
    header.width = info.image_width;
    header.height = info.image_height;
    header.channels = info.num_components;
    header.bitsPerChannel = info.data_precision;
    // Two bytes a coefficient, one coefficient a sample of each component
    // at its own sampling.
    if (info.progressive_mode) {
        int64_t samples = 0;
        for (int i = 0; i < info.num_components; ++i) {
            samples += int64_t{info.comp_info[i].h_samp_factor} * info.comp_info[i].v_samp_factor;
        }
        const int64_t full = int64_t{info.max_h_samp_factor} * info.max_v_samp_factor;
        header.workingBytesPerPixel = full > 0 ? static_cast<int32_t>((2 * samples + full - 1) / full) : 0;
    }
    jpeg_destroy_decompress(&info);
    const uint8_t endOfImage[] = {0xFF, 0xD9};
    header.whole = picture.EndsWith(endOfImage, sizeof endOfImage);
    return Checked(header);
}

[[noreturn]] void JumpOnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void DropPngWarning(png_structp, png_const_charp) {}

// libpng reads the chunks before the first IDAT. Only this function calls
// setjmp.
bool PngInfoReads(png_structp png, png_infop info, std::FILE* file) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    // The size is judged by the caller; libpng's own default limit is lower.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_chunk_malloc_max(png, kPngChunkBytes);
    png_read_info(png, info);
    return true;
}

std::optional<PictureHeader> PngHeader(const OpenPicture& picture) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnPngError, DropPngWarning);
    if (png == nullptr) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    std::optional<PictureHeader> header;
    if (info != nullptr && PngInfoReads(png, info, picture.file)) {
        header = Checked(PictureHeader{png_get_image_width(png, info), png_get_image_height(png, info),
                                       png_get_channels(png, info), png_get_bit_depth(png, info), 0,
                                       picture.EndsWith(kPngEnd, kTailBytes)});
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return header;
}

int ReadGifBytes(GifFileType* gif, GifByteType* out, int length) {
    return static_cast<int>(
        std::fread(out, 1, static_cast<size_t>(std::max(length, 0)), static_cast<std::FILE*>(gif->UserData)));
}

// giflib reads the signature and the logical screen. An animation is played
// on a screen, and each frame written from a copy of it beside the writer's
// own.
std::optional<PictureHeader> GifHeader(const OpenPicture& picture) {
    int error = 0;
    GifFileType* gif = DGifOpen(picture.file, ReadGifBytes, &error);
    if (gif == nullptr) return std::nullopt;
    const uint8_t trailer[] = {0x3B};
    PictureHeader header{gif->SWidth, gif->SHeight, 4, 8, 12, picture.EndsWith(trailer, 1)};
    DGifCloseFile(gif, &error);
    return Checked(header);
}

// The file and info headers as the BMP reader takes them, the old core
// header included; uncompressed pixels must all be there.
std::optional<PictureHeader> BmpHeader(const OpenPicture& picture) {
    const uint8_t* head = picture.head;
    if (picture.headBytes < 26 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
    const uint32_t infoSize = LoadLE32(head + 14);
    const bool core = infoSize == 12;
    if (!core && (infoSize < 40 || picture.headBytes < 54)) return std::nullopt;
    const uint32_t pixelOffset = LoadLE32(head + 10);
    const int64_t width = core ? int64_t{LoadLE16(head + 18)} : static_cast<int32_t>(LoadLE32(head + 18));
    // Signed: a negative height is a top-down picture.
    const int64_t signedHeight =
        core ? int64_t{LoadLE16(head + 20)} : static_cast<int32_t>(LoadLE32(head + 22));
    const int64_t height = signedHeight < 0 ? -signedHeight : signedHeight;
    const uint32_t bpp = LoadLE16(head + (core ? 24 : 28));
    const uint32_t compression = core ? 0 : LoadLE32(head + 30);
    PictureHeader header{width, height, bpp == 32 ? 4 : 3, 8, 0, false};
    const bool knownDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    if (knownDepth && width > 0 && pixelOffset < picture.size) {
        const bool runLength = compression == 1 || compression == 2;
        const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
        header.whole = runLength || (IsDecodableSize(width, height) &&
                                     pixelOffset + stride * static_cast<uint64_t>(height) <= picture.size);
    }
    return Checked(header);
}

// The header as the TGA reader parses it; raw pixels must all be there.
// Grey with alpha is read as grey-and-alpha pairs, then widened.
std::optional<PictureHeader> TgaHeaderOf(const OpenPicture& picture) {
    if (picture.headBytes < kTgaHeaderBytes) return std::nullopt;
    const TgaHeader tga = ParseTgaHeader(picture.head);
    const int32_t bpp = tga.Bpp();
    PictureHeader header{
        tga.width, tga.height, bpp == 32 || tga.IsGreyAlpha() ? 4 : 3, 8, tga.IsGreyAlpha() ? 2 : 0, false};
    if (tga.IsKnownType() && (bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) {
        const uint64_t colourMap =
            tga.HasColourMap() ? uint64_t{tga.colourMapLength} * tga.ColourMapEntryBytes() : 0;
        const uint64_t before = kTgaHeaderBytes + tga.idLength + colourMap;
        const uint64_t pixels = tga.IsRunLength() ? 1 : uint64_t{tga.width} * tga.height * (bpp / 8);
        header.whole = before + pixels <= picture.size;
    }
    return Checked(header);
}

int Silent(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// libtiff reads the directory through these, from the open file.
tmsize_t TiffRead(thandle_t data, void* out, tmsize_t bytes) {
    if (bytes <= 0) return 0;
    return static_cast<tmsize_t>(
        std::fread(out, 1, static_cast<size_t>(bytes), static_cast<const OpenPicture*>(data)->file));
}

tmsize_t TiffRefuseWrite(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t TiffSeek(thandle_t data, toff_t offset, int whence) {
    const auto* picture = static_cast<const OpenPicture*>(data);
    const uint64_t base = whence == SEEK_SET   ? 0
                          : whence == SEEK_END ? picture->size
                                               : static_cast<uint64_t>(std::ftell(picture->file));
    const uint64_t target = base + offset;
    if (target < base || target > picture->size ||
        std::fseek(picture->file, static_cast<long>(target), SEEK_SET) != 0)
        return static_cast<toff_t>(-1);
    return target;
}

int TiffKeepOpen(thandle_t) {
    return 0;
}

toff_t TiffSize(thandle_t data) {
    return static_cast<const OpenPicture*>(data)->size;
}

int TiffNoMap(thandle_t, void**, toff_t*) {
    return 0;
}

void TiffNoUnmap(thandle_t, void*, toff_t) {}

// libtiff reads the first directory, asking for little memory; every strip
// or tile it names must lie inside the file.
std::optional<PictureHeader> TiffHeader(const OpenPicture& picture) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return std::nullopt;
    // A header asks for little; a hostile directory gets no more.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t{64} << 20);
    TIFFOpenOptionsSetErrorHandlerExtR(options, Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Silent, nullptr);
    // libtiff does not change what it is given to read from.
    void* data = const_cast<OpenPicture*>(&picture);
    TIFF* tiff = std::fseek(picture.file, 0, SEEK_SET) != 0
                     ? nullptr
                     : TIFFClientOpenExt("picture", "rm", data, TiffRead, TiffRefuseWrite, TiffSeek,
                                         TiffKeepOpen, TiffSize, TiffNoMap, TiffNoUnmap, options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) return std::nullopt;
    const uint64_t fileSize = picture.size;
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samples = 1;
    uint16_t bits = 1;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    const bool tiled = TIFFIsTiled(tiff) != 0;
    bool whole = TIFFGetField(tiff, tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &offsets) == 1 &&
                 TIFFGetField(tiff, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) == 1 &&
                 offsets != nullptr && counts != nullptr;
    const uint32_t parts = whole ? (tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff)) : 0;
    for (uint32_t i = 0; whole && i < parts; ++i)
        whole = offsets[i] <= fileSize && counts[i] <= fileSize - offsets[i];
    TIFFClose(tiff);
    return Checked(PictureHeader{width, height, samples, bits, 0, whole});
}

// Takes the start, the end and the size of an open file.
bool Measure(std::FILE* file, OpenPicture& picture) {
    picture.file = file;
    if (std::fseek(file, 0, SEEK_SET) != 0) return false;
    picture.headBytes = std::fread(picture.head, 1, kHeadBytes, file);
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (size < 0) return false;
    picture.size = static_cast<uint64_t>(size);
    picture.tailBytes = static_cast<size_t>(std::min<uint64_t>(picture.size, kTailBytes));
    return std::fseek(file, size - static_cast<long>(picture.tailBytes), SEEK_SET) == 0 &&
           std::fread(picture.tail, 1, picture.tailBytes, file) == picture.tailBytes &&
           std::fseek(file, 0, SEEK_SET) == 0;
}

std::optional<PictureHeader> HeaderOf(const OpenPicture& picture, ImageFormat format, bool forWhole = false) {
    switch (format) {
        case FormatJpeg:
            return JpegHeader(picture);
        case FormatPng:
            return PngHeader(picture);
        case FormatGif:
            return GifHeader(picture);
        case FormatBmp:
            return BmpHeader(picture);
        case FormatTga:
            return TgaHeaderOf(picture);
        case FormatTiff:
            return TiffHeader(picture);
        case FormatWebp:
            return WebpHeader(picture);
        case FormatHeif:
        case FormatAvif:
            return HeifHeader(picture);
        case FormatJxl:
            return JxlHeader(picture, forWhole);
        default:
            return std::nullopt;
    }
}

// `format` null: taken from the file's start and name.
std::optional<PictureHeader> Read(const std::string& path, const ImageFormat* format, bool forWhole = false) {
    std::FILE* file = OpenFileUtf8(path, "rb");
    if (file == nullptr) return std::nullopt;
    OpenPicture picture;
    std::optional<PictureHeader> header;
    if (Measure(file, picture))
        header = HeaderOf(
            picture, format != nullptr ? *format : FormatForReading(path, picture.head, picture.headBytes),
            forWhole);
    std::fclose(file);
    return header;
}

}  // namespace

std::optional<PictureHeader> Checked(PictureHeader header) {
    if (header.width <= 0 || header.height <= 0 || header.channels <= 0 || header.bitsPerChannel <= 0)
        return std::nullopt;
    header.channels = std::min(header.channels, 4);
    header.whole = header.whole && IsDecodableSize(header.width, header.height);
    return header;
}

std::optional<PictureHeader> ReadPictureHeader(const std::string& path) {
    return Read(path, nullptr);
}

std::optional<PictureHeader> ReadPictureHeader(const std::string& path, ImageFormat format) {
    return Read(path, &format);
}

std::optional<PictureHeader> ReadPictureHeader(CodecInputFile& file, ImageFormat format) {
    OpenPicture picture;
    std::optional<PictureHeader> header;
    if (file.Stream() != nullptr && Measure(file.Stream(), picture)) header = HeaderOf(picture, format);
    if (!file.Seek(0)) return std::nullopt;
    return header;
}

bool IsWholePicture(const std::string& path, ImageFormat format) {
    const std::optional<PictureHeader> header = Read(path, &format, true);
    return header && header->whole;
}

}  // namespace stampora
