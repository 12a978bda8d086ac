#pragma once
// An animated GIF taken one frame at a time, so that what it costs follows
// what the file holds: a file of thousands of small frames on a large screen
// is composed on one screen, never held as thousands of screens.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "codecs/gif/GifCodec.h"
#include "codecs/gif/Gif_pvt.h"
#include "codecs/metadata/ImageProperties.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

// Copies `area` of one 32-bit picture to (toLeft, toTop) of another; both
// must hold the area.
void CopyAreaOnto(const CRasterImage& from, const FrameArea& area, CRasterImage& to, int32_t toLeft,
                  int32_t toTop);

// Whether a pixel of `next` is clear where `shown` is not, looking only in
// `areas` (outside them the two are the same), with the pixels of `shown` in
// `cleared` taken as clear: a frame drawn over the screen with its
// transparent pixels showing through would then keep the earlier picture
// there, so that screen cannot lie under it.
bool UncoversPixels(const CRasterImage& shown, const CRasterImage& next, const FrameAreas& areas,
                    const FrameArea& cleared = FrameArea{});

// The smallest rectangle holding every pixel of `now` that differs from
// `before` (both 32 bits, one size, the pixels of `before` in `cleared` taken
// as clear), looking only in `areas`; one pixel when none does, as a frame
// must cover something to keep its delay.
FrameArea ChangedArea(const CRasterImage& before, const CRasterImage& now, const FrameAreas& areas,
                      const FrameArea& cleared = FrameArea{});

// Plays a GIF file's frames as a viewer shows them, one after another on one
// 32-bit screen (transparency, disposal and frames reaching past the screen
// honoured). Besides the frames as stored it holds only the screen and the
// part of it that a "restore to previous" frame puts back afterwards.
class GifAnimationPlayer {
public:
    // Reads at most `maxFrames` frames as stored; false with the reason in
    // `status` when not even one can be read. A frame that broke off, or the
    // frames past the memory limit, are noted in status.damage.
    bool Open(const uint8_t* data, size_t size, Status& status, size_t maxFrames = SIZE_MAX);
    // Open on the whole content of the file at `path`.
    bool OpenFile(const std::string& path, Status& status);

    const GifStoredFrames& Stored() const { return stored; }
    size_t FrameCount() const { return stored.frames.size(); }
    int32_t Width() const { return stored.screenWidth; }
    int32_t Height() const { return stored.screenHeight; }
    // The frame delays (in milliseconds) of the first `frames`
    // frames and, for an animation, the loop count.
    std::unique_ptr<CImageProperties> Properties(size_t frames) const;

    // Composes the next frame on the screen; false once every frame was
    // shown, or when there is no memory for the screen. `changed` holds
    // where the screen now differs from the frame before: the whole screen
    // for the first frame, else what the frame before left behind (cleared
    // or put back) and what this one drew, each as it is, so a small frame
    // far from the one before costs only the two; none when nothing differs.
    bool Next(FrameAreas& changed);
    // As above, with the smallest area holding them all.
    bool Next(FrameArea& changed);
    // The screen as the last frame Next composed shows it.
    const CRasterImage& Screen() const { return screen; }

private:
    GifStoredFrames stored;
    CRasterImage screen;
    CRasterImage restore;  // what the shown frame covered, when it restores it
    FrameArea restoreArea;
    size_t next = 0;
};

}  // namespace stampora
