#pragma once
// Changes a JPEG picture in a few places without decoding and encoding the
// rest: the DCT coefficients are read as they are stored, only the MCUs that
// hold the requested boxes are decoded to pixels, changed, transformed and
// quantised again with the picture's own tables, and every other block is
// written back bit for bit, with the source's sampling, progressive or
// baseline mode, restart interval and markers (EXIF, ICC, comments), and
// optimised Huffman tables.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"

namespace stampora {

// A rectangle of the picture as its pixels are stored (before any EXIF turn).
struct StoredBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Paints one decoded area: `area` is a 32-bit picture of the stored pixels
// whose top-left is (left, top) of the whole picture. It covers the MCUs of
// one or more boxes plus a ring of neighbours; only the pixels inside the
// boxes' MCUs are kept. Answers false (with a reason) to give up the rewrite.
using StoredAreaPainter = std::function<bool(CRasterImage& area, int32_t left, int32_t top, Status& status)>;

// What the header says about a JPEG, enough to decide on a rewrite.
struct JpegLayout {
    int32_t width = 0;
    int32_t height = 0;
    int32_t mcuWidth = 8;
    int32_t mcuHeight = 8;
    // The EXIF orientation item (1..8); 1 when there is none.
    int32_t orientation = 1;
    // The items of its EXIF (the date taken and the camera a mark may name).
    CImageProperties exif;
    // Why the picture cannot be changed in place ("CMYK", "arithmetic
    // coding", not a JPEG); empty when it can.
    std::string refusal;
};

// Reads the header and markers only.
JpegLayout ReadJpegLayout(const std::vector<uint8_t>& file);

// Rewrites `file` into `output` with `paint` applied to the MCUs under
// `boxes`. False, with the reason, when the picture cannot be changed in
// place (the caller then takes the decode-and-encode path): broken or
// damaged data, a refused layout, or marks over most of the picture.
bool RewriteJpegBlocks(const std::vector<uint8_t>& file, const std::vector<StoredBox>& boxes,
                       const StoredAreaPainter& paint, std::vector<uint8_t>& output, Status& status);

// The share of the picture (0..1) the MCUs under the boxes may cover before
// a full encode is the better deal.
constexpr double kMaxRewrittenShare = 0.6;

}  // namespace stampora
