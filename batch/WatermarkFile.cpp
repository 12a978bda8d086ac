#include "batch/WatermarkFile.h"

#include "codecs/ImageProperties.h"
#include "codecs/PictureFiles.h"
#include "platform/FileStatus.h"
#include "watermark/StampOnto.h"

namespace {

BatchFileResult Failed(BatchFileResult result, BatchFileOutcome outcome, std::string reason) {
    result.outcome = outcome;
    result.reason = std::move(reason);
    return result;
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
                              const PictureMetadataReader& read) {
    BatchFileResult result;
    // Emptied first, so a reader that reports success without a picture can
    // never bring the previous file's pixels back, and the previous picture's
    // memory is free before the next one is decoded.
    work.Destroy();
    FileStatus status;
    CImageProperties metadata;
    if (!read(work, sourcePath, textMark.FillsIn() ? &metadata : nullptr, status) || work.IsEmpty()) {
        return Failed(result, BatchFileOutcome::Unreadable,
                      status.error.empty() ? "not a picture" : status.error);
    }
    result.damage = status.damage;
    result.width = work.Width();
    result.height = work.Height();
    work.PromoteDepth(32);
    if (work.Bpp() != 32) {
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
    const MarkStamp imageStamp = StampLaidOut(work, image.base, *image.layer, imageMark.Layout(), reason);
    if (imageStamp == MarkStamp::Failed) {
        return Failed(result, BatchFileOutcome::StampFailed,
                      reason.empty() ? "the image mark could not be stamped" : "the image mark: " + reason);
    }
    const MarkStamp textStamp = StampLaidOut(work, text.base, *text.layer, textMark.Layout(), reason);
    if (textStamp == MarkStamp::Failed) {
        return Failed(result, BatchFileOutcome::StampFailed,
                      reason.empty() ? "the text mark could not be stamped" : "the text mark: " + reason);
    }
    result.imageMarkLeftOff = imageStamp == MarkStamp::LeftOff;
    result.textMarkLeftOff = textStamp == MarkStamp::LeftOff;
    if (imageStamp == MarkStamp::Stamped) result.imageMarkSize = {image.base.markWidth, image.base.markHeight};
    if (textStamp == MarkStamp::Stamped) result.textMarkSize = {text.base.markWidth, text.base.markHeight};

    FileStatus written;
    if (!work.Save(outputPath, quality, &written)) {
        return Failed(result, BatchFileOutcome::SaveFailed,
                      written.error.empty() ? "the picture could not be written" : written.error);
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}
