#include "codecs/PngReader.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/ExifProperties.h"
#include "codecs/PngRawProfile.h"

namespace {

// Ancillary chunks beyond these counts and sizes are only ever a hostile
// file's way of making the reader allocate.
constexpr png_uint_32 kMaxCachedChunks = 1000;
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;

struct PngDecoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    CRasterImage* image = nullptr;
    std::vector<uint8_t>* exif = nullptr;
    bool created = false;
    bool complete = false;
    png_uint_32 rowsDone = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* d = static_cast<PngDecoder*>(png_get_io_ptr(png));
    if (length > d->size - d->position) png_error(png, "truncated");
    std::memcpy(out, d->data + d->position, length);
    d->position += length;
}

void CountRow(png_structp png, png_uint_32, int) {
    auto* d = static_cast<PngDecoder*>(png_get_io_ptr(png));
    ++d->rowsDone;
}

[[noreturn]] void JumpOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void DropWarning(png_structp, png_const_charp) {}

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

void CopyExif(png_structp png, png_infop info, std::vector<uint8_t>& exif) {
    png_uint_32 length = 0;
    png_bytep block = nullptr;
    if (png_get_eXIf_1(png, info, &length, &block) != 0 && block != nullptr && length > 0) {
        exif.assign(block, block + length);
        return;
    }
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

// Runs libpng from the signature to the end chunk. Only this function calls
// setjmp; it keeps no object with a destructor of its own. An error after
// some lines keeps the lines already decoded.
bool Decode(PngDecoder& d) {
    if (setjmp(png_jmpbuf(d.png))) return d.created && (d.complete || d.rowsDone > 0);

    png_set_read_fn(d.png, &d, ReadFromMemory);
    // No side may be longer than a decodable picture has pixels; the area is
    // checked as soon as the header is read.
    png_set_user_limits(d.png, kMaxDecodedPixels, kMaxDecodedPixels);
    png_set_chunk_cache_max(d.png, kMaxCachedChunks);
    png_set_chunk_malloc_max(d.png, kMaxChunkBytes);
    // Flaws that do not touch the pixels (a bad ancillary chunk) are not fatal.
    png_set_benign_errors(d.png, 1);
    // A wrong checksum is no reason to refuse pixels that may well be
    // intact; damaged data still fails where it breaks the stream.
    png_set_crc_action(d.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_read_status_fn(d.png, CountRow);
    png_read_info(d.png, d.info);
    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    if (!IsDecodableSize(width, height)) return false;

    const int32_t bpp = PrepareTransforms(d.png, d.info);
    png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    if (!d.image->Create(static_cast<int32_t>(width), static_cast<int32_t>(height), bpp)) return false;
    if (png_get_rowbytes(d.png, d.info) > d.image->Stride()) return false;
    d.created = true;
    if (bpp <= 8 && png_get_color_type(d.png, d.info) == PNG_COLOR_TYPE_PALETTE) CopyPalette(d.png, d.info, *d.image);

    png_read_image(d.png, d.image->RowTable());
    d.complete = true;
    png_read_end(d.png, d.info);
    CopyExif(d.png, d.info, *d.exif);
    return true;
}

}  // namespace

bool HasPngSignature(const uint8_t* data, size_t size) {
    return data != nullptr && size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

bool ReadPng(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    if (!HasPngSignature(data, size)) return false;
    auto image = std::make_unique<CRasterImage>();
    std::vector<uint8_t> exif;

    PngDecoder d;
    d.data = data;
    d.size = size;
    d.image = image.get();
    d.exif = &exif;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, DropWarning);
    if (d.png == nullptr) return false;
    d.info = png_create_info_struct(d.png);
    const bool decoded = d.info != nullptr && Decode(d);
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    if (!decoded) return false;

    auto store = std::make_unique<CImageProperties>();
    if (!exif.empty()) ReadExifBlock(exif.data(), exif.size(), *store);
    images.Append(std::move(image));
    properties = std::move(store);
    return true;
}
