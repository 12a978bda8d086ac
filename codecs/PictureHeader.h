#pragma once
// What a picture file's header says of the picture, read without decoding
// it: enough to know what decoding it will cost before it starts, and
// whether the file holds all that the header promises.
#include <cstdint>
#include <optional>
#include <string>

#include "codecs/ImageFormat.h"

namespace stampora {

class CodecInputFile;

struct PictureHeader {
    int64_t width = 0;
    int64_t height = 0;
    int32_t channels = 0;        // samples per pixel, 1 to 4 (more are counted as 4)
    int32_t bitsPerChannel = 0;  // 1 to 16
    // Memory the reader holds besides the picture it makes, in bytes per
    // pixel: a progressive JPEG keeps every coefficient until the last scan,
    // a GIF animation its screens.
    int32_t workingBytesPerPixel = 0;
    // The picture has a size the readers accept and the file is as long as
    // the header says, or ends the way a complete file of its format ends.
    bool whole = false;
};

// The header of a JPEG, PNG, TIFF, GIF, BMP, TGA, WebP, HEIF, AVIF or JPEG XL
// file, read by the format's library (libjpeg, libpng, giflib, libtiff,
// libwebp, libheif, libjxl) or bounds-checked by hand (BMP, TGA). Only the
// start and the end of the file are read, for TIFF the first directory with
// its strip table, for HEIF and AVIF the boxes that describe the picture;
// no pixel is decoded. A JPEG XL is never taken for whole here: nothing
// short of decoding it tells (IsWholePicture does). Nothing for
// another format, a file that cannot be read, or a header that makes no
// sense (no pixels). The first form takes the format from the file's bytes
// (a TGA from its name), the second reads the file as `format` only, the
// third reads a file already open as `format` and leaves it at its start.
std::optional<PictureHeader> ReadPictureHeader(const std::string& path);
std::optional<PictureHeader> ReadPictureHeader(const std::string& path, ImageFormat format);
std::optional<PictureHeader> ReadPictureHeader(CodecInputFile& file, ImageFormat format);

// True when the file at `path` reads as a whole picture of `format`. A format
// without a header reader is never taken for whole. A JPEG XL is decoded
// (into nothing) to tell.
bool IsWholePicture(const std::string& path, ImageFormat format);

}  // namespace stampora
