#include "app/SavedCopy.h"

#include "batch/copy/LosslessJpeg.h"
#include "batch/copy/StampedCopy.h"
#include "codecs/metadata/SourceQuality.h"

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
                    const std::string& path, const OutputSettings& output, Status& status) {
    if (!document.sourceFile) return status.Fail(Domain::Write, "there is no picture to save");
    SourceForCopy& source = *document.sourceFile;
    const int quality = output.qualityFromSource
                            ? JpegQuality(source.file.Bytes()).value_or(kQualityWithoutSource)
                            : output.quality;
    if (output.losslessJpeg && source.file.Format() == FormatJpeg && FormatFromPath(path) == FormatJpeg) {
        // Only the blocks under the marks, where they lie, are encoded again;
        // a picture whose blocks cannot be kept so is encoded whole below.
        const JpegLayout layout = ReadJpegLayout(source.file.Bytes());
        if (layout.refusal.empty()) {
            const UprightStamp stamp = [&marks](CRasterImage& area, int32_t left, int32_t top, Status&) {
                marks.StampPart(area, left, top);
                return true;
            };
            Status kept;
            switch (WriteKeptBlocks(source.file.Bytes(), layout, MarkBoxes(marks), stamp, path,
                                    output.metadata, kept)) {
                case KeptBlocks::Written:
                    return true;
                case KeptBlocks::SaveFailed:
                    status.failure = kept.failure;
                    return false;
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
    const FrameStamper stamp = [&](CRasterImage& part, int32_t left, int32_t top, Status&) {
        marks.StampPart(part, left, top);
        return true;
    };
    return WriteStampedCopy(source, composite, stamp, CopyRequest{path, quality, output.metadata}, status);
}

}  // namespace stampora
