#pragma once
// Which picture types a batch run takes: the six type check boxes and the
// dotted extension lists they stand for.
#include <cstdint>
#include <string>

namespace stampora {

// Check-box states: 0 clear, 1 checked (any other value counts as checked,
// as a non-zero flag does).
struct BatchTypeFlags {
    int32_t allImages = 0;
    int32_t jpg = 0;
    int32_t bmp = 0;
    int32_t png = 0;
    int32_t gif = 0;
    int32_t tga = 0;
    // TIFF, which only the command-line tool offers; taken even with All
    // Images set, whose list stays the dialog's.
    int32_t tif = 0;
    // The newer formats, which All Images takes too.
    int32_t webp = 0;
    int32_t heif = 0;  // HEIF and HEIC
    int32_t avif = 0;
    int32_t jxl = 0;
};

inline constexpr char kAllImagesExtensions[] =
    ".jpg.jpeg.jpe.bmp.dib.rle.png.gif.tga.webp.heic.heif.hif.avif.jxl";
inline constexpr char kJpegExtensions[] = ".jpg.jpeg.jpe";
inline constexpr char kBmpExtensions[] = ".bmp.dib.rle";
inline constexpr char kPngExtensions[] = ".png";
inline constexpr char kGifExtensions[] = ".gif";
inline constexpr char kTgaExtensions[] = ".tga";
inline constexpr char kTiffExtensions[] = ".tif.tiff";
inline constexpr char kWebpExtensions[] = ".webp";
inline constexpr char kHeifExtensions[] = ".heic.heif.hif";
inline constexpr char kAvifExtensions[] = ".avif";
inline constexpr char kJxlExtensions[] = ".jxl";

// The filter text: the All Images list when that flag is set (the others are
// then not looked at), else the lists of the set flags in the order JPG/JPEG,
// BMP, PNG, GIF, TGA, WebP, HEIF, AVIF, JPEG XL; empty when no flag is set. The TIFF list follows
// either when its flag is set.
std::string BuildTypeFilter(const BatchTypeFlags& flags);

}  // namespace stampora
