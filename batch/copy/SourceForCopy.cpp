#include "batch/copy/SourceForCopy.h"

namespace stampora {

namespace {

// Whether a copy in `output` keeps every frame (or page) of a source in
// `input`.
bool KeepsEveryFrame(ImageFormat input, ImageFormat output) {
    return output == FormatGif || output == FormatWebp || (output == FormatTiff && input == FormatTiff);
}

// Plays an animation `player` has just opened from its first frame, its
// timing in `properties`; false when it did not open or is no animation.
template <typename Player>
bool Play(Player& player, bool opened, CImageProperties& properties) {
    FrameArea changed;
    if (!opened || player.FrameCount() < 2 || !player.Next(changed)) return false;
    properties = *player.Properties(player.FrameCount());
    return true;
}

}  // namespace

bool PlayForCopy(SourceForCopy& source, ImageFormat output) {
    source.played = FormatUnknown;
    const SourcePicture& file = source.file;
    if (file.Format() != output || (output != FormatGif && output != FormatWebp) || file.Bytes().empty())
        return false;
    const std::span<const uint8_t> bytes = file.Bytes();
    Status status;
    const bool played =
        output == FormatGif
            ? Play(source.animation, source.animation.Open(bytes.data(), bytes.size(), status),
                   source.properties)
            : Play(source.webpAnimation, source.webpAnimation.Open(bytes, status), source.properties);
    if (!played) return false;
    source.status = status;
    source.played = output;
    return true;
}

const CRasterImage& PlayedScreen(const SourceForCopy& source) {
    static const CRasterImage none;
    return source.played == FormatGif    ? source.animation.Screen()
           : source.played == FormatWebp ? source.webpAnimation.Screen()
                                         : none;
}

bool ReadSourceForCopy(SourceForCopy& source, CRasterImage& first, const std::string& path,
                       ImageFormat output, bool withMetadata, const PictureMetadataReader& standIn) {
    if (standIn && !KeepsEveryFrame(FormatFromPath(path), output))
        return standIn(first, path, withMetadata ? &source.properties : nullptr, source.status);
    // A file the caller opened, or failed to open, is not opened again.
    if (source.status.Failed()) return false;
    if (!(source.file.IsOpen() ? source.file.ReadFile(source.status) : source.file.Open(path, source.status)))
        return false;
    if (PlayForCopy(source, output)) {
        if (first.Assign(PlayedScreen(source)).IsEmpty())
            return source.status.Fail(Domain::Read, "not enough memory for a frame of the animation");
        return true;
    }
    if (!KeepsEveryFrame(source.file.Format(), output))
        return source.file.ReadPicture(first, withMetadata ? &source.properties : nullptr, source.status);
    ImageList& frames = source.frames;
    if (!source.file.ReadFrames(frames, &source.properties, false, source.status) || frames.Empty())
        return false;
    first.Swap(*frames.First());
    return true;
}

}  // namespace stampora
