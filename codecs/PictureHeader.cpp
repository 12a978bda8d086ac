#include "codecs/PictureHeader.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "codecs/ImageFormat.h"
#include "codecs/Jpeg_pvt.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

// Enough for the fixed headers read by hand below.
constexpr size_t kHeadBytes = 64;

uint32_t Little16(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
}
uint32_t Little32(const uint8_t* p) {
    return Little16(p) | Little16(p + 2) << 16;
}
uint32_t Big32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

std::optional<PictureHeader> Checked(PictureHeader header) {
    if (header.width <= 0 || header.height <= 0 || header.channels <= 0 || header.bitsPerChannel <= 0)
        return std::nullopt;
    header.channels = std::min(header.channels, 4);
    return header;
}

// Runs libjpeg as far as the frame header. No object with a destructor
// lives between the setjmp and the library calls.
std::optional<PictureHeader> JpegHeader(std::FILE* file) {
    jpeg_decompress_struct info;
    JpegErrorTrap trap;
    info.err = InstallJpegErrorTrap(trap);
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
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
    return Checked(header);
}

int Silent(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

std::optional<PictureHeader> TiffHeader(const std::string& path) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return std::nullopt;
    // A header asks for little; a hostile directory gets no more.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t{64} << 20);
    TIFFOpenOptionsSetErrorHandlerExtR(options, Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Silent, nullptr);
    TIFF* tiff = TIFFOpenExt(path.c_str(), "rm", options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) return std::nullopt;
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samples = 1;
    uint16_t bits = 1;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFClose(tiff);
    return Checked(PictureHeader{width, height, samples, bits, 0});
}

// The fixed headers: PNG's IHDR, GIF's screen, BMP's info header, TGA's.
std::optional<PictureHeader> HandReadHeader(ImageFormat format, const uint8_t* head, size_t size) {
    PictureHeader header;
    if (format == FormatPng && size >= 26 && Big32(head + 8) == 13 &&
        std::equal(head + 12, head + 16, "IHDR")) {
        header.width = Big32(head + 16);
        header.height = Big32(head + 20);
        header.bitsPerChannel = head[24];
        const uint8_t colour = head[25];
        header.channels = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
    } else if (format == FormatGif && size >= 10) {
        header.width = Little16(head + 6);
        header.height = Little16(head + 8);
        // An animation is played on a screen, and each frame written from a
        // copy of it beside the writer's own.
        header = PictureHeader{header.width, header.height, 4, 8, 12};
    } else if (format == FormatBmp && size >= 30) {
        const uint32_t infoSize = Little32(head + 14);
        const bool core = infoSize == 12;
        header.width = core ? Little16(head + 18) : static_cast<int32_t>(Little32(head + 18));
        const int64_t height = core ? Little16(head + 20) : static_cast<int32_t>(Little32(head + 22));
        header.height = height < 0 ? -height : height;
        const uint32_t bits = Little16(head + (core ? 24 : 28));
        header.channels = bits == 32 ? 4 : 3;
        header.bitsPerChannel = 8;
    } else if (format == FormatTga && size >= 18) {
        header.width = Little16(head + 12);
        header.height = Little16(head + 14);
        header.channels = head[16] == 32 ? 4 : 3;
        header.bitsPerChannel = 8;
    }
    return Checked(header);
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(const std::string& path) {
    std::FILE* file = OpenFileUtf8(path, "rb");
    if (file == nullptr) return std::nullopt;
    uint8_t head[kHeadBytes] = {};
    const size_t size = std::fread(head, 1, sizeof head, file);
    const ImageFormat format = FormatForReading(path, head, size);
    std::optional<PictureHeader> header;
    if (format == FormatJpeg && std::fseek(file, 0, SEEK_SET) == 0) {
        header = JpegHeader(file);
    } else if (format != FormatTiff) {
        header = HandReadHeader(format, head, size);
    }
    std::fclose(file);
    return format == FormatTiff ? TiffHeader(path) : header;
}

}  // namespace stampora
