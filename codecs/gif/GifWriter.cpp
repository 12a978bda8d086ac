#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/gif/GifAnimation.h"
#include "codecs/gif/GifCodec.h"
#include "image/palette/ColorQuantizer.h"
#include "platform/FileIo.h"

namespace stampora {

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

// A delay in milliseconds as the hundredths of a second a GIF holds.
int GifDelay(int64_t milliseconds) {
    return static_cast<int>(std::clamp<int64_t>((milliseconds + 5) / 10, 0, 0xFFFF));
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

// A copy of the area of a 32-bit picture.
bool CopyArea(const CRasterImage& image, const FrameArea& area, CRasterImage& part) {
    if (!part.Create(area.width, area.height, 32)) return false;
    CopyAreaOnto(image, area, part, 0, 0);
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

}  // namespace

// How a written frame leaves the screen for the next one.
enum class Leaving { InPlace, PutBack, Cleared, WholeScreenCleared };

// An animation being written. It holds the screen a viewer has before the
// frame waiting to be written, and that frame (how it leaves the screen
// depends on the next one), and moves them on by copying only the areas
// that changed.
struct CGifCodec::AnimationOut {
    explicit AnimationOut(const std::string& path) : file(path) {}
    ~AnimationOut() {
        // A handle still open belongs to a file given up on; the writer
        // discards it.
        int error = 0;
        if (gif != nullptr) EGifCloseFile(gif, &error);
    }

    // How `frame`, drawn as the rectangle `area` over `previous`, best
    // leaves the screen for `next` (`toNext` holding where the two differ):
    // the way after which the next frame covers the least, among those under
    // which it shows as given.
    Leaving Choose(const CRasterImage& frame, const FrameArea& area, bool cropped, const CRasterImage& next,
                   const FrameAreas& toNext) const {
        const auto pixels = [](const FrameArea& a) { return static_cast<int64_t>(a.width) * a.height; };
        Leaving best = Leaving::WholeScreenCleared;
        int64_t least = INT64_MAX;
        if (!UncoversPixels(frame, next, toNext)) {
            least = pixels(ChangedArea(frame, next, toNext));
            best = Leaving::InPlace;
        }
        if (!cropped || next.Bpp() != 32) return best;
        // Put back or cleared, the screen differs from the next frame where
        // this one was drawn too.
        FrameAreas around = toNext;
        around.push_back(area);
        if (!UncoversPixels(previous, next, around) && pixels(ChangedArea(previous, next, around)) < least)
            return Leaving::PutBack;
        if (best == Leaving::WholeScreenCleared && !UncoversPixels(frame, next, around, area))
            return Leaving::Cleared;
        return best;
    }

    // Writes `frame`, shown after `previous` (when there is one) and before
    // `next` (null for the last frame); `toNext` holds where they differ.
    // Every frame has its own colour table, so each is reduced to 256
    // colours on its own. A frame drawn over the screen before it covers
    // only the rectangle that changed (what the source's own frames usually
    // were), which keeps the file near the source's size; it is left in
    // place, put back or cleared as suits the next frame, so what a viewer
    // composes is each picture as given. Only when none of those will do is
    // the screen cleared whole, and the frames on each side of that written
    // whole.
    bool Put(const CRasterImage& frame, const CRasterImage* next, const FrameAreas& toNext) {
        if (previousCleared && frame.Bpp() == 32 && !ClearPrevious(frame.Width(), frame.Height())) {
            reason = "not enough memory for the frames of the animation";
            return false;
        }
        const bool cropped =
            !previousCleared && frame.Bpp() == 32 && !previous.IsEmpty() && previous.Bpp() == 32;
        FrameArea area{0, 0, frame.Width(), frame.Height()};
        if (cropped) area = ChangedArea(previous, frame, pendingChanged);
        leaving = next != nullptr ? Choose(frame, area, cropped, *next, toNext) : Leaving::InPlace;
        // A frame after which the whole screen is cleared covers it whole;
        // one that covers it whole is reduced without a copy.
        const bool whole =
            !cropped || leaving == Leaving::WholeScreenCleared || area.Covers(frame.Width(), frame.Height());
        if (whole) area = FrameArea{0, 0, frame.Width(), frame.Height()};
        if ((!whole && !CopyArea(frame, area, part)) || !QuantizePicture(whole ? frame : part, picture)) {
            reason = "not enough memory to reduce a frame to 256 colours";
            return false;
        }
        const int disposal = leaving == Leaving::PutBack   ? DISPOSE_PREVIOUS
                             : leaving == Leaving::InPlace ? DISPOSE_DO_NOT
                                                           : DISPOSE_BACKGROUND;
        if (!PutFrame(gif, picture, area, disposal, GifDelay(FrameDelayAt(delays, written)))) return false;
        ++written;
        writtenArea = area;
        previousCleared = leaving == Leaving::WholeScreenCleared;
        return true;
    }

    // Makes `previous` the clear screen a viewer starts from, or has after
    // clearing it whole, so the next frame covers only what it shows.
    bool ClearPrevious(int32_t width, int32_t height) {
        if ((previous.Width() != width || previous.Height() != height || previous.Bpp() != 32) &&
            !previous.Create(width, height, 32))
            return false;
        for (int32_t y = 0; y < height; ++y) std::memset(previous.Row(y), 0, 4 * static_cast<size_t>(width));
        pendingChanged = {FrameArea{0, 0, width, height}};
        previousCleared = false;
        return true;
    }

    SafeFileWriter file;
    GifFileType* gif = nullptr;
    std::vector<int64_t> delays;
    std::string reason;  // ours, when giflib did not fail
    size_t written = 0;
    bool previousCleared = true;         // the first frame covers the whole screen
    CRasterImage previous;               // the screen before `pending` is drawn
    CRasterImage pending;                // the frame waiting for its successor
    FrameAreas pendingChanged;           // where `pending` differs from `previous`
    Leaving leaving = Leaving::InPlace;  // how the frame written last leaves
    FrameArea writtenArea;               // and what it covered
    IndexedPicture picture;
    CRasterImage part;
};

CGifCodec::CGifCodec() = default;
CGifCodec::~CGifCodec() = default;

bool CGifCodec::BeginAnimation(const std::string& path, int32_t width, int32_t height,
                               const CImageProperties* options) {
    status = {};
    animation.reset();
    if (width <= 0 || height <= 0) return status.Fail(Domain::Write, "there is no picture to save");
    if (width > 0xFFFF || height > 0xFFFF)
        return status.Fail(Domain::Write, "GIF files hold at most 65535 x 65535 pixels");
    auto out = std::make_unique<AnimationOut>(path);
    if (!out->file.Open())
        return status.Fail(Domain::Write, WriteFailure(out->file, "cannot create the file"));
    int error = 0;
    out->gif = EGifOpen(&out->file, WriteToFile, &error);
    if (out->gif == nullptr) return status.Fail(Domain::Write, GifErrorString(error));
    EGifSetGifVersion(out->gif, true);
    if (EGifPutScreenDesc(out->gif, width, height, 8, 0, nullptr) != GIF_OK)
        return status.Fail(Domain::Write, GifErrorString(out->gif->Error));
    const std::optional<uint32_t> loops = options != nullptr ? options->loopCount : std::nullopt;
    if (loops && !PutLoopCount(out->gif, static_cast<int>(std::min<uint32_t>(*loops, 0xFFFF))))
        return status.Fail(Domain::Write, GifErrorString(out->gif->Error));
    if (options != nullptr) out->delays = options->frameDelays;
    animation = std::move(out);
    return true;
}

bool CGifCodec::AddFrame(const CRasterImage& frame, const FrameAreas& changed) {
    if (!animation) return status.Fail(Domain::Write, "no animation is being written");
    AnimationOut& out = *animation;
    const int32_t width = out.gif->SWidth;
    const int32_t height = out.gif->SHeight;
    const FrameArea screen{0, 0, width, height};
    if (frame.Width() != width || frame.Height() != height) {
        animation.reset();
        return status.Fail(Domain::Write, "the frames of an animation differ in size");
    }
    const auto outOfMemory = [this] {
        animation.reset();
        return status.Fail(Domain::Write, "not enough memory for the frames of the animation");
    };
    if (out.pending.IsEmpty()) {
        if (out.pending.Assign(frame).IsEmpty()) return outOfMemory();
        out.pendingChanged = {screen};
        return true;
    }
    const bool sameShape = frame.Bpp() == 32 && out.pending.Bpp() == 32;
    FrameAreas toNext;
    for (const FrameArea& area : sameShape ? changed : FrameAreas{screen}) {
        // An area reaching past the screen is cut to it.
        const int32_t left = std::clamp(area.left, 0, width);
        const int32_t top = std::clamp(area.top, 0, height);
        const FrameArea inside{left, top, std::clamp(area.width, 0, width - left),
                               std::clamp(area.height, 0, height - top)};
        if (!inside.IsEmpty()) toNext.push_back(inside);
    }
    if (!out.Put(out.pending, &frame, toNext)) {
        const std::string reason = out.reason.empty() ? GifErrorString(out.gif->Error) : out.reason;
        animation.reset();
        return status.Fail(Domain::Write, reason);
    }
    // The screen before the next frame is the one before this frame when
    // the frame is put back, this frame when it stays, this frame less its
    // rectangle when that is cleared. `pending` becomes the next frame by the
    // areas that changed on the way, or by a whole copy.
    const auto copyAreas = [](const CRasterImage& from, const FrameAreas& areas, CRasterImage& to) {
        for (const FrameArea& area : areas) CopyAreaOnto(from, area, to, area.left, area.top);
    };
    const bool byAreas = sameShape && !out.previous.IsEmpty() && out.previous.Bpp() == 32;
    FrameAreas nextChanged = toNext;
    if (out.leaving == Leaving::PutBack) {
        copyAreas(frame, toNext, out.pending);
        nextChanged.push_back(out.writtenArea);
        out.pendingChanged = nextChanged;
        return true;
    }
    out.previous.Swap(out.pending);
    if (byAreas) {
        copyAreas(out.previous, out.pendingChanged, out.pending);
        copyAreas(frame, toNext, out.pending);
    } else if (out.pending.Assign(frame).IsEmpty()) {
        return outOfMemory();
    }
    if (out.leaving == Leaving::Cleared) {
        const FrameArea& cleared = out.writtenArea;
        for (int32_t y = 0; y < cleared.height; ++y) {
            std::memset(out.previous.Row(cleared.top + y) + 4 * static_cast<size_t>(cleared.left), 0,
                        4 * static_cast<size_t>(cleared.width));
        }
        nextChanged.push_back(cleared);
    }
    out.pendingChanged = byAreas ? nextChanged : FrameAreas{screen};
    return true;
}

bool CGifCodec::FinishAnimation() {
    if (!animation) return status.Fail(Domain::Write, "no animation is being written");
    std::unique_ptr<AnimationOut> out = std::move(animation);
    const bool encoded = out->pending.IsEmpty() || out->Put(out->pending, nullptr, FrameAreas{});
    const int encodeError = out->gif->Error;
    int error = 0;
    // Closing writes the trailer and frees the handle whatever happened.
    const bool closed = EGifCloseFile(out->gif, &error) == GIF_OK;
    out->gif = nullptr;
    if (!encoded || !closed) {
        out->file.Fail();
        if (!out->reason.empty()) return status.Fail(Domain::Write, out->reason);
        return status.Fail(Domain::Write, GifErrorString(!encoded ? encodeError : error));
    }
    return Publish(out->file);
}

bool CGifCodec::SaveFile(const std::string& path, const ImageList& images,
                         const CImageProperties* properties) {
    status = {};
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    if (image->Width() > 0xFFFF || image->Height() > 0xFFFF)
        return status.Fail(Domain::Write, "GIF files hold at most 65535 x 65535 pixels");
    for (size_t i = 1; i < images.Size(); ++i) {
        if (images.At(i)->Width() != image->Width() || images.At(i)->Height() != image->Height())
            return status.Fail(Domain::Write, "the frames of an animation differ in size");
    }
    if (images.Size() > 1) {
        if (!BeginAnimation(path, image->Width(), image->Height(), properties)) return false;
        for (size_t i = 0; i < images.Size(); ++i) {
            if (!AddFrame(*images.At(i), FrameArea{0, 0, image->Width(), image->Height()})) return false;
        }
        return FinishAnimation();
    }
    IndexedPicture picture;
    if (image->Bpp() <= 8) {
        IndicesOf(*image, picture);
    } else if (!QuantizePicture(*image, picture)) {
        return status.Fail(Domain::Write, "not enough memory to reduce the picture to 256 colours");
    }

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToFile, &error);
    if (gif == nullptr) return status.Fail(Domain::Write, GifErrorString(error));
    const bool encoded = Encode(gif, picture);
    const int encodeError = gif->Error;
    // Closing writes the trailer and frees the handle whatever happened.
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!encoded || !closed) {
        out.Fail();
        return status.Fail(Domain::Write, GifErrorString(!encoded ? encodeError : error));
    }
    return Publish(out);
}

}  // namespace stampora
