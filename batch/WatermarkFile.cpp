#include "batch/WatermarkFile.h"

#include "codecs/PictureFiles.h"
#include "platform/FileStatus.h"
#include "watermark/StampOnto.h"

namespace {

// Places one mark on a picture of the given size, on a copy of its record.
WatermarkBase PlacedOn(const WatermarkBase& mark, int32_t width, int32_t height) {
    WatermarkBase placed = mark;
    placed.PlaceByAlignment(width, height);
    return placed;
}

BatchFileResult Failed(BatchFileResult result, BatchFileOutcome outcome, std::string reason) {
    result.outcome = outcome;
    result.reason = std::move(reason);
    return result;
}

}  // namespace

bool ReadPictureFile(CRasterImage& picture, const std::string& path, FileStatus& status) {
    return picture.Load(path, nullptr, &status);
}

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, const ImageWatermark& imageMark,
                              const TextWatermark& textMark, int quality, const PictureReader& read) {
    BatchFileResult result;
    // Emptied first, so a reader that reports success without a picture can
    // never bring the previous file's pixels back, and the previous picture's
    // memory is free before the next one is decoded.
    work.Destroy();
    FileStatus status;
    if (!read(work, sourcePath, status) || work.IsEmpty()) {
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

    const WatermarkBase imagePlaced = PlacedOn(imageMark.base, result.width, result.height);
    const WatermarkBase textPlaced = PlacedOn(textMark.base, result.width, result.height);
    const MarkStamp image = StampMark(work, imagePlaced, imageMark.layer, true);
    const MarkStamp text = StampMark(work, textPlaced, textMark.layer, true);
    if (image == MarkStamp::Failed || text == MarkStamp::Failed) {
        return Failed(result, BatchFileOutcome::StampFailed,
                      image == MarkStamp::Failed ? "the image mark could not be stamped"
                                                 : "the text mark could not be stamped");
    }
    result.imageMarkLeftOff = image == MarkStamp::LeftOff;
    result.textMarkLeftOff = text == MarkStamp::LeftOff;

    FileStatus written;
    if (!work.Save(outputPath, quality, &written)) {
        return Failed(result, BatchFileOutcome::SaveFailed,
                      written.error.empty() ? "the picture could not be written" : written.error);
    }
    result.outcome = BatchFileOutcome::Written;
    return result;
}
