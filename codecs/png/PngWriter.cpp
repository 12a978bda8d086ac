#include <png.h>

#include <string>
#include <vector>

#include "codecs/metadata/ExifProperties.h"
#include "codecs/png/PngCodec.h"
#include "image/RowConversion.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

constexpr int kCompressionLevel = 3;

struct PngEncoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    CRasterImage* image = nullptr;
    std::FILE* file = nullptr;
    std::vector<uint8_t>* exif = nullptr;
    std::vector<png_color>* palette = nullptr;
    std::vector<uint8_t>* convertedRow = nullptr;
    std::string* error = nullptr;
    bool alpha = false;
};

[[noreturn]] void JumpOnError(png_structp png, png_const_charp message) {
    auto* e = static_cast<PngEncoder*>(png_get_error_ptr(png));
    if (e != nullptr && e->error != nullptr && message != nullptr) *e->error = message;
    png_longjmp(png, 1);
}
void DropWarning(png_structp, png_const_charp) {}

// Runs libpng from the signature to the end chunk. Only this function calls
// setjmp; it keeps no object with a destructor of its own.
bool Encode(PngEncoder& e) {
    if (setjmp(png_jmpbuf(e.png))) return false;

    CRasterImage& image = *e.image;
    png_init_io(e.png, e.file);
    const auto width = static_cast<png_uint_32>(image.Width());
    const auto height = static_cast<png_uint_32>(image.Height());
    const int32_t bpp = image.Bpp();
    const bool direct = bpp != 16;
    if (bpp <= 8) {
        const bool grey = HasGreyRampPalette(image);
        png_set_IHDR(e.png, e.info, width, height, bpp, grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!grey) {
            png_set_PLTE(e.png, e.info, e.palette->data(), static_cast<int>(e.palette->size()));
        }
    } else {
        png_set_IHDR(e.png, e.info, width, height, 8, e.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    }
    if (!e.exif->empty())
        png_set_eXIf_1(e.png, e.info, static_cast<png_uint_32>(e.exif->size()), e.exif->data());
    // zlib's fast matcher (levels 1 to 3) with libpng's adaptive row filters
    // gave photographs files as small as level 6 in a third of the time.
    png_set_compression_level(e.png, kCompressionLevel);
    png_write_info(e.png, e.info);
    png_set_bgr(e.png);
    // An opaque 32-bit picture's lines go in whole; libpng leaves out the alpha.
    if (bpp == 32 && !e.alpha) png_set_filler(e.png, 0, PNG_FILLER_AFTER);

    if (direct) {
        png_write_image(e.png, image.RowTable());
    } else {
        for (int32_t y = 0; y < image.Height(); ++y) {
            RowToBgr(image, y, e.convertedRow->data());
            png_write_row(e.png, e.convertedRow->data());
        }
    }
    png_write_end(e.png, e.info);
    return true;
}

std::vector<png_color> PaletteOf(const CRasterImage& image) {
    std::vector<png_color> entries(static_cast<size_t>(image.PaletteSize()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const PaletteColour& q = image.Palette()[i];
        entries[i] = png_color{q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    return entries;
}

}  // namespace

bool CPngCodec::SaveFile(const std::string& path, const ImageList& images,
                         const CImageProperties* properties) {
    status = {};
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    std::vector<uint8_t> exif;
    if (properties != nullptr) BuildExifBlock(*properties, exif);
    std::vector<png_color> palette = PaletteOf(*image);
    std::vector<uint8_t> convertedRow(image->Bpp() == 16 ? static_cast<size_t>(image->Width()) * 3 : 0);
    std::string error;

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    PngEncoder e;
    // libpng only reads the picture's lines; the row table is not const.
    e.image = const_cast<CRasterImage*>(image);
    e.file = out.File();
    e.exif = &exif;
    e.palette = &palette;
    e.convertedRow = &convertedRow;
    e.error = &error;
    e.alpha = !IsOpaque(*image);
    e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &e, JumpOnError, DropWarning);
    if (e.png == nullptr) return status.Fail(Domain::Write, "not enough memory");
    e.info = png_create_info_struct(e.png);
    const bool encoded = e.info != nullptr && Encode(e);
    png_destroy_write_struct(&e.png, &e.info);
    if (!encoded) {
        out.Fail();
        return status.Fail(Domain::Write, error.empty() ? WriteFailure(out, "cannot write the file") : error);
    }
    return Publish(out);
}

}  // namespace stampora
