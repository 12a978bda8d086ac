#include "batch/AnimationCopy.h"

#include <utility>

namespace stampora {

namespace {

CopyResult Failed(CopyFailure failure, std::string reason) {
    CopyResult result;
    result.failure = failure;
    result.reason = std::move(reason);
    return result;
}

CopyResult WriteFailed(const CGifCodec& writer) {
    const std::string& error = writer.Status().error;
    return Failed(CopyFailure::Write, error.empty() ? "the picture could not be written" : error);
}

}  // namespace

CopyResult WriteStampedAnimation(GifAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                                 const std::string& outputPath, const CImageProperties& options,
                                 const FileFinisher& finish) {
    CGifCodec writer;
    writer.SetFinisher(finish);
    if (!writer.BeginAnimation(outputPath, shown.Width(), shown.Height(), &options) ||
        !writer.AddFrame(shown, FrameArea{0, 0, shown.Width(), shown.Height()})) {
        return WriteFailed(writer);
    }
    FrameArea changed;
    CRasterImage part;
    while (player.Next(changed)) {
        if (!changed.IsEmpty()) {
            if (!part.Create(changed.width, changed.height, 32))
                return Failed(CopyFailure::Stamp, "not enough memory for a frame of the animation");
            CopyAreaOnto(player.Screen(), changed, part, 0, 0);
            std::string reason = stamp(part, changed.left, changed.top);
            if (!reason.empty()) return Failed(CopyFailure::Stamp, std::move(reason));
            CopyAreaOnto(part, FrameArea{0, 0, changed.width, changed.height}, shown, changed.left,
                         changed.top);
        }
        if (!writer.AddFrame(shown, changed)) return WriteFailed(writer);
    }
    if (!writer.FinishAnimation()) return WriteFailed(writer);
    return CopyResult();
}

}  // namespace stampora
