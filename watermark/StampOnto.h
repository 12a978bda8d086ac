#pragma once
// Blends the active watermarks into a 32-bit picture: the image mark first,
// then the text mark over it, each at its place with its opacity.
#include <string>
#include <vector>

#include "image/RasterImage.h"
#include "platform/Status.h"
#include "watermark/ImageWatermark.h"
#include "watermark/MarkFit.h"
#include "watermark/TilePattern.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

// What became of one mark on one picture.
enum class MarkStamp {
    Inactive,  // the mark is off: nothing to do
    Stamped,
    LeftOff,  // the margin test found no room for it on this picture
    Failed,   // the mark has no usable 32-bit layer, or the picture is not 32-bit
};

// Blends one mark's layer at its place: the layer's top-left goes to the
// mark's position less its overhang, so a text mark's own shadow lies around
// the text; the layer's own position plays no part. With the margin test on
// (the batch job), the mark is stamped only when the rectangle it covers lies
// inside the picture with the placement margin to spare; the editor's save,
// whose marks already passed their fit checks, turns it off.
MarkStamp StampMark(CRasterImage& picture, const WatermarkBase& mark, const CRasterImage& layer,
                    bool marginTest);

// StampMark with the margin test on, or, when the layout tiles, the layer
// repeated over the whole picture in the tiling grid laid out from the mark's
// place: every tile whole or cut only by the picture's edges, each blended
// over its own area only. A grid of more than kMaxTiles tiles stamps nothing
// and fails with the reason.
MarkStamp StampLaidOut(CRasterImage& picture, const WatermarkBase& mark, const CRasterImage& layer,
                       const MarkLayout& layout, Status& status);

// Where StampLaidOut puts the top-left of the mark's layer on a picture of
// `width` x `height`: once, or at every tile of the grid. Answers as
// StampLaidOut would (Stamped, with the places, or Inactive, LeftOff, or
// Failed with the reason for too many tiles), without touching a picture.
MarkStamp LaidOutPlaces(const WatermarkBase& mark, const MarkLayout& layout, int32_t width, int32_t height,
                        std::vector<TilePlace>& places, Status& status);

// StampLaidOut onto `part`, the area at (left, top) of a picture of `width`
// x `height`: the marks land on it as on that area of the whole picture, so a picture
// that changes in one area (a frame of an animation) is stamped again there
// only.
MarkStamp StampLaidOutPart(CRasterImage& part, int32_t left, int32_t top, int32_t width, int32_t height,
                           const WatermarkBase& mark, const CRasterImage& layer, const MarkLayout& layout,
                           Status& status);

// Both marks, image first, each as StampMark does it.
void StampOnto(CRasterImage& picture, const ImageWatermark& imageMark, const TextWatermark& textMark,
               bool marginTest);

// Both marks as StampOnto puts them without the margin test, onto `part`, the
// area at (left, top) of the picture they are placed on.
void StampOntoPart(CRasterImage& part, int32_t left, int32_t top, const ImageWatermark& imageMark,
                   const TextWatermark& textMark);

}  // namespace stampora
