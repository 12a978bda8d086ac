#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "codecs/gif/GifAnimation.h"

namespace stampora {

namespace {

constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;

// The part of the screen a frame covers; frames may reach past its edges.
FrameArea OnScreen(const GifStoredFrame& f, const CRasterImage& screen) {
    const int32_t right = std::min(screen.Width(), f.left + f.width);
    const int32_t bottom = std::min(screen.Height(), f.top + f.height);
    return FrameArea{f.left, f.top, std::max(0, right - f.left), std::max(0, bottom - f.top)};
}

// Draws a frame's lines onto the screen, leaving transparent indices, lines
// the file did not hold and the parts outside the screen alone.
void DrawFrame(const GifStoredFrame& f, CRasterImage& screen) {
    for (int32_t fy = 0; fy < f.height; ++fy) {
        const int32_t y = f.top + fy;
        if (y >= screen.Height()) break;
        if (f.lineRead[static_cast<size_t>(fy)] == 0) continue;
        const uint8_t* indices = f.indices.data() + static_cast<size_t>(fy) * static_cast<size_t>(f.width);
        uint8_t* row = screen.Row(y);
        for (int32_t fx = 0; fx < f.width; ++fx) {
            const int32_t x = f.left + fx;
            if (x >= screen.Width()) break;
            const uint8_t index = indices[fx];
            if (index == f.transparentIndex) continue;
            const PaletteColour& c = f.colours[index];
            uint8_t* px = row + 4 * static_cast<size_t>(x);
            px[0] = c.rgbBlue;
            px[1] = c.rgbGreen;
            px[2] = c.rgbRed;
            px[3] = 255;
        }
    }
}

}  // namespace

void CopyAreaOnto(const CRasterImage& from, const FrameArea& area, CRasterImage& to, int32_t toLeft,
                  int32_t toTop) {
    for (int32_t y = 0; y < area.height; ++y) {
        std::memcpy(to.Row(toTop + y) + 4 * static_cast<size_t>(toLeft),
                    from.Row(area.top + y) + 4 * static_cast<size_t>(area.left),
                    4 * static_cast<size_t>(area.width));
    }
}

bool GifAnimationPlayer::Open(const uint8_t* data, size_t size, Status& status, size_t maxFrames) {
    stored = GifStoredFrames();
    screen.Destroy();
    restore.Destroy();
    next = 0;
    return ReadGifFrames(data, size, stored, status, maxFrames);
}

bool GifAnimationPlayer::OpenFile(const std::string& path, Status& status) {
    CodecInputFile file;
    if (!file.Open(path, status)) return false;
    // Other pictures are refused before their content is read.
    char signature[4] = {};
    if (!file.ReadExactly(signature, sizeof signature) || std::memcmp(signature, "GIF8", 4) != 0)
        return status.Fail(Domain::Read, "not a GIF picture");
    std::vector<uint8_t> bytes;
    if (!file.ReadAll(bytes, status)) return false;
    return Open(bytes.data(), bytes.size(), status);
}

std::unique_ptr<CImageProperties> GifAnimationPlayer::Properties(size_t frames) const {
    auto properties = std::make_unique<CImageProperties>();
    for (size_t i = 0; i < frames && i < stored.frames.size(); ++i)
        properties->frameDelays.push_back(int64_t{stored.frames[i].delayHundredths} * 10);
    if (stored.loopCount >= 0 && frames > 1) properties->loopCount = static_cast<uint32_t>(stored.loopCount);
    return properties;
}

bool GifAnimationPlayer::Next(FrameArea& changed) {
    FrameAreas areas;
    if (!Next(areas)) return false;
    changed = FrameArea{};
    for (const FrameArea& area : areas) changed = AreaUnion(changed, area);
    return true;
}

bool GifAnimationPlayer::Next(FrameAreas& changed) {
    if (next >= stored.frames.size()) return false;
    changed.clear();
    FrameArea left;  // what the frame before left behind
    if (next == 0) {
        if (!screen.Create(stored.screenWidth, stored.screenHeight, 32)) return false;
        left = FrameArea{0, 0, screen.Width(), screen.Height()};
    } else {
        // The frame shown before leaves as its disposal says; viewers clear
        // to transparency rather than the background colour.
        const GifStoredFrame& shown = stored.frames[next - 1];
        if (shown.disposal == kDisposeToBackground) {
            left = OnScreen(shown, screen);
            for (int32_t y = 0; y < left.height; ++y) {
                std::memset(screen.Row(left.top + y) + 4 * static_cast<size_t>(left.left), 0,
                            4 * static_cast<size_t>(left.width));
            }
        } else if (shown.disposal == kDisposeToPrevious && !restore.IsEmpty()) {
            left = restoreArea;
            CopyAreaOnto(restore, FrameArea{0, 0, restoreArea.width, restoreArea.height}, screen,
                         restoreArea.left, restoreArea.top);
        }
    }
    const GifStoredFrame& f = stored.frames[next++];
    const FrameArea drawn = OnScreen(f, screen);
    restore.Destroy();
    // Without memory for the copy the frame stays on the screen, as a viewer
    // that cannot restore it would leave it.
    if (f.disposal == kDisposeToPrevious && !drawn.IsEmpty() &&
        restore.Create(drawn.width, drawn.height, 32)) {
        CopyAreaOnto(screen, drawn, restore, 0, 0);
        restoreArea = drawn;
    }
    DrawFrame(f, screen);
    if (!left.IsEmpty()) changed.push_back(left);
    if (!drawn.IsEmpty() && next > 1) changed.push_back(drawn);
    return true;
}

}  // namespace stampora
