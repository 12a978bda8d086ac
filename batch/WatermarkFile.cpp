#include "batch/WatermarkFile.h"

#include <algorithm>
#include <optional>

#include "codecs/ImageFormat.h"
#include "codecs/ImageProperties.h"
#include "codecs/PictureFiles.h"
#include "codecs/SourceQuality.h"
#include "platform/FileStatus.h"
#include "watermark/StampOnto.h"

namespace {

BatchFileResult Failed(BatchFileResult result, BatchFileOutcome outcome, std::string reason) {
    result.outcome = outcome;
    result.reason = std::move(reason);
    return result;
}

// Reads every frame of the source into `frames`, and takes the first over
// into `work`.
bool ReadFrames(CRasterImage& work, ImageList& frames, const std::string& path, CImageProperties& properties,
                FileStatus& status) {
    if (!CPictureFiles::LoadFrames(frames, path, &properties, &status) || frames.Empty()) return false;
    work.Swap(*frames.First());
    return true;
}

// What the writer is told besides the quality: an animation's timing, and
// for a JPEG made from a JPEG, the source's chroma subsampling, so colour
// edges stay as fine as they came.
CImageProperties SaveOptions(const std::string& sourcePath, const std::string& outputPath, int quality,
                             const CImageProperties& source) {
    CImageProperties options;
    options.SetValue(kPropertySaveQuality, std::to_string(quality));
    for (const int32_t key : {kPropertyFrameDelays, kPropertyLoopCount}) {
        if (source.HasKey(key)) options.SetValue(key, source.GetValue(key));
    }
    if (FormatFromPath(outputPath) == FormatJpeg) {
        if (const std::optional<JpegSampling> sampling = JpegFileSampling(sourcePath)) {
            options.SetValue(kPropertyJpegSampling,
                             std::to_string(sampling->horizontal) + "x" + std::to_string(sampling->vertical));
        }
    }
    return options;
}

bool AllFramesAre32Bit(const ImageList& frames) {
    for (size_t i = 1; i < frames.Size(); ++i) {
        if (frames.At(i)->Bpp() != 32) return false;
    }
    return true;
}

}  // namespace

bool ReadPictureFile(CRasterImage& picture, const std::string& path, FileStatus& status) {
    return picture.Load(path, nullptr, &status);
}

bool ReadPictureAndMetadata(CRasterImage& picture, const std::string& path, CImageProperties* metadata,
                            FileStatus& status) {
    return picture.Load(path, metadata, &status);
}

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, const ImageWatermark& imageMark,
                              const TextWatermark& textMark, int quality, const PictureReader& read) {
    CFittedImageMark image(imageMark, MarkFit{});
    CFittedTextMark text(textMark, MarkFit{});
    return WatermarkFile(work, sourcePath, outputPath, image, text, 1, quality,
                         [&read](CRasterImage& picture, const std::string& path, CImageProperties*,
                                 FileStatus& status) { return read(picture, path, status); });
}

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, CFittedImageMark& imageMark,
                              CFittedTextMark& textMark, int64_t number, int quality,
                              const PictureMetadataReader& read, MetadataKept kept) {
    BatchFileResult result;
    // Emptied first, so a reader that reports success without a picture can
    // never bring the previous file's pixels back, and the previous picture's
    // memory is free before the next one is decoded.
    work.Destroy();
    FileStatus status;
    CImageProperties metadata;
    // A GIF written as GIF keeps every frame of an animation: `work` takes the
    // first, `frames` holds the ones after it (from index 1), and `metadata`
    // their delays and loop count.
    ImageList frames(true);
    const bool animated = FormatFromPath(outputPath) == FormatGif;
    const bool loaded = animated ? ReadFrames(work, frames, sourcePath, metadata, status)
                                 : read(work, sourcePath, textMark.FillsIn() ? &metadata : nullptr, status);
    if (!loaded || work.IsEmpty()) {
        return Failed(result, BatchFileOutcome::Unreadable,
                      status.error.empty() ? "not a picture" : status.error);
    }
    result.damage = status.damage;
    result.width = work.Width();
    result.height = work.Height();
    work.PromoteDepth(32);
    for (size_t i = 1; i < frames.Size(); ++i) frames.At(i)->PromoteDepth(32);
    if (work.Bpp() != 32 || !AllFramesAre32Bit(frames)) {
        work.Destroy();
        return Failed(result, BatchFileOutcome::StampFailed, "not enough memory to make the picture 32-bit");
    }

    MarkTextFacts facts;
    if (textMark.FillsIn()) {
        facts = FactsForPicture(sourcePath, result.width, result.height, metadata, number);
    } else {
        facts.width = result.width;
        facts.height = result.height;
    }
    std::string reason;
    PreparedMark image;
    PreparedMark text;
    if (!imageMark.ForPicture(result.width, result.height, image, reason) ||
        !textMark.ForPicture(facts, text, reason)) {
        return Failed(result, BatchFileOutcome::StampFailed, reason);
    }
    // Each file is placed on copies of the records, so workers may share
    // the marks and their layers.
    image.base.PlaceByAlignment(result.width, result.height);
    text.base.PlaceByAlignment(result.width, result.height);
    // Every frame of an animation takes both marks at the same place.
    MarkStamp imageStamp = MarkStamp::LeftOff;
    MarkStamp textStamp = MarkStamp::LeftOff;
    for (size_t i = 0; i < std::max<size_t>(frames.Size(), 1); ++i) {
        CRasterImage& picture = i == 0 ? work : *frames.At(i);
        imageStamp = StampLaidOut(picture, image.base, *image.layer, imageMark.Layout(), reason);
        if (imageStamp == MarkStamp::Failed) {
            return Failed(
                result, BatchFileOutcome::StampFailed,
                reason.empty() ? "the image mark could not be stamped" : "the image mark: " + reason);
        }
        textStamp = StampLaidOut(picture, text.base, *text.layer, textMark.Layout(), reason);
        if (textStamp == MarkStamp::Failed) {
            return Failed(result, BatchFileOutcome::StampFailed,
                          reason.empty() ? "the text mark could not be stamped" : "the text mark: " + reason);
        }
    }
    result.imageMarkLeftOff = imageStamp == MarkStamp::LeftOff;
    result.textMarkLeftOff = textStamp == MarkStamp::LeftOff;
    if (imageStamp == MarkStamp::Stamped)
        result.imageMarkSize = {image.base.markWidth, image.base.markHeight};
    if (textStamp == MarkStamp::Stamped) result.textMarkSize = {text.base.markWidth, text.base.markHeight};

    ImageList stamped(false);
    stamped.Append(&work);
    for (size_t i = 1; i < frames.Size(); ++i) stamped.Append(frames.At(i));
    FileStatus written;
    FileFinisher withMetadata;
    if (kept != MetadataKept::None) {
        withMetadata = [&](const std::string& tempPath) {
            const KeptMetadataReport report =
                KeepMetadataInFile(sourcePath, tempPath, outputPath, result.width, result.height, kept);
            result.metadataNote = report.note;
            return report.failure.empty() ? std::string()
                                          : "its metadata could not be written: " + report.failure;
        };
    }
    if (!CPictureFiles::Save(stamped, outputPath, SaveOptions(sourcePath, outputPath, quality, metadata),
                             &written, withMetadata)) {
        return Failed(result, BatchFileOutcome::SaveFailed,
                      written.error.empty() ? "the picture could not be written" : written.error);
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}
