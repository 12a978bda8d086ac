#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "codecs/GifCodec.h"
#include "codecs/Gif_pvt.h"

namespace {

constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;

bool IsPlainStill(const GifStoredFrames& stored) {
    if (stored.frames.size() != 1) return false;
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

// Draws a frame's lines onto the screen canvas, leaving transparent indices
// and the parts outside the screen alone.
void DrawFrame(const GifStoredFrame& f, CRasterImage& canvas) {
    for (int32_t fy = 0; fy < f.height; ++fy) {
        const int32_t y = f.top + fy;
        if (y >= canvas.Height()) break;
        if (f.lineRead[static_cast<size_t>(fy)] == 0) continue;
        const uint8_t* indices = f.indices.data() + static_cast<size_t>(fy) * static_cast<size_t>(f.width);
        uint8_t* row = canvas.Row(y);
        for (int32_t fx = 0; fx < f.width; ++fx) {
            const int32_t x = f.left + fx;
            if (x >= canvas.Width()) break;
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

void ClearFrameArea(const GifStoredFrame& f, CRasterImage& canvas) {
    const int32_t right = std::min(canvas.Width(), f.left + f.width);
    const int32_t bottom = std::min(canvas.Height(), f.top + f.height);
    if (f.left >= right) return;
    for (int32_t y = f.top; y < bottom; ++y) {
        std::memset(canvas.Row(y) + 4 * static_cast<size_t>(f.left), 0,
                    4 * static_cast<size_t>(right - f.left));
    }
}

bool ComposeFrames(const GifStoredFrames& stored, ImageList& images) {
    CRasterImage canvas;
    if (!canvas.Create(stored.screenWidth, stored.screenHeight, 32)) return false;
    for (size_t i = 0; i < stored.frames.size(); ++i) {
        const GifStoredFrame& f = stored.frames[i];
        CRasterImage before;
        if (f.disposal == kDisposeToPrevious) before.Assign(canvas);
        DrawFrame(f, canvas);
        auto shown = std::make_unique<CRasterImage>();
        if (i + 1 == stored.frames.size()) {
            // The last frame takes the canvas itself rather than a copy.
            shown->Swap(canvas);
            images.Append(std::move(shown));
            return true;
        }
        shown->Assign(canvas);
        if (shown->IsEmpty()) return !images.Empty();
        images.Append(std::move(shown));
        if (f.disposal == kDisposeToBackground) {
            // Viewers clear to transparency rather than the background colour.
            ClearFrameArea(f, canvas);
        } else if (f.disposal == kDisposeToPrevious && !before.IsEmpty()) {
            canvas.Swap(before);
        }
    }
    return true;
}

std::string FrameDelays(const GifStoredFrames& stored) {
    std::string delays;
    for (const GifStoredFrame& f : stored.frames) {
        char text[24];
        std::snprintf(text, sizeof text, "%016lld", static_cast<long long>(f.delayHundredths) * 10);
        delays += text;
    }
    return delays;
}

}  // namespace

bool CGifCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = FileStatus();
    GifStoredFrames stored;
    if (!ReadGifFrames(data, size, stored, status)) return false;
    if (IsPlainStill(stored)) {
        std::unique_ptr<CRasterImage> image = PalettePicture(stored.frames.front());
        if (!image) return status.Fail("not enough memory for the picture");
        images.Append(std::move(image));
    } else if (!ComposeFrames(stored, images)) {
        return status.Fail("not enough memory for the picture");
    }
    auto store = std::make_unique<CImageProperties>();
    store->SetValue(kPropertyFrameDelays, FrameDelays(stored));
    if (stored.loopCount >= 0 && stored.frames.size() > 1)
        store->SetValue(kPropertyLoopCount, std::to_string(stored.loopCount));
    properties = std::move(store);
    return true;
}
