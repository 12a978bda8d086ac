#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "codecs/DecodeLimits.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/gif/GifCodec.h"

namespace stampora {

namespace {

bool IsPlainStill(const GifStoredFrames& stored) {
    if (stored.frames.size() != 1 || stored.moreFrames) return false;
    const GifStoredFrame& f = stored.frames.front();
    if (f.left != 0 || f.top != 0 || f.width != stored.screenWidth || f.height != stored.screenHeight)
        return false;
    if (f.transparentIndex >= 0) return false;
    for (const uint8_t read : f.lineRead) {
        if (read == 0) return false;
    }
    return true;
}

// A still, opaque, whole-screen picture keeps its indices and colour table in
// the smallest depth that holds every index used.
std::unique_ptr<CRasterImage> PalettePicture(const GifStoredFrame& f) {
    int32_t highest = f.colourCount - 1;
    for (const uint8_t index : f.indices) highest = std::max<int32_t>(highest, index);
    const int32_t bpp = highest < 2 ? 1 : highest < 16 ? 4 : 8;
    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(f.width, f.height, bpp)) return nullptr;
    image->SetPalette(0, image->PaletteSize(), f.colours.data());
    for (int32_t y = 0; y < f.height; ++y) {
        const uint8_t* indices = f.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(f.width);
        uint8_t* row = image->Row(y);
        if (bpp == 8) {
            std::memcpy(row, indices, static_cast<size_t>(f.width));
            continue;
        }
        const int32_t perByte = 8 / bpp;
        for (int32_t x = 0; x < f.width; ++x) {
            const int shift = 8 - bpp * (x % perByte + 1);
            row[x / perByte] = static_cast<uint8_t>(row[x / perByte] | indices[x] << shift);
        }
    }
    return image;
}

// Every frame as a viewer shows it, each a screen of its own; frames past
// the memory limit for so many screens are left out with the reason.
bool ComposeFrames(GifAnimationPlayer& player, ImageList& images, Status& status) {
    const int64_t screenPixels = static_cast<int64_t>(player.Width()) * player.Height();
    int64_t budget = kMaxDecodedPixels - screenPixels;  // the player's own screen
    for (const GifStoredFrame& f : player.Stored().frames) budget -= static_cast<int64_t>(f.width) * f.height;
    FrameArea changed;
    while (images.Size() < player.FrameCount()) {
        budget -= screenPixels;
        if (budget < 0 && !images.Empty()) {
            LeaveOutFrom(
                "frame " + std::to_string(images.Size() + 1) + " is past the memory limit for an animation",
                images.Size(), status);
            return true;
        }
        auto shown = std::make_unique<CRasterImage>();
        if (!player.Next(changed) || shown->Assign(player.Screen()).IsEmpty()) return !images.Empty();
        images.Append(std::move(shown));
    }
    return true;
}

}  // namespace

bool CGifCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    GifAnimationPlayer player;
    if (!player.Open(data, size, status, firstFrameOnly ? 1 : SIZE_MAX)) return false;
    if (IsPlainStill(player.Stored())) {
        std::unique_ptr<CRasterImage> image = PalettePicture(player.Stored().frames.front());
        if (!image) return status.Fail(Domain::Read, "not enough memory for the picture");
        images.Append(std::move(image));
    } else if (!ComposeFrames(player, images, status)) {
        return status.Fail(Domain::Read, "not enough memory for the picture");
    }
    properties = player.Properties(images.Size());
    return true;
}

}  // namespace stampora
