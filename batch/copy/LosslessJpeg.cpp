#include "batch/copy/LosslessJpeg.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "batch/copy/AutomaticChoices.h"
#include "batch/copy/BlockKeptMetadata.h"
#include "codecs/ImageFormat.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/jpeg/JpegCoefficients.h"
#include "codecs/metadata/ExifOrientation.h"
#include "codecs/metadata/SourceQuality.h"
#include "platform/FileIo.h"
#include "watermark/StampOnto.h"
#include "watermark/auto/PictureSurvey.h"
#include "watermark/text/MarkText.h"

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

// One mark made and placed for the picture, as the normal path stamps it.
struct PlacedMark {
    PreparedMark prepared;
    const MarkLayout* layout = nullptr;
};

}  // namespace

KeptBlocks WriteKeptBlocks(const std::vector<uint8_t>& source, const JpegLayout& layout,
                           const std::vector<StoredBox>& boxes, const UprightStamp& stamp,
                           const std::string& outputPath, MetadataKept kept, Status& status) {
    const int32_t o = layout.orientation;
    const ExifTurn turn = TurnOfOrientation(o);
    const auto toStored = [&](int32_t x, int32_t y, int32_t& sx, int32_t& sy) {
        turn.StoredOf(x, y, layout.width, layout.height, sx, sy);
    };
    const auto toUpright = [&](int32_t sx, int32_t sy, int32_t& x, int32_t& y) {
        turn.UprightOf(sx, sy, layout.width, layout.height, x, y);
    };
    std::vector<StoredBox> stored;
    stored.reserve(boxes.size());
    for (const StoredBox& box : boxes) stored.push_back(MappedBox(box, toStored));
    // The decoded area is turned upright, stamped like the whole picture
    // would be, and turned back into the stored orientation.
    const auto paint = [&](CRasterImage& area, int32_t left, int32_t top, Status& why) {
        const StoredBox onUpright = MappedBox({left, top, area.Width(), area.Height()}, toUpright);
        if (!ApplyExifOrientation(area, o))
            return why.Fail(Domain::Mark, "not enough memory to turn the area");
        if (!stamp(area, onUpright.x, onUpright.y, why)) return false;
        if (!ApplyExifOrientation(area, InverseOrientation(o)))
            return why.Fail(Domain::Mark, "not enough memory to turn the area");
        return true;
    };
    std::vector<uint8_t> output;
    if (!RewriteJpegBlocks(source, stored, paint, output, status) ||
        !NarrowBlockKeptMetadata(output, kept, status))
        return KeptBlocks::Refused;

    SafeFileWriter out(outputPath);
    if (!out.Open() || !out.Write(output.data(), output.size()) || !out.Commit()) {
        (void)status.Fail(Domain::Write,
                          out.Error().empty() ? "the picture could not be written" : out.Error());
        return KeptBlocks::SaveFailed;
    }
    return KeptBlocks::Written;
}

BatchFileResult WatermarkJpegBlocks(CRasterImage& work, const std::string& sourcePath,
                                    const std::string& outputPath, CFittedImageMark& imageMark,
                                    CFittedTextMark& textMark, int64_t number, int quality,
                                    MetadataKept kept) {
    SourceForCopy opened;
    return WatermarkJpegBlocks(work, opened, sourcePath, outputPath, imageMark, textMark, number, quality,
                               kept);
}

BatchFileResult WatermarkJpegBlocks(CRasterImage& work, SourceForCopy& opened, const std::string& sourcePath,
                                    const std::string& outputPath, CFittedImageMark& imageMark,
                                    CFittedTextMark& textMark, int64_t number, int quality, MetadataKept kept,
                                    const PicturePlacement& placed) {
    // The other path takes the source as read here, never opening it again.
    const auto normalPath = [&](std::string why) {
        BatchFileResult result = WatermarkFile(work, opened, sourcePath, outputPath, imageMark, textMark,
                                               number, quality, {}, kept, placed);
        if (!why.empty()) result.status.Warn(Domain::Write, std::move(why));
        return result;
    };
    // Only a JPEG saved as JPEG has blocks to keep.
    if (FormatFromPath(outputPath) != FormatJpeg) return normalPath({});
    if (opened.status.Failed()) return normalPath({});
    if (!opened.file.IsOpen() && !opened.file.OpenFile(sourcePath, opened.status)) return normalPath({});
    if (opened.file.Format() != FormatJpeg) return normalPath({});
    if (!opened.file.ReadFile(opened.status) || opened.file.Bytes().size() > kMaxSourceBytes)
        return normalPath("the source could not be read whole");
    const std::vector<uint8_t>& source = opened.file.Bytes();
    if (FormatFromSignature(source.data(), source.size()) != FormatJpeg) return normalPath({});
    const JpegLayout layout = ReadJpegLayout(source);
    if (!layout.refusal.empty()) return normalPath(layout.refusal);

    const ExifTurn turn = TurnOfOrientation(layout.orientation);
    BatchFileResult result;
    if (quality == kQualityOfSource) result.sourceQuality = JpegQuality(source).value_or(0);
    const int32_t width = turn.swapsSides ? layout.height : layout.width;
    const int32_t height = turn.swapsSides ? layout.width : layout.height;
    result.width = width;
    result.height = height;
    Status& status = result.status;
    const auto failed = [&result](std::string reason) {
        result.outcome = BatchFileOutcome::StampFailed;
        (void)result.status.Fail(Domain::Mark, std::move(reason));
        return result;
    };

    // The marks made for this picture's size and facts, as WatermarkFile
    // makes them, and the boxes their layers cover on the stored picture.
    const MarkTextFacts facts = textMark.FactsFor(sourcePath, width, height, layout.exif, number);
    PlacedMark image{{}, &imageMark.Layout()}, text{{}, &textMark.Layout()};
    if (!imageMark.ForPicture(width, height, image.prepared, status) ||
        !textMark.ForPicture(facts, text.prepared, status))
        return failed(status.Error());
    // The automatic place and colour look at the picture through a reduced
    // view (at 1/8 read from the DC coefficients alone), as the batch's
    // preview does; the blocks are kept all the same.
    if (ChoosesByPicture(image.prepared, text.prepared, textMark)) {
        ScaledJpeg view;
        Status viewed;
        if (!ReadScaledJpeg(source.data(), source.size(), {kSurveySide, kSurveySide}, view, viewed) ||
            !viewed.damage.empty())
            return normalPath("the automatic place or colour could not see the picture");
        if (!PlaceMarks(view.picture, width, height, textMark, facts, image.prepared, text.prepared,
                        result.automatic, status))
            return failed(status.Error());
    }
    struct Slot {
        PlacedMark& mark;
        bool& leftOff;
        StampedSize& size;
        const char* name;
        MarkKind kind;
    };
    const Slot slots[2] = {
        {image, result.imageMarkLeftOff, result.imageMarkSize, "the image mark", MarkKind::Image},
        {text, result.textMarkLeftOff, result.textMarkSize, "the text mark", MarkKind::Text}};
    std::vector<PlacedMark> marks;
    std::vector<StoredBox> boxes;
    std::vector<TilePlace> places;
    for (const Slot& slot : slots) {
        WatermarkBase& base = slot.mark.prepared.base;
        const CRasterImage* layer = slot.mark.prepared.layer.get();
        if (!base.enabled) continue;
        if (layer == nullptr || layer->IsEmpty() || layer->Bpp() != 32)
            return failed(std::string(slot.name) + " could not be stamped");
        placed.Place(base, slot.kind, width, height);
        switch (LaidOutPlaces(base, *slot.mark.layout, width, height, places, status)) {
            case MarkStamp::Failed:
                return failed(std::string(slot.name) + ": " + status.Error());
            case MarkStamp::LeftOff:
                slot.leftOff = true;
                continue;
            default:
                break;
        }
        slot.size = {base.markWidth, base.markHeight};
        for (const TilePlace& place : places)
            boxes.push_back({place.x, place.y, layer->Width(), layer->Height()});
        marks.push_back(slot.mark);
    }

    const UprightStamp stamp = [&](CRasterImage& area, int32_t left, int32_t top, Status& why) {
        for (const PlacedMark& mark : marks) {
            if (StampLaidOutPart(area, left, top, width, height, mark.prepared.base, *mark.prepared.layer,
                                 *mark.layout, why) == MarkStamp::Failed)
                return false;
        }
        return true;
    };
    Status rewritten;
    switch (WriteKeptBlocks(source, layout, boxes, stamp, outputPath, kept, rewritten)) {
        case KeptBlocks::Refused: {
            // The marks were made for this picture already: what fell short
            // on them is told with the copy made whole.
            BatchFileResult whole = normalPath(rewritten.Error());
            if (!status.Warning(Domain::Mark).empty())
                whole.status.Warn(Domain::Mark, status.Warning(Domain::Mark));
            return whole;
        }
        case KeptBlocks::SaveFailed:
            result.outcome = BatchFileOutcome::SaveFailed;
            status.failure = rewritten.failure;
            return result;
        case KeptBlocks::Written:
            break;
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}

BatchFileResult WatermarkJpegBlocks(CRasterImage& work, const std::string& sourcePath,
                                    const std::string& outputPath, const ImageWatermark& imageMark,
                                    const TextWatermark& textMark, int quality, MetadataKept kept) {
    CFittedImageMark image(imageMark, MarkFit{});
    CFittedTextMark text(textMark, MarkFit{});
    return WatermarkJpegBlocks(work, sourcePath, outputPath, image, text, 1, quality, kept);
}

}  // namespace stampora
