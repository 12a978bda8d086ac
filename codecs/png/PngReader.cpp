#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/metadata/ExifOrientation.h"
#include "codecs/metadata/ExifProperties.h"
#include "codecs/png/PngCodec.h"
#include "codecs/png/Png_pvt.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

// Ancillary chunks beyond these counts and sizes are only ever a hostile
// file's way of making the reader allocate.
constexpr png_uint_32 kMaxCachedChunks = 1000;
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr size_t kSignatureBytes = 8;

struct PngDecoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    CRasterImage* image = nullptr;
    std::vector<uint8_t>* exif = nullptr;
    std::string* error = nullptr;
    // The first warning that means pixels may be wrong.
    std::string* warning = nullptr;
    bool created = false;
    bool complete = false;
    bool interlaced = false;
    png_uint_32 rowsDone = 0;
    int pass = 0;
};

[[noreturn]] void JumpOnError(png_structp png, png_const_charp message) {
    auto* d = static_cast<PngDecoder*>(png_get_error_ptr(png));
    if (d != nullptr && d->error != nullptr && message != nullptr) *d->error = message;
    png_longjmp(png, 1);
}
// A warning about the image data (its checksums, its compressed stream, its
// length) or a critical chunk means pixels may be missing or wrong; one about
// an ancillary chunk ("iCCP: known incorrect sRGB profile", a text chunk's
// checksum) leaves them as stored. libpng names the chunk first, the
// ancillary ones in lower case.
bool LosesPixels(std::string_view message) {
    const bool named = message.size() > 6 && message.substr(4, 2) == ": ";
    if (named) return std::isupper(static_cast<unsigned char>(message[0])) != 0;
    for (const std::string_view about : {"IDAT", "image data", "compressed data"})
        if (message.find(about) != std::string_view::npos) return true;
    return false;
}

void KeepPixelWarning(png_structp png, png_const_charp message) {
    auto* d = static_cast<PngDecoder*>(png_get_error_ptr(png));
    if (d == nullptr || d->warning == nullptr || !d->warning->empty() || message == nullptr) return;
    std::string_view text(message);
    if (!LosesPixels(text)) return;
    // A benign error comes with its chunk's name twice ("IDAT: IDAT: ...").
    if (text.size() > 12 && text.substr(0, 6) == text.substr(6, 6)) text.remove_prefix(6);
    d->warning->assign(text);
}

uint32_t LoadBE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// What a walk over the file's chunks finds before decoding: the header, the
// bytes of image data (IDAT chunks) present, and the EXIF chunk, which
// libpng's progressive reader passes over.
struct ChunkScan {
    const uint8_t* ihdr = nullptr;
    uint64_t compressed = 0;
    const uint8_t* exif = nullptr;
    size_t exifBytes = 0;
};

ChunkScan ScanChunks(const uint8_t* data, size_t size) {
    ChunkScan scan;
    size_t pos = kSignatureBytes;
    while (size - pos >= 8) {
        const uint32_t length = LoadBE32(data + pos);
        const uint8_t* type = data + pos + 4;
        const uint8_t* body = data + pos + 8;
        const size_t present = std::min<size_t>(length, size - pos - 8);
        if (std::memcmp(type, "IHDR", 4) == 0 && present >= 13) scan.ihdr = body;
        if (std::memcmp(type, "IDAT", 4) == 0) scan.compressed += present;
        if (std::memcmp(type, "eXIf", 4) == 0 && present == length && scan.exif == nullptr) {
            scan.exif = body;
            scan.exifBytes = present;
        }
        if (std::memcmp(type, "IEND", 4) == 0 || present < length) break;
        pos += 8 + present;
        if (size - pos < 4) break;
        pos += 4;
    }
    return scan;
}

// Chooses the depth and the libpng transforms that deliver it.
int32_t PrepareTransforms(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool transparentEntries = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (bitDepth == 16) png_set_scale_16(png);
    png_set_bgr(png);
    switch (colorType) {
        case PNG_COLOR_TYPE_PALETTE:
            if (transparentEntries) {
                png_set_palette_to_rgb(png);
                png_set_tRNS_to_alpha(png);
                return 32;
            }
            if (bitDepth == 2) {
                png_set_packing(png);
                return 8;
            }
            return bitDepth;
        case PNG_COLOR_TYPE_GRAY:
            if (transparentEntries) {
                png_set_expand_gray_1_2_4_to_8(png);
                png_set_tRNS_to_alpha(png);
                png_set_gray_to_rgb(png);
                return 32;
            }
            if (bitDepth == 1) return 1;
            png_set_expand_gray_1_2_4_to_8(png);
            return 8;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            png_set_gray_to_rgb(png);
            return 32;
        case PNG_COLOR_TYPE_RGB:
            if (transparentEntries) {
                png_set_tRNS_to_alpha(png);
                return 32;
            }
            return 24;
        default:
            return 32;
    }
}

void CopyPalette(png_structp png, png_infop info, CRasterImage& image) {
    png_colorp entries = nullptr;
    int count = 0;
    PaletteColour* palette = image.Palette();
    std::memset(palette, 0, sizeof(PaletteColour) * static_cast<size_t>(image.PaletteSize()));
    if (png_get_PLTE(png, info, &entries, &count) == 0) return;
    count = std::min(count, image.PaletteSize());
    for (int i = 0; i < count; ++i) {
        palette[i].rgbRed = entries[i].red;
        palette[i].rgbGreen = entries[i].green;
        palette[i].rgbBlue = entries[i].blue;
    }
}

// The raw-profile text other tools write when there is no EXIF chunk.
void CopyExifText(png_structp png, png_infop info, std::vector<uint8_t>& exif) {
    if (!exif.empty()) return;
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    for (int i = 0; i < count; ++i) {
        if (texts[i].key != nullptr && std::strcmp(texts[i].key, "Raw profile type exif") == 0 &&
            DecodeRawExifProfile(texts[i].text, texts[i].text_length, exif)) {
            return;
        }
    }
}

// The header is known: chooses the depth, creates the picture.
void StartImage(png_structp png, png_infop info) {
    auto* d = static_cast<PngDecoder*>(png_get_progressive_ptr(png));
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!IsDecodableSize(width, height)) png_error(png, "the picture is too large");
    const int32_t bpp = PrepareTransforms(png, info);
    d->interlaced = png_set_interlace_handling(png) > 1;
    png_read_update_info(png, info);
    if (!d->image->Create(static_cast<int32_t>(width), static_cast<int32_t>(height), bpp)) {
        png_error(png, "not enough memory for the picture");
    }
    if (png_get_rowbytes(png, info) > d->image->Stride()) png_error(png, "unexpected row size");
    d->created = true;
    if (bpp <= 8 && png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE)
        CopyPalette(png, info, *d->image);
}

// One decoded line, or one pass's share of a line of an interlaced picture.
void TakeRow(png_structp png, png_bytep row, png_uint_32 y, int pass) {
    auto* d = static_cast<PngDecoder*>(png_get_progressive_ptr(png));
    if (row == nullptr || y >= static_cast<png_uint_32>(d->image->Height())) return;
    png_progressive_combine_row(png, d->image->Row(static_cast<int32_t>(y)), row);
    d->pass = pass;
    if (!d->interlaced) d->rowsDone = y + 1;
}

void Finish(png_structp png, png_infop info) {
    auto* d = static_cast<PngDecoder*>(png_get_progressive_ptr(png));
    d->complete = true;
    CopyExifText(png, info, *d->exif);
}

// Feeds the whole file to libpng's progressive reader, which hands over each
// line as soon as it is decoded, so a file cut short keeps every line it
// holds. Only this function calls setjmp; it keeps no object with a
// destructor of its own. An error after some lines keeps those lines.
bool Decode(PngDecoder& d, const uint8_t* data, size_t size) {
    if (setjmp(png_jmpbuf(d.png))) return d.created && (d.complete || d.rowsDone > 0 || d.pass > 0);

    png_set_progressive_read_fn(d.png, &d, StartImage, TakeRow, Finish);
    // No side may be longer than a decodable picture has pixels; the area is
    // checked as soon as the header is read.
    png_set_user_limits(d.png, kMaxDecodedPixels, kMaxDecodedPixels);
    png_set_chunk_cache_max(d.png, kMaxCachedChunks);
    png_set_chunk_malloc_max(d.png, kMaxChunkBytes);
    // Flaws that do not touch the pixels (a bad ancillary chunk) are not fatal.
    png_set_benign_errors(d.png, 1);
    // A wrong checksum is no reason to refuse pixels that may well be
    // intact, but one on the image data marks them damaged; damaged data
    // still fails where it breaks the stream.
    png_set_crc_action(d.png, PNG_CRC_WARN_USE, PNG_CRC_WARN_USE);
    png_process_data(d.png, d.info, const_cast<png_bytep>(data), size);
    if (!d.complete && d.error->empty()) *d.error = "the file ends early";
    return d.created && (d.complete || d.rowsDone > 0 || d.pass > 0);
}

}  // namespace

bool PngDataCanHold(const uint8_t* ihdr, uint64_t compressed) {
    const uint64_t width = LoadBE32(ihdr);
    const uint64_t height = LoadBE32(ihdr + 4);
    const uint64_t bitDepth = ihdr[8];
    static constexpr uint64_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint64_t channels = ihdr[9] < 7 ? kChannels[ihdr[9]] : 1;
    // The filtered lines without their filter bytes: less than any layout,
    // interlaced or not, must inflate to.
    const uint64_t rawBytes = height * ((width * std::max<uint64_t>(channels, 1) * bitDepth + 7) / 8);
    return rawBytes / kMaxDeflateRatio <= compressed + 1;
}

bool CPngCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    if (data == nullptr || size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        return status.Fail(Domain::Read, "not a PNG file");
    }
    const ChunkScan scan = ScanChunks(data, size);
    if (scan.ihdr != nullptr && !PngDataCanHold(scan.ihdr, scan.compressed)) {
        return status.Fail(Domain::Read, "the header claims " + std::to_string(LoadBE32(scan.ihdr)) + " x " +
                                             std::to_string(LoadBE32(scan.ihdr + 4)) +
                                             " pixels, more than its " + std::to_string(scan.compressed) +
                                             " bytes of compressed data can hold");
    }
    auto image = std::make_unique<CRasterImage>();
    std::vector<uint8_t> exif(scan.exif, scan.exif + scan.exifBytes);
    std::string error;
    std::string warning;

    PngDecoder d;
    d.image = image.get();
    d.exif = &exif;
    d.error = &error;
    d.warning = &warning;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, JumpOnError, KeepPixelWarning);
    if (d.png == nullptr) return status.Fail(Domain::Read, "not enough memory");
    d.info = png_create_info_struct(d.png);
    const bool decoded = d.info != nullptr && Decode(d, data, size);
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    if (!decoded)
        return status.Fail(Domain::Read, error.empty() ? std::string("the PNG data is broken") : error);
    // libpng may finish a stream that broke off without handing over the
    // lines after the break.
    const bool linesMissing = !d.interlaced && d.rowsDone < static_cast<png_uint_32>(image->Height());
    if (!d.complete && d.interlaced) {
        status.damage = "the interlaced picture breaks off in pass " + std::to_string(d.pass + 1) +
                        " of 7 (" + error + ")";
    } else if (!d.complete || linesMissing) {
        status.damage =
            LinesDamage(d.rowsDone, image->Height()) + (warning.empty() ? "" : " (" + warning + ")");
    } else if (!warning.empty()) {
        status.damage = warning;
    }

    auto store = std::make_unique<CImageProperties>();
    if (!exif.empty()) ReadExifBlock(exif.data(), exif.size(), *store);
    if (!ApplyOrientationItem(*image, *store))
        return status.Fail(Domain::Read, "not enough memory to turn the picture upright");
    images.Append(std::move(image));
    properties = std::move(store);
    return true;
}

}  // namespace stampora
