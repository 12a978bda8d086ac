#include "batch/copy/AnimationCopy.h"

#include <utility>

#include "codecs/gif/GifCodec.h"
#include "codecs/webp/WebpCodec.h"

namespace stampora {

namespace {

template <typename Writer>
bool WriteFailed(const Writer& writer, Status& status) {
    const std::string& error = writer.Status().Error();
    return status.Fail(Domain::Write, error.empty() ? "the picture could not be written" : error);
}

template <typename Player, typename Writer>
bool WriteFrames(Player& player, Writer& writer, CRasterImage& shown, const FrameStamper& stamp,
                 const std::string& outputPath, const CImageProperties& options, const FileFinisher& finish,
                 Status& status) {
    writer.SetFinisher(finish);
    if (!writer.BeginAnimation(outputPath, shown.Width(), shown.Height(), &options) ||
        !writer.AddFrame(shown, FrameArea{0, 0, shown.Width(), shown.Height()})) {
        return WriteFailed(writer, status);
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
                return status.Fail(Domain::Mark, "not enough memory for a frame of the animation");
            CopyAreaOnto(player.Screen(), area, part, 0, 0);
            if (!stamp(part, area.left, area.top, status)) return false;
            CopyAreaOnto(part, FrameArea{0, 0, area.width, area.height}, shown, area.left, area.top);
        }
        if (!writer.AddFrame(shown, changed)) return WriteFailed(writer, status);
        ++frames;
    }
    if (!writer.FinishAnimation()) return WriteFailed(writer, status);
    if (frames < player.FrameCount() && !status.Damaged()) {
        status.damage = "only " + std::to_string(frames) + " of " + std::to_string(player.FrameCount()) +
                        " frames (the next one is broken)";
    }
    return true;
}

}  // namespace

bool WriteStampedAnimation(GifAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                           const std::string& outputPath, const CImageProperties& options,
                           const FileFinisher& finish, Status& status) {
    CGifCodec writer;
    return WriteFrames(player, writer, shown, stamp, outputPath, options, finish, status);
}

bool WriteStampedAnimation(WebpAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                           const std::string& outputPath, const CImageProperties& options,
                           const FileFinisher& finish, Status& status) {
    CWebpCodec writer;
    return WriteFrames(player, writer, shown, stamp, outputPath, options, finish, status);
}

}  // namespace stampora
