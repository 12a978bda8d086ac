#include "batch/WatermarkFile.h"

#include "codecs/PictureFiles.h"

namespace {

// Places one mark on a picture of the given size, on a copy of its record.
WatermarkBase PlacedOn(const WatermarkBase& mark, int32_t width, int32_t height) {
    WatermarkBase placed = mark;
    placed.PlaceByAlignment(width, height);
    return placed;
}

// A mark is stamped only when active and inside the margins; one that does
// not fit is left off this picture alone. Answers whether it was left off.
bool StampPlaced(CRasterImage& picture, const CRasterImage& layer, const WatermarkBase& placed) {
    if (!placed.enabled || layer.IsEmpty()) return false;
    if (!FitsWithinMargins(placed.markWidth, placed.markHeight, picture.Width(), picture.Height())) return true;
    picture.BlendLayer(layer, placed.x, placed.y, placed.opacity);
    return false;
}

}  // namespace

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath, const std::string& outputPath,
                              const ImageWatermark& imageMark, const TextWatermark& textMark, int quality) {
    BatchFileResult result;
    // Emptied first, so a reader that reports success without a picture can
    // never bring the previous file's pixels back, and the previous picture's
    // memory is free before the next one is decoded.
    work.Destroy();
    if (!work.Load(sourcePath) || work.IsEmpty()) return result;
    work.PromoteDepth(32);
    result.width = work.Width();
    result.height = work.Height();

    const WatermarkBase imagePlaced = PlacedOn(imageMark.base, result.width, result.height);
    const WatermarkBase textPlaced = PlacedOn(textMark.base, result.width, result.height);
    result.imageMarkLeftOff = StampPlaced(work, imageMark.layer, imagePlaced);
    result.textMarkLeftOff = StampPlaced(work, textMark.layer, textPlaced);

    result.outcome = work.Save(outputPath, quality) ? BatchFileOutcome::Written : BatchFileOutcome::SaveFailed;
    return result;
}
