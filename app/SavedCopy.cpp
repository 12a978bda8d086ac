#include "app/SavedCopy.h"

#include "batch/LosslessJpeg.h"
#include "batch/StampedCopy.h"
#include "codecs/SourceQuality.h"
#include "watermark/StampOnto.h"

namespace stampora {

bool WriteSavedCopy(PictureDocument& document, CRasterImage& composite, const ImageWatermark& imageMark,
                    const TextWatermark& textMark, const std::string& path, const OutputSettings& output,
                    FileStatus& status) {
    if (!document.sourceFile) return status.Fail("there is no picture to save");
    SourceForCopy& source = *document.sourceFile;
    const int quality = output.qualityFromSource
                            ? JpegQuality(source.file.Bytes()).value_or(kQualityWithoutSource)
                            : output.quality;
    if (output.losslessJpeg && source.file.Format() == FormatJpeg && FormatFromPath(path) == FormatJpeg) {
        // Only the blocks under the marks are encoded again; what cannot be
        // kept so is encoded whole by the same step.
        CRasterImage work;
        const BatchFileResult written =
            WatermarkJpegBlocks(work, document.path, path, imageMark, textMark, quality, output.metadata);
        if (written.outcome != BatchFileOutcome::Written) return status.Fail(written.reason);
        return true;
    }
    // The animation goes on from the composed first frame, so its screen must
    // be that frame's size.
    const bool animated = PlayForCopy(source, FormatFromPath(path)) &&
                          PlayedScreen(source).Width() == composite.Width() &&
                          PlayedScreen(source).Height() == composite.Height();
    if (!animated) source.played = FormatUnknown;
    const FrameStamper stamp = [&](CRasterImage& part, int32_t left, int32_t top) {
        StampOntoPart(part, left, top, imageMark, textMark);
        return std::string();
    };
    const CopyResult written =
        WriteStampedCopy(source, composite, stamp, CopyRequest{path, quality, output.metadata});
    if (written.failure != CopyFailure::None) return status.Fail(written.reason);
    return true;
}

}  // namespace stampora
