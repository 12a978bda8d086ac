#pragma once
#include <memory>
#include <string>

#include "codecs/FrameArea.h"
#include "codecs/ImageCodec.h"
#include "codecs/metadata/EmbeddedMetadata.h"

namespace stampora {

// WebP pictures and animations through libwebp. A still picture comes as 32
// bits with alpha, turned upright by its EXIF orientation; an animation as
// every frame composed on its canvas, with the frame delays and the loop
// count in their properties. The EXIF, XMP and ICC chunks are read for the
// camera items. Writes lossy at the save quality, lossless at quality 100,
// with alpha where the picture has any; several frames of one size as an
// animation; the metadata blocks of the options as chunks.
class CWebpCodec : public CImageCodec {
public:
    CWebpCodec();
    ~CWebpCodec() override;
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;

    // Writes an animation one frame at a time, holding only the encoder's
    // state whatever the number of frames: BeginAnimation with the canvas
    // size and the options (quality, frame delays, loop count, metadata),
    // AddFrame for each frame in turn, then FinishAnimation, which publishes
    // the file. A failed step gives the animation up; the path is untouched.
    bool BeginAnimation(const std::string& path, int32_t width, int32_t height,
                        const CImageProperties* options);
    // `changed` is taken as GifCodec takes it, but the encoder finds for
    // itself where a frame differs from the one before.
    bool AddFrame(const CRasterImage& frame, const FrameArea& changed = FrameArea{});
    bool AddFrame(const CRasterImage& frame, const FrameAreas&) { return AddFrame(frame); }
    bool FinishAnimation();

private:
    struct AnimationOut;
    std::unique_ptr<AnimationOut> animation;
};

// The EXIF, XMP and ICC chunks of a WebP file.
EmbeddedMetadata WebpMetadata(const uint8_t* data, size_t size);

}  // namespace stampora
