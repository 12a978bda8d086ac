// Builds an animation from the input (frames painted with rectangles of a
// few colours or of clear pixels, over the frame before), writes it one
// frame at a time with the areas that changed, reads it back and checks
// that every frame composes exactly to the picture given.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/gif/GifAnimation.h"
#include "codecs/gif/GifCodec.h"

using namespace stampora;

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t Next() { return at < size ? data[at++] : 0; }
    bool Left() const { return at < size; }
};

// Paints `area` (cut to the picture) in `colour`, or clear when it has none;
// a pattern of the colour and clear when `patterned`.
void Paint(CRasterImage& frame, const FrameArea& area, const uint8_t* colour, bool patterned) {
    for (int32_t y = std::max(0, area.top); y < std::min(frame.Height(), area.top + area.height); ++y) {
        for (int32_t x = std::max(0, area.left); x < std::min(frame.Width(), area.left + area.width); ++x) {
            uint8_t* p = frame.PixelAt(x, y);
            const bool clear = colour == nullptr || (patterned && (x + y) % 3 == 0);
            for (int c = 0; c < 3; ++c) p[c] = clear ? 0 : colour[c];
            p[3] = clear ? 0 : 255;
        }
    }
}

bool SameAsGiven(const CRasterImage& shown, const CRasterImage& given) {
    for (int32_t y = 0; y < given.Height(); ++y) {
        for (int32_t x = 0; x < given.Width(); ++x) {
            const uint8_t* a = shown.PixelAt(x, y);
            const uint8_t* b = given.PixelAt(x, y);
            if ((a[3] == 0) != (b[3] == 0)) return false;
            if (b[3] != 0 && (a[0] != b[0] || a[1] != b[1] || a[2] != b[2])) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const int32_t width = 1 + in.Next() % 48;
    const int32_t height = 1 + in.Next() % 48;
    const size_t frameCount = 1 + in.Next() % 8;
    uint8_t colours[8][3];
    for (auto& colour : colours) {
        for (uint8_t& channel : colour) channel = in.Next();
    }

    std::vector<CRasterImage> frames(frameCount);
    std::vector<FrameAreas> changes(frameCount);
    for (size_t i = 0; i < frameCount; ++i) {
        if (i == 0) {
            frames[i].Create(width, height, 32);
            Paint(frames[i], FrameArea{0, 0, width, height}, nullptr, false);
        } else {
            frames[i].Assign(frames[i - 1]);
        }
        const int strokes = in.Next() % 4;
        for (int s = 0; s < strokes; ++s) {
            const uint8_t kind = in.Next();
            const FrameArea area{in.Next() % 56 - 4, in.Next() % 56 - 4, in.Next() % 56, in.Next() % 56};
            Paint(frames[i], area, kind % 9 == 8 ? nullptr : colours[kind % 9], kind & 0x10);
            changes[i].push_back(area);
        }
    }

    char path[64];
    std::snprintf(path, sizeof path, "/tmp/gif_writer_fuzz_%d.gif", static_cast<int>(getpid()));
    CImageProperties options;
    options.loopCount = in.Next();
    CGifCodec writer;
    bool ok = writer.BeginAnimation(path, width, height, &options);
    for (size_t i = 0; ok && i < frameCount; ++i) ok = writer.AddFrame(frames[i], changes[i]);
    if (!ok || !writer.FinishAnimation()) std::abort();  // small frames of a few colours always write

    GifAnimationPlayer player;
    Status status;
    if (!player.OpenFile(path, status) || player.FrameCount() != frameCount || !status.damage.empty())
        std::abort();
    FrameAreas changed;
    for (size_t i = 0; i < frameCount; ++i) {
        if (!player.Next(changed) || !SameAsGiven(player.Screen(), frames[i])) std::abort();
    }
    std::remove(path);
    return 0;
}
