#include "batch/LosslessJpeg.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "batch/BlockKeptMetadata.h"
#include "codecs/ExifOrientation.h"
#include "codecs/ImageFormat.h"
#include "codecs/JpegCoefficients.h"
#include "platform/FileIo.h"
#include "watermark/StampOnto.h"

namespace {

// The largest JPEG read whole into memory for a rewrite.
constexpr int64_t kMaxSourceBytes = int64_t{1} << 30;

// Where a stored pixel lands on the upright picture, for a picture stored
// `width` x `height` with the EXIF orientation `o`.
void StoredToUpright(int32_t o, int32_t width, int32_t height, int32_t x, int32_t y, int32_t& ux,
                     int32_t& uy) {
    switch (o) {
        case 2:
            ux = width - 1 - x;
            uy = y;
            break;
        case 3:
            ux = width - 1 - x;
            uy = height - 1 - y;
            break;
        case 4:
            ux = x;
            uy = height - 1 - y;
            break;
        case 5:
            ux = y;
            uy = x;
            break;
        case 6:
            ux = height - 1 - y;
            uy = x;
            break;
        case 7:
            ux = height - 1 - y;
            uy = width - 1 - x;
            break;
        case 8:
            ux = y;
            uy = width - 1 - x;
            break;
        default:
            ux = x;
            uy = y;
            break;
    }
}

// The orientation that turns an upright picture back into its stored form.
int32_t Inverse(int32_t o) {
    return o == 6 ? 8 : o == 8 ? 6 : o;
}

StoredBox MapBox(int32_t o, int32_t width, int32_t height, const StoredBox& b) {
    int32_t ax = 0, ay = 0, bx = 0, by = 0;
    StoredToUpright(o, width, height, b.x, b.y, ax, ay);
    StoredToUpright(o, width, height, b.x + b.width - 1, b.y + b.height - 1, bx, by);
    return {std::min(ax, bx), std::min(ay, by), std::abs(bx - ax) + 1, std::abs(by - ay) + 1};
}

// One mark as the normal path would stamp it on the upright picture.
struct PlacedMark {
    WatermarkBase placed;
    const CRasterImage* layer = nullptr;
};

}  // namespace

BatchFileResult WatermarkJpegBlocks(CRasterImage& work, const std::string& sourcePath,
                                    const std::string& outputPath, const ImageWatermark& imageMark,
                                    const TextWatermark& textMark, int quality, MetadataKept kept) {
    const auto normalPath = [&](std::string why) {
        BatchFileResult result = WatermarkFile(work, sourcePath, outputPath, imageMark, textMark, quality);
        result.keptBlocksRefusal = std::move(why);
        return result;
    };
    if (FormatFromPath(outputPath) != FormatJpeg) return normalPath("the output is not a JPEG file");
    std::vector<uint8_t> source;
    if (!ReadWholeFile(sourcePath, source, kMaxSourceBytes))
        return normalPath("the source could not be read whole");
    if (FormatFromSignature(source.data(), source.size()) != FormatJpeg)
        return normalPath("the source is not a JPEG file");
    const JpegLayout layout = ReadJpegLayout(source);
    if (!layout.refusal.empty()) return normalPath(layout.refusal);

    const int32_t o = layout.orientation;
    const bool turned = o >= 5;
    BatchFileResult result;
    result.width = turned ? layout.height : layout.width;
    result.height = turned ? layout.width : layout.height;

    std::vector<PlacedMark> marks;
    std::vector<StoredBox> boxes;
    bool* leftOff[2] = {&result.imageMarkLeftOff, &result.textMarkLeftOff};
    const WatermarkBase* bases[2] = {&imageMark.base, &textMark.base};
    const CRasterImage* layers[2] = {&imageMark.layer, &textMark.layer};
    for (int i = 0; i < 2; ++i) {
        if (!bases[i]->enabled) continue;
        if (layers[i]->IsEmpty() || layers[i]->Bpp() != 32) return normalPath("a mark has no usable layer");
        PlacedMark mark{*bases[i], layers[i]};
        mark.placed.PlaceByAlignment(result.width, result.height);
        if (!FitsWithinMargins(mark.placed.CoverWidth(), mark.placed.CoverHeight(), result.width,
                               result.height)) {
            *leftOff[i] = true;
            continue;
        }
        const StoredBox upright{mark.placed.LayerX(), mark.placed.LayerY(), layers[i]->Width(),
                                layers[i]->Height()};
        boxes.push_back(MapBox(Inverse(o), result.width, result.height, upright));
        marks.push_back(mark);
    }

    // The decoded area is turned upright, stamped like the whole picture
    // would be, and turned back into the stored orientation.
    const auto paint = [&](CRasterImage& area, int32_t left, int32_t top, std::string& reason) {
        const StoredBox onUpright =
            MapBox(o, layout.width, layout.height, {left, top, area.Width(), area.Height()});
        if (!ApplyExifOrientation(area, o)) return reason = "not enough memory to turn the area", false;
        for (const PlacedMark& mark : marks) {
            WatermarkBase shifted = mark.placed;
            shifted.x -= onUpright.x;
            shifted.y -= onUpright.y;
            StampMark(area, shifted, *mark.layer, false);
        }
        if (!ApplyExifOrientation(area, Inverse(o)))
            return reason = "not enough memory to turn the area", false;
        return true;
    };
    std::vector<uint8_t> output;
    std::string reason;
    if (!RewriteJpegBlocks(source, boxes, paint, output, reason)) return normalPath(reason);
    reason = NarrowBlockKeptMetadata(output, kept);
    if (!reason.empty()) return normalPath(reason);

    SafeFileWriter out(outputPath);
    if (!out.Open() || !out.Write(output.data(), output.size()) || !out.Commit()) {
        result.outcome = BatchFileOutcome::SaveFailed;
        result.reason = out.Error().empty() ? "the picture could not be written" : out.Error();
        return result;
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}
