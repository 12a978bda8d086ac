#include "app/SavedCopy.h"

#include "batch/StampedCopy.h"
#include "watermark/StampOnto.h"

namespace stampora {

bool WriteSavedCopy(PictureDocument& document, CRasterImage& composite, const ImageWatermark& imageMark,
                    const TextWatermark& textMark, const std::string& path, Status& status) {
    if (!document.sourceFile) return status.Fail(Domain::Write, "there is no picture to save");
    SourceForCopy& source = *document.sourceFile;
    // The animation goes on from the composed first frame, so its screen must
    // be that frame's size.
    const bool animated = PlayForCopy(source, FormatFromPath(path)) &&
                          PlayedScreen(source).Width() == composite.Width() &&
                          PlayedScreen(source).Height() == composite.Height();
    if (!animated) source.played = FormatUnknown;
    const FrameStamper stamp = [&](CRasterImage& part, int32_t left, int32_t top, Status&) {
        StampOntoPart(part, left, top, imageMark, textMark);
        return true;
    };
    return WriteStampedCopy(source, composite, stamp, CopyRequest{path, -1, MetadataKept::All}, status);
}

}  // namespace stampora
