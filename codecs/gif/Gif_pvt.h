#pragma once
// Internals of the GIF codec.
//
// The frames of a GIF file as stored: each frame's rectangle on the logical
// screen, its colour table, its indices and its graphic control.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/DibTypes.h"
#include "platform/Status.h"

namespace stampora {

struct GifStoredFrame {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::array<PaletteColour, 256> colours{};  // entries beyond the file's table are black
    int32_t colourCount = 0;
    std::vector<uint8_t> indices;   // width x height, top line first
    std::vector<uint8_t> lineRead;  // 1 for each line the file held
    int32_t transparentIndex = -1;
    int32_t disposal = 0;
    int32_t delayHundredths = 0;
};

struct GifStoredFrames {
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    // Times the animation plays after the first showing, from the NETSCAPE2.0
    // application block (0: for ever); -1 when the file has none (shown once).
    int32_t loopCount = -1;
    std::vector<GifStoredFrame> frames;
    // Whether the file goes on with frames that were not read.
    bool moreFrames = false;
};

// Reads the frames of a GIF file through giflib, up to a break in the file,
// the decoded-size budget or `maxFrames` frames; false, with giflib's reason
// or our own in `status`, when not even a frame could be read. A frame that
// breaks off is noted in status.damage. The budget counts the frames' own
// pixels and the screens a player composes them on, never a screen a frame.
bool ReadGifFrames(const uint8_t* data, size_t size, GifStoredFrames& stored, Status& status,
                   size_t maxFrames = SIZE_MAX);

// Stops reading at frame `frameNumber` (from 1) for `reason`: with no frame
// read the file is refused for it; otherwise the frames before it make the
// picture and the reason is kept as damage, so no frame is dropped silently.
void LeaveOutFrom(const std::string& reason, size_t framesRead, Status& status);

// The most pixels `bytes` of LZW data can expand to: a 12-bit code stands for
// at most 4096 pixels once the code table is full, and the codes that fill
// the table stand for at most 1 + 2 + ... + 4096 pixels together.
inline uint64_t MaxLzwPixels(uint64_t bytes) {
    return bytes * 8 / 12 * 4096 + 4096ull * 4097 / 2;
}

}  // namespace stampora
