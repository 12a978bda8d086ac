#pragma once
#include <memory>
#include <string>
#include <vector>

#include "codecs/FrameArea.h"
#include "codecs/ImageCodec.h"

namespace stampora {

// GIF pictures and animations through giflib. Every frame is read as a
// viewer shows the animation at that frame (frames drawn onto the logical
// screen in turn, honouring transparency and disposal); a still picture
// covering the whole screen without transparency comes as a 1, 4 or 8-bit
// palette picture, everything else as 32 bits with alpha. Frame delays go
// into the frame-delay property in milliseconds, the loop count of an
// animation into the loop-count property. Writes one picture as a still:
// palette pictures with their palette, deeper ones reduced to at most 256
// colours (alpha 0 becomes the transparent index); several pictures of one
// size as an animation of those pictures, with those two properties.
class CGifCodec : public CImageCodec {
public:
    CGifCodec();
    ~CGifCodec() override;
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images,
                  const CImageProperties* properties) override;

    // Writes an animation one frame at a time, as SaveFile writes a list of
    // frames, holding only two frames whatever their number: BeginAnimation
    // with the screen size and the options (frame delays, loop count), then
    // AddFrame for each frame in turn with the areas outside which it is the
    // same as the frame before (anything for the first), then
    // FinishAnimation, which publishes the file. A failed step gives the
    // animation up, and the path is left untouched. The file's frames cost
    // what changes from one frame to the next: each covers only what
    // differs, and leaves the screen as the next frame needs it (in place,
    // put back as it was before, or cleared).
    bool BeginAnimation(const std::string& path, int32_t width, int32_t height,
                        const CImageProperties* options);
    bool AddFrame(const CRasterImage& frame, const FrameAreas& changed);
    bool AddFrame(const CRasterImage& frame, const FrameArea& changed) {
        return AddFrame(frame, FrameAreas{changed});
    }
    bool FinishAnimation();

private:
    struct AnimationOut;
    std::unique_ptr<AnimationOut> animation;
};

}  // namespace stampora
