#include "batch/copy/WatermarkFile.h"

#include <algorithm>
#include <utility>

#include "batch/copy/AutomaticChoices.h"
#include "batch/copy/StampedCopy.h"
#include "codecs/ImageFormat.h"
#include "codecs/metadata/SourceQuality.h"
#include "watermark/StampOnto.h"

namespace stampora {

namespace {

BatchFileResult Failed(BatchFileResult result, BatchFileOutcome outcome) {
    result.outcome = outcome;
    return result;
}

// Makes the first frame and any frames after it 32-bit; false, with the
// reason, when memory fails for one of them.
bool MakeFrames32Bit(CRasterImage& first, const ImageList& frames, Status& status) {
    if (!first.PromoteDepth(32, &status)) return false;
    for (size_t i = 1; i < frames.Size(); ++i) {
        if (!frames.At(i)->PromoteDepth(32, &status)) return false;
    }
    return true;
}

// Both marks as made and placed for one picture, stamped alike on each of
// its frames: the image mark, then the text mark over it.
struct PictureMarks {
    PreparedMark image;
    PreparedMark text;
    const MarkLayout& imageLayout;
    const MarkLayout& textLayout;
    int32_t width;
    int32_t height;

    // Stamps both on `part`, the area at (left, top) of a frame; false, with
    // the reason, when one could not be stamped.
    bool Stamp(CRasterImage& part, int32_t left, int32_t top, MarkStamp& imageStamp, MarkStamp& textStamp,
               Status& status) const {
        Status stamped;
        imageStamp =
            StampLaidOutPart(part, left, top, width, height, image.base, *image.layer, imageLayout, stamped);
        if (imageStamp == MarkStamp::Failed)
            return status.Fail(Domain::Mark, stamped.Failed() ? "the image mark: " + stamped.Error()
                                                              : "the image mark could not be stamped");
        textStamp =
            StampLaidOutPart(part, left, top, width, height, text.base, *text.layer, textLayout, stamped);
        if (textStamp == MarkStamp::Failed)
            return status.Fail(Domain::Mark, stamped.Failed() ? "the text mark: " + stamped.Error()
                                                              : "the text mark could not be stamped");
        return true;
    }
};

// The save quality asked for, with the source's own estimated when asked
// (recorded in the result).
int QualityFor(int quality, const SourcePicture& file, BatchFileResult& result) {
    if (quality != kQualityOfSource) return quality;
    result.sourceQuality = JpegQuality(file.Bytes()).value_or(0);
    return result.sourceQuality > 0 ? result.sourceQuality : kQualityWithoutSource;
}

}  // namespace

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, const ImageWatermark& imageMark,
                              const TextWatermark& textMark, int quality, const PictureReader& read) {
    CFittedImageMark image(imageMark, MarkFit{});
    CFittedTextMark text(textMark, MarkFit{});
    PictureMetadataReader withoutMetadata;
    if (read) {
        withoutMetadata = [&read](CRasterImage& picture, const std::string& path, CImageProperties*,
                                  Status& status) { return read(picture, path, status); };
    }
    return WatermarkFile(work, sourcePath, outputPath, image, text, 1, quality, withoutMetadata);
}

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, CFittedImageMark& imageMark,
                              CFittedTextMark& textMark, int64_t number, int quality,
                              const PictureMetadataReader& read, MetadataKept kept,
                              const PicturePlacement& placed) {
    SourceForCopy source;
    return WatermarkFile(work, source, sourcePath, outputPath, imageMark, textMark, number, quality, read,
                         kept, placed);
}

BatchFileResult WatermarkFile(CRasterImage& work, SourceForCopy& source, const std::string& sourcePath,
                              const std::string& outputPath, CFittedImageMark& imageMark,
                              CFittedTextMark& textMark, int64_t number, int quality,
                              const PictureMetadataReader& read, MetadataKept kept,
                              const PicturePlacement& placed) {
    BatchFileResult result;
    // Emptied first, so a reader that reports success without a picture can
    // never bring the previous file's pixels back, and the previous picture's
    // memory is free before the next one is decoded.
    work.Destroy();
    const bool fillsIn = textMark.FillsIn();
    if (!ReadSourceForCopy(source, work, sourcePath, FormatFromPath(outputPath), fillsIn, read) ||
        work.IsEmpty()) {
        result.status = source.status;
        if (!result.status.Failed()) result.status.failure = {Domain::Read, "not a picture"};
        return Failed(result, BatchFileOutcome::Unreadable);
    }
    result.status.damage = source.status.damage;
    result.width = work.Width();
    result.height = work.Height();
    if (!MakeFrames32Bit(work, source.frames, result.status)) {
        work.Destroy();
        return Failed(result, BatchFileOutcome::StampFailed);
    }

    // Both marks are fitted to each size of picture: pages of a TIFF may
    // differ, the frames of an animation do not.
    PictureMarks marks{{}, {}, imageMark.Layout(), textMark.Layout(), 0, 0};
    Status& status = result.status;
    const auto prepare = [&](const CRasterImage& picture) {
        const int32_t width = picture.Width();
        const int32_t height = picture.Height();
        const MarkTextFacts facts = textMark.FactsFor(sourcePath, width, height, source.properties, number);
        if (!imageMark.ForPicture(width, height, marks.image, status) ||
            !textMark.ForPicture(facts, marks.text, status))
            return false;
        // Each file is placed on copies of the records, so workers may share
        // the marks and their layers.
        std::string chosen;
        if (!PlaceMarks(picture, textMark, facts, marks.image, marks.text, chosen, status)) return false;
        if (result.automatic.empty()) result.automatic = chosen;
        placed.MoveWhereMoved(marks.image.base, MarkKind::Image, width, height);
        placed.MoveWhereMoved(marks.text.base, MarkKind::Text, width, height);
        marks.width = width;
        marks.height = height;
        return true;
    };
    if (!prepare(work)) return Failed(result, BatchFileOutcome::StampFailed);
    // Every frame takes both marks at the same place; what the result tells
    // is how they went on the first.
    for (size_t i = 0; i < std::max<size_t>(source.frames.Size(), 1); ++i) {
        CRasterImage& picture = i == 0 ? work : *source.frames.At(i);
        if ((picture.Width() != marks.width || picture.Height() != marks.height) && !prepare(picture)) {
            status.failure.text = "page " + std::to_string(i + 1) + ": " + status.Error();
            return Failed(result, BatchFileOutcome::StampFailed);
        }
        MarkStamp imageStamp = MarkStamp::LeftOff;
        MarkStamp textStamp = MarkStamp::LeftOff;
        if (!marks.Stamp(picture, 0, 0, imageStamp, textStamp, status))
            return Failed(result, BatchFileOutcome::StampFailed);
        if (i > 0) continue;
        result.imageMarkLeftOff = imageStamp == MarkStamp::LeftOff;
        result.textMarkLeftOff = textStamp == MarkStamp::LeftOff;
        if (imageStamp == MarkStamp::Stamped)
            result.imageMarkSize = {marks.image.base.markWidth, marks.image.base.markHeight};
        if (textStamp == MarkStamp::Stamped)
            result.textMarkSize = {marks.text.base.markWidth, marks.text.base.markHeight};
    }

    const FrameStamper stampLater = [&marks](CRasterImage& part, int32_t left, int32_t top, Status& stamped) {
        MarkStamp image = MarkStamp::Inactive;
        MarkStamp text = MarkStamp::Inactive;
        return marks.Stamp(part, left, top, image, text, stamped);
    };
    const CopyRequest request{outputPath, QualityFor(quality, source.file, result), kept};
    if (!WriteStampedCopy(source, work, stampLater, request, status)) {
        return Failed(result, status.failure.domain == Domain::Mark ? BatchFileOutcome::StampFailed
                                                                    : BatchFileOutcome::SaveFailed);
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}

}  // namespace stampora
