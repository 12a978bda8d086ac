#include "batch/SourceForCopy.h"

namespace stampora {

bool PlayForCopy(SourceForCopy& source) {
    source.played = false;
    const SourcePicture& file = source.file;
    GifAnimationPlayer& player = source.animation;
    if (file.Format() != FormatGif || file.Bytes().empty()) return false;
    FileStatus opened;
    FrameArea changed;
    if (!player.Open(file.Bytes().data(), file.Bytes().size(), opened) || player.FrameCount() < 2 ||
        !player.Next(changed)) {
        return false;
    }
    source.status = opened;
    source.properties.CopyFrom(*player.Properties(player.FrameCount()));
    source.played = true;
    return true;
}

bool ReadSourceForCopy(SourceForCopy& source, CRasterImage& first, const std::string& path,
                       ImageFormat output, bool withMetadata, const PictureMetadataReader& standIn) {
    const bool toGif = output == FormatGif;
    if (standIn && !toGif)
        return standIn(first, path, withMetadata ? &source.properties : nullptr, source.status);
    if (!source.file.Open(path, source.status)) return false;
    if (toGif && PlayForCopy(source)) {
        if (first.Assign(source.animation.Screen()).IsEmpty())
            return source.status.Fail("not enough memory for a frame of the animation");
        return true;
    }
    if (!toGif)
        return source.file.ReadPicture(first, withMetadata ? &source.properties : nullptr, source.status);
    ImageList& frames = source.frames;
    if (!source.file.ReadFrames(frames, &source.properties, false, source.status) || frames.Empty())
        return false;
    first.Swap(*frames.First());
    return true;
}

}  // namespace stampora
