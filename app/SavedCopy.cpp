#include "app/SavedCopy.h"

#include "batch/LosslessJpeg.h"
#include "batch/StampedCopy.h"
#include "codecs/SourceQuality.h"

namespace stampora {

namespace {

// The boxes the shown marks' layers cover on the picture, every tile of a
// tiled mark included.
std::vector<StoredBox> MarkBoxes(const EditorMarks& marks) {
    std::vector<StoredBox> boxes;
    for (const PlacedMark* on : {&marks.PlacedImage(), &marks.PlacedText()}) {
        if (!on->shown || !on->made.layer) continue;
        for (const TilePlace& place : on->places)
            boxes.push_back({place.x, place.y, on->made.layer->Width(), on->made.layer->Height()});
    }
    return boxes;
}

}  // namespace

bool WriteSavedCopy(PictureDocument& document, CRasterImage& composite, const EditorMarks& marks,
                    const std::string& path, const OutputSettings& output, FileStatus& status) {
    if (!document.sourceFile) return status.Fail("there is no picture to save");
    SourceForCopy& source = *document.sourceFile;
    const int quality = output.qualityFromSource
                            ? JpegQuality(source.file.Bytes()).value_or(kQualityWithoutSource)
                            : output.quality;
    if (output.losslessJpeg && source.file.Format() == FormatJpeg && FormatFromPath(path) == FormatJpeg) {
        // Only the blocks under the marks, where they lie, are encoded again;
        // a picture whose blocks cannot be kept so is encoded whole below.
        const JpegLayout layout = ReadJpegLayout(source.file.Bytes());
        std::string reason = layout.refusal;
        if (reason.empty()) {
            const UprightStamp stamp = [&marks](CRasterImage& area, int32_t left, int32_t top, std::string&) {
                marks.StampPart(area, left, top);
                return true;
            };
            switch (WriteKeptBlocks(source.file.Bytes(), layout, MarkBoxes(marks), stamp, path,
                                    output.metadata, reason)) {
                case KeptBlocks::Written:
                    return true;
                case KeptBlocks::SaveFailed:
                    return status.Fail(reason);
                case KeptBlocks::Refused:
                    break;
            }
        }
    }
    // The animation goes on from the composed first frame, so its screen must
    // be that frame's size.
    const bool animated = PlayForCopy(source, FormatFromPath(path)) &&
                          PlayedScreen(source).Width() == composite.Width() &&
                          PlayedScreen(source).Height() == composite.Height();
    if (!animated) source.played = FormatUnknown;
    const FrameStamper stamp = [&](CRasterImage& part, int32_t left, int32_t top) {
        marks.StampPart(part, left, top);
        return std::string();
    };
    const CopyResult written =
        WriteStampedCopy(source, composite, stamp, CopyRequest{path, quality, output.metadata});
    if (written.failure != CopyFailure::None) return status.Fail(written.reason);
    return true;
}

}  // namespace stampora
