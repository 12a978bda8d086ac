#pragma once
// The marks of a batch as the review shows them on each picture: made and
// placed for the picture's own size exactly as the run makes and places
// them, kept as images to draw over a reduced copy of the picture. One
// instance is shared by the workers that make the thumbnails.
#include <QImage>
#include <QPoint>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/review/ReducedPicture.h"
#include "batch/BatchJob.h"
#include "watermark/FittedMark.h"

namespace stampora {

struct ShownMark {
    MarkKind kind = MarkKind::Text;
    QImage layer;
    // Where the layer's top-left goes, in the picture's pixels: once, or at
    // every tile of a tiled mark.
    std::vector<QPoint> places;
    // From the layer's top-left to the mark's own (a text's shadow lies
    // around it): the placement file keeps the mark's own.
    QPoint overhang;
    double opacity = 1.0;
    // Stamped once, so it can be moved on this picture.
    bool movable = false;
};

class ReviewMarks {
public:
    // Takes copies of the job's marks and fits.
    explicit ReviewMarks(const CBatchJob& job);
    ReviewMarks(const ReviewMarks&) = delete;
    ReviewMarks& operator=(const ReviewMarks&) = delete;

    // The active marks on `picture`, read from `path` (`number` in the
    // list); a mark left off on it is not among them. Marks placed or
    // coloured automatically are chosen by the reduced copy as the run
    // chooses them by the whole picture.
    std::vector<ShownMark> ForPicture(const std::string& path, const ReducedPicture& picture, int64_t number,
                                      const PicturePlacement& placed);
    // The text names something of the picture its metadata tells.
    bool NeedsMetadata() const { return fittedText.FillsIn(); }

private:
    TextWatermark text;
    ImageWatermark image;
    MarkFit textFit;
    MarkFit imageFit;
    CFittedTextMark fittedText;
    CFittedImageMark fittedImage;
};

// A QImage as a 32-bit picture of our own (blue, green, red, alpha), empty
// when memory fails.
CRasterImage RasterOf(const QImage& image);

// A 32-bit picture as a QImage of its own (straight alpha).
QImage ImageOf(const CRasterImage& picture);

}  // namespace stampora
