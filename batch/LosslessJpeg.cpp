#include "batch/LosslessJpeg.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "batch/BlockKeptMetadata.h"
#include "codecs/ExifOrientation.h"
#include "codecs/ImageFormat.h"
#include "codecs/JpegCoefficients.h"
#include "codecs/SourceQuality.h"
#include "platform/FileIo.h"
#include "watermark/StampOnto.h"

namespace stampora {

namespace {

// The largest JPEG read whole into memory for a rewrite.
constexpr int64_t kMaxSourceBytes = int64_t{1} << 30;

// The box between the two corners of `box` mapped by `map`, one of
// ExifTurn's mappings.
template <typename Map>
StoredBox MappedBox(const StoredBox& box, Map map) {
    int32_t ax = 0, ay = 0, bx = 0, by = 0;
    map(box.x, box.y, ax, ay);
    map(box.x + box.width - 1, box.y + box.height - 1, bx, by);
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
        CFittedImageMark image(imageMark, MarkFit{});
        CFittedTextMark text(textMark, MarkFit{});
        BatchFileResult result =
            WatermarkFile(work, sourcePath, outputPath, image, text, 1, quality, {}, kept);
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
    const ExifTurn turn = TurnOfOrientation(o);
    const auto toStored = [&](int32_t x, int32_t y, int32_t& sx, int32_t& sy) {
        turn.StoredOf(x, y, layout.width, layout.height, sx, sy);
    };
    const auto toUpright = [&](int32_t sx, int32_t sy, int32_t& x, int32_t& y) {
        turn.UprightOf(sx, sy, layout.width, layout.height, x, y);
    };
    BatchFileResult result;
    if (quality == kQualityOfSource) result.sourceQuality = JpegQuality(source).value_or(0);
    result.width = turn.swapsSides ? layout.height : layout.width;
    result.height = turn.swapsSides ? layout.width : layout.height;

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
        boxes.push_back(MappedBox(upright, toStored));
        marks.push_back(mark);
    }

    // The decoded area is turned upright, stamped like the whole picture
    // would be, and turned back into the stored orientation.
    const auto paint = [&](CRasterImage& area, int32_t left, int32_t top, std::string& reason) {
        const StoredBox onUpright = MappedBox({left, top, area.Width(), area.Height()}, toUpright);
        if (!ApplyExifOrientation(area, o)) return reason = "not enough memory to turn the area", false;
        for (const PlacedMark& mark : marks) {
            WatermarkBase shifted = mark.placed;
            shifted.x -= onUpright.x;
            shifted.y -= onUpright.y;
            StampMark(area, shifted, *mark.layer, false);
        }
        if (!ApplyExifOrientation(area, InverseOrientation(o)))
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

}  // namespace stampora
