#include "batch/AnimationCopy.h"

#include <utility>

#include "codecs/GifCodec.h"
#include "codecs/WebpCodec.h"

namespace stampora {

namespace {

CopyResult Failed(CopyFailure failure, std::string reason) {
    CopyResult result;
    result.failure = failure;
    result.reason = std::move(reason);
    return result;
}

template <typename Writer>
CopyResult WriteFailed(const Writer& writer) {
    const std::string& error = writer.Status().Error();
    return Failed(CopyFailure::Write, error.empty() ? "the picture could not be written" : error);
}

template <typename Player, typename Writer>
CopyResult WriteFrames(Player& player, Writer& writer, CRasterImage& shown, const FrameStamper& stamp,
                       const std::string& outputPath, const CImageProperties& options,
                       const FileFinisher& finish) {
    writer.SetFinisher(finish);
    if (!writer.BeginAnimation(outputPath, shown.Width(), shown.Height(), &options) ||
        !writer.AddFrame(shown, FrameArea{0, 0, shown.Width(), shown.Height()})) {
        return WriteFailed(writer);
    }
    size_t frames = 1;
    FrameAreas changed;
    CRasterImage part;
    while (player.Next(changed)) {
        // Each area is stamped from the screen as composed, so areas that
        // overlap are stamped alike.
        for (const FrameArea& area : changed) {
            if (area.IsEmpty()) continue;
            if (!part.Create(area.width, area.height, 32))
                return Failed(CopyFailure::Stamp, "not enough memory for a frame of the animation");
            CopyAreaOnto(player.Screen(), area, part, 0, 0);
            std::string reason = stamp(part, area.left, area.top);
            if (!reason.empty()) return Failed(CopyFailure::Stamp, std::move(reason));
            CopyAreaOnto(part, FrameArea{0, 0, area.width, area.height}, shown, area.left, area.top);
        }
        if (!writer.AddFrame(shown, changed)) return WriteFailed(writer);
        ++frames;
    }
    if (!writer.FinishAnimation()) return WriteFailed(writer);
    CopyResult result;
    if (frames < player.FrameCount()) {
        result.damage = "only " + std::to_string(frames) + " of " + std::to_string(player.FrameCount()) +
                        " frames (the next one is broken)";
    }
    return result;
}

}  // namespace

CopyResult WriteStampedAnimation(GifAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                                 const std::string& outputPath, const CImageProperties& options,
                                 const FileFinisher& finish) {
    CGifCodec writer;
    return WriteFrames(player, writer, shown, stamp, outputPath, options, finish);
}

CopyResult WriteStampedAnimation(WebpAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                                 const std::string& outputPath, const CImageProperties& options,
                                 const FileFinisher& finish) {
    CWebpCodec writer;
    return WriteFrames(player, writer, shown, stamp, outputPath, options, finish);
}

}  // namespace stampora
