#include "app/SavedCopy.h"

#include "batch/StampedCopy.h"

namespace stampora {

bool WriteSavedCopy(PictureDocument& document, CRasterImage& composite, const EditorMarks& marks,
                    const std::string& path, FileStatus& status) {
    if (!document.sourceFile) return status.Fail("there is no picture to save");
    SourceForCopy& source = *document.sourceFile;
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
        WriteStampedCopy(source, composite, stamp, CopyRequest{path, -1, MetadataKept::All});
    if (written.failure != CopyFailure::None) return status.Fail(written.reason);
    return true;
}

}  // namespace stampora
