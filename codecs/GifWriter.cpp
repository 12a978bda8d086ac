#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/ColorQuantizer.h"
#include "codecs/GifCodec.h"
#include "platform/FileIo.h"

namespace {

int WriteToFile(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<SafeFileWriter*>(gif->UserData);
    if (length <= 0) return 0;
    return out->Write(data, static_cast<size_t>(length)) ? length : 0;
}

// A palette picture's indices, one byte per pixel.
void IndicesOf(const CRasterImage& image, IndexedPicture& out) {
    out.width = image.Width();
    out.height = image.Height();
    out.palette.assign(image.Palette(), image.Palette() + image.PaletteSize());
    out.indices.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    for (int32_t y = 0; y < out.height; ++y) {
        uint8_t* line = out.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(out.width);
        for (int32_t x = 0; x < out.width; ++x) line[x] = static_cast<uint8_t>(image.ReadPixel(x, y));
    }
}

// GIF colour tables hold a power of two entries, 2 to 256.
ColorMapObject* MakeColourTable(const std::vector<PaletteColour>& palette) {
    int count = 2;
    while (count < static_cast<int>(palette.size())) count *= 2;
    std::vector<GifColorType> colours(static_cast<size_t>(count), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i) {
        colours[i] = GifColorType{palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
    }
    return GifMakeMapObject(count, colours.data());
}

bool Encode(GifFileType* gif, const IndexedPicture& picture) {
    ColorMapObject* table = MakeColourTable(picture.palette);
    if (table == nullptr) return false;
    const bool transparent = picture.transparentIndex >= 0;
    EGifSetGifVersion(gif, transparent);
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, table->BitsPerPixel, 0, table) == GIF_OK;
    GifFreeMapObject(table);
    if (ok && transparent) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.DelayTime = 0;
        control.TransparentColor = picture.transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    for (int32_t y = 0; ok && y < picture.height; ++y) {
        // giflib takes non-const lines but only reads them.
        auto* line = const_cast<GifPixelType*>(picture.indices.data() +
                                               static_cast<size_t>(y) * static_cast<size_t>(picture.width));
        ok = EGifPutLine(gif, line, picture.width) == GIF_OK;
    }
    return ok;
}

// Whether a pixel of `next` is clear where `shown` is not: a frame drawn over
// the screen with its transparent pixels showing through would then keep the
// earlier picture there, so the screen must be cleared in between.
bool UncoversPixels(const CRasterImage& shown, const CRasterImage& next) {
    if (next.Bpp() != 32) return false;  // no transparency
    const bool shownOpaque = shown.Bpp() != 32;
    for (int32_t y = 0; y < shown.Height(); ++y) {
        const uint8_t* a = shownOpaque ? nullptr : shown.Row(y) + 3;
        const uint8_t* b = next.Row(y) + 3;
        for (int32_t x = 0; x < shown.Width(); ++x, b += 4) {
            if (*b == 0 && (shownOpaque || a[4 * static_cast<size_t>(x)] != 0)) return true;
        }
    }
    return false;
}

// The frame delays in hundredths of a second, from the milliseconds the
// reader stored (16 digits a frame); 0 where the property says nothing.
std::vector<int> DelaysOf(const CImageProperties* properties, size_t frames) {
    std::vector<int> delays(frames, 0);
    const std::string text = properties != nullptr ? properties->GetValue(kPropertyFrameDelays) : "";
    constexpr size_t kDigits = 16;
    for (size_t i = 0; i < frames && (i + 1) * kDigits <= text.size(); ++i) {
        const long long ms = std::strtoll(text.substr(i * kDigits, kDigits).c_str(), nullptr, 10);
        delays[i] = static_cast<int>(std::clamp<long long>((ms + 5) / 10, 0, 0xFFFF));
    }
    return delays;
}

// The NETSCAPE2.0 application block that makes viewers play the animation
// `loops` more times (0: for ever).
bool PutLoopCount(GifFileType* gif, int loops) {
    const GifByteType name[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType count[] = {1, static_cast<GifByteType>(loops & 0xFF),
                                 static_cast<GifByteType>(loops >> 8)};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof name, name) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof count, count) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

// The part of the screen a frame covers.
struct FrameArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The smallest rectangle holding every pixel of `now` that differs from
// `before` (both 32 bits, one size); one pixel when none does, as a frame
// must cover something to keep its delay.
FrameArea ChangedArea(const CRasterImage& before, const CRasterImage& now) {
    int32_t left = now.Width(), right = -1, top = now.Height(), bottom = -1;
    const size_t lineBytes = 4 * static_cast<size_t>(now.Width());
    for (int32_t y = 0; y < now.Height(); ++y) {
        const uint8_t* a = before.Row(y);
        const uint8_t* b = now.Row(y);
        if (std::memcmp(a, b, lineBytes) == 0) continue;
        top = std::min(top, y);
        bottom = y;
        int32_t first = 0;
        while (std::memcmp(a + 4 * static_cast<size_t>(first), b + 4 * static_cast<size_t>(first), 4) == 0)
            ++first;
        int32_t last = now.Width() - 1;
        while (std::memcmp(a + 4 * static_cast<size_t>(last), b + 4 * static_cast<size_t>(last), 4) == 0)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (bottom < 0) return FrameArea{0, 0, 1, 1};
    return FrameArea{left, top, right - left + 1, bottom - top + 1};
}

// A copy of the area of a 32-bit picture.
bool CopyArea(const CRasterImage& image, const FrameArea& area, CRasterImage& part) {
    if (!part.Create(area.width, area.height, 32)) return false;
    for (int32_t y = 0; y < area.height; ++y) {
        std::memcpy(part.Row(y), image.Row(area.top + y) + 4 * static_cast<size_t>(area.left),
                    4 * static_cast<size_t>(area.width));
    }
    return true;
}

bool PutFrame(GifFileType* gif, const IndexedPicture& picture, const FrameArea& area, int disposal,
              int delay) {
    GraphicsControlBlock control{};
    control.DisposalMode = disposal;
    control.DelayTime = delay;
    control.TransparentColor = picture.transparentIndex;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_OK)
        return false;
    ColorMapObject* table = MakeColourTable(picture.palette);
    if (table == nullptr) return false;
    bool ok =
        EGifPutImageDesc(gif, area.left, area.top, picture.width, picture.height, false, table) == GIF_OK;
    GifFreeMapObject(table);
    for (int32_t y = 0; ok && y < picture.height; ++y) {
        auto* line = const_cast<GifPixelType*>(picture.indices.data() +
                                               static_cast<size_t>(y) * static_cast<size_t>(picture.width));
        ok = EGifPutLine(gif, line, picture.width) == GIF_OK;
    }
    return ok;
}

// Writes an animation whose frames are the pictures to show in turn, each the
// whole screen. Every frame has its own colour table, so each is reduced to
// 256 colours on its own; a frame is cleared after its time only when the
// next one leaves transparent a pixel it covered, so what a viewer composes
// is each picture as given. Between two frames that are not cleared, only
// the rectangle that changed is written (what the source's own frames
// usually were), which keeps the file near the source's size.
bool EncodeAnimation(GifFileType* gif, const ImageList& images, const CImageProperties* properties,
                     std::string& reason) {
    const CRasterImage& first = *images.First();
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, first.Width(), first.Height(), 8, 0, nullptr) != GIF_OK) return false;
    const std::string loops = properties != nullptr ? properties->GetValue(kPropertyLoopCount) : "";
    if (!loops.empty() && !PutLoopCount(gif, std::clamp(std::atoi(loops.c_str()), 0, 0xFFFF))) return false;
    const std::vector<int> delays = DelaysOf(properties, images.Size());
    IndexedPicture picture;
    CRasterImage part;
    bool previousCleared = true;  // the first frame covers the whole screen
    for (size_t i = 0; i < images.Size(); ++i) {
        const CRasterImage& frame = *images.At(i);
        const bool clear = i + 1 < images.Size() && UncoversPixels(frame, *images.At(i + 1));
        // A frame that is cleared afterwards covers the whole screen, so the
        // clearing takes the whole screen too.
        const bool cropped = !previousCleared && !clear && frame.Bpp() == 32 && images.At(i - 1)->Bpp() == 32;
        FrameArea area{0, 0, frame.Width(), frame.Height()};
        if (cropped) area = ChangedArea(*images.At(i - 1), frame);
        if ((cropped && !CopyArea(frame, area, part)) || !QuantizePicture(cropped ? part : frame, picture)) {
            reason = "not enough memory to reduce a frame to 256 colours";
            return false;
        }
        if (!PutFrame(gif, picture, area, clear ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT, delays[i]))
            return false;
        previousCleared = clear;
    }
    return true;
}

}  // namespace

bool CGifCodec::SaveFile(const std::string& path, const ImageList& images,
                         const CImageProperties* properties) {
    status = FileStatus();
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty()) return status.Fail("there is no picture to save");
    if (image->Width() > 0xFFFF || image->Height() > 0xFFFF)
        return status.Fail("GIF files hold at most 65535 x 65535 pixels");
    const bool animation = images.Size() > 1;
    for (size_t i = 1; i < images.Size(); ++i) {
        if (images.At(i)->Width() != image->Width() || images.At(i)->Height() != image->Height())
            return status.Fail("the frames of an animation differ in size");
    }
    IndexedPicture picture;
    if (animation) {
        // Each frame is reduced as it is written.
    } else if (image->Bpp() <= 8) {
        IndicesOf(*image, picture);
    } else if (!QuantizePicture(*image, picture)) {
        return status.Fail("not enough memory to reduce the picture to 256 colours");
    }

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(WriteFailure(out, "cannot create the file"));
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToFile, &error);
    if (gif == nullptr) return status.Fail(GifErrorString(error));
    std::string reason;
    const bool encoded = animation ? EncodeAnimation(gif, images, properties, reason) : Encode(gif, picture);
    const int encodeError = gif->Error;
    // Closing writes the trailer and frees the handle whatever happened.
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!encoded || !closed) {
        out.Fail();
        if (!reason.empty()) return status.Fail(reason);
        return status.Fail(GifErrorString(!encoded ? encodeError : error));
    }
    return Publish(out);
}
