#pragma once
// An animated WebP taken one frame at a time, as GifAnimationPlayer takes a
// GIF: besides the file it holds only the decoder's canvas and the screen,
// whatever the number of frames.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "codecs/FrameArea.h"
#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

class WebpAnimationPlayer {
public:
    WebpAnimationPlayer();
    ~WebpAnimationPlayer();
    WebpAnimationPlayer(const WebpAnimationPlayer&) = delete;
    WebpAnimationPlayer& operator=(const WebpAnimationPlayer&) = delete;

    // Opens the animated WebP at `path`; false with the reason in `status`
    // when it is no such file or its animation cannot be read.
    bool OpenFile(const std::string& path, Status& status);
    // The same for a file already read into memory. The bytes are played
    // where they are, not copied: they must stay as they are until the
    // player is opened again or destroyed.
    bool Open(std::span<const uint8_t> bytes, Status& status);
    size_t FrameCount() const { return frameCount; }
    // The frame delays (in milliseconds) of the first `frames`
    // frames and the loop count.
    std::unique_ptr<CImageProperties> Properties(size_t frames) const;
    // Composes the next frame on the screen; false once every frame was
    // shown, or when a frame cannot be decoded. The whole screen counts as
    // changed.
    bool Next(FrameArea& changed);
    bool Next(FrameAreas& changed) {
        FrameArea whole;
        if (!Next(whole)) return false;
        changed.assign(1, whole);
        return true;
    }
    const CRasterImage& Screen() const { return screen; }

private:
    struct Decoder;
    // The file as OpenFile read it; empty for bytes given to Open.
    std::vector<uint8_t> owned;
    std::span<const uint8_t> file;
    std::unique_ptr<Decoder> decoder;
    std::vector<int64_t> delays;
    uint32_t loopCount = 0;
    size_t frameCount = 0;
    CRasterImage screen;
};

}  // namespace stampora
