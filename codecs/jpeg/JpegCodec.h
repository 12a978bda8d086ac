#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// JPEG pictures through libjpeg-turbo, with EXIF items through exiv2. Reads
// 8-bit grey (with a grey palette) or 24-bit colour (CMYK and YCCK converted
// to RGB), applying the EXIF orientation; writes baseline files at the
// quality of the save rule with the camera items, dropping alpha: a
// transparent picture is written as it shows over white.
class CJpegCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;
};

// A box a picture is shown fitted into (shrunk, never enlarged).
struct FitBox {
    int32_t width = 0;
    int32_t height = 0;
};

// A JPEG picture decoded at a fraction of its size, upright.
struct ScaledJpeg {
    CRasterImage picture;
    int32_t scale = 1;  // the picture is 1 / scale of the whole, rounded up
    // The whole upright picture's size.
    int32_t fullWidth = 0;
    int32_t fullHeight = 0;
};

// Decodes a JPEG picture through libjpeg-turbo's DCT scaling at the smallest
// of 1/8, 1/4 and 1/2 of its size that still has as many pixels as the
// picture shows when fitted into `box` (the whole size when none has), with
// the limits and the damage report of the whole decode; damage is told in
// lines of the whole picture. False with the reason in `status`.
bool ReadScaledJpeg(const uint8_t* data, size_t size, FitBox box, ScaledJpeg& scaled, Status& status);

}  // namespace stampora
