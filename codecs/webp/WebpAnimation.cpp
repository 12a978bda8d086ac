#include "codecs/webp/WebpAnimation.h"

#include <webp/demux.h>

#include <cstring>

#include "codecs/DecodeLimits.h"
#include "codecs/ImageCodec.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "codecs/metadata/ExifProperties.h"
#include "codecs/webp/WebpCodec.h"
#include "platform/FileIo.h"

namespace stampora {

struct WebpAnimationPlayer::Decoder {
    WebPAnimDecoder* get = nullptr;
    ~Decoder() { WebPAnimDecoderDelete(get); }
};

WebpAnimationPlayer::WebpAnimationPlayer() = default;
WebpAnimationPlayer::~WebpAnimationPlayer() = default;

bool WebpAnimationPlayer::OpenFile(const std::string& path, Status& status) {
    std::vector<uint8_t> read;
    if (!ReadWholeFile(path, read, kMaxImageFileBytes))
        return status.Fail(Domain::Read, "the file could not be read");
    owned = std::move(read);
    return Open(owned, status);
}

bool WebpAnimationPlayer::Open(std::span<const uint8_t> bytes, Status& status) {
    // The decoder reads from the bytes given while it plays.
    decoder.reset();
    if (bytes.data() != owned.data()) owned = std::vector<uint8_t>();
    file = bytes;
    delays.clear();
    const WebPData whole{file.data(), file.size()};
    WebPDemuxer* demux = WebPDemux(&whole);
    if (demux == nullptr) return status.Fail(Domain::Read, "not a complete WebP file");
    const uint32_t width = WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
    const uint32_t height = WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
    const bool animated = (WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG) != 0;
    frameCount = WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT);
    loopCount = WebPDemuxGetI(demux, WEBP_FF_LOOP_COUNT);
    WebPIterator frame;
    for (int i = 1; animated && WebPDemuxGetFrame(demux, i, &frame); ++i) {
        delays.push_back(frame.duration);
        WebPDemuxReleaseIterator(&frame);
    }
    WebPDemuxDelete(demux);
    if (!animated) return status.Fail(Domain::Read, "not an animation");
    // Frames the EXIF turns are read whole instead, where they are turned.
    CImageProperties exif;
    ReadExifItems(WebpMetadata(file.data(), file.size()).exif, false, exif);
    if (exif.orientation.value_or(1) != 1)
        return status.Fail(Domain::Read, "the frames are turned by their EXIF");
    if (!FileCanHoldPixels(width, height, file.size()))
        return status.Fail(Domain::Read, "the canvas is larger than the file can hold");
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return status.Fail(Domain::Read, "the libwebp version does not match");
    options.color_mode = MODE_BGRA;
    decoder = std::make_unique<Decoder>();
    decoder->get = WebPAnimDecoderNew(&whole, &options);
    if (decoder->get == nullptr) return status.Fail(Domain::Read, "the WebP animation is broken");
    return true;
}

std::unique_ptr<CImageProperties> WebpAnimationPlayer::Properties(size_t frames) const {
    auto properties = std::make_unique<CImageProperties>();
    properties->frameDelays.assign(
        delays.begin(), delays.begin() + static_cast<std::ptrdiff_t>(std::min(frames, delays.size())));
    if (frames > 1) properties->loopCount = loopCount;
    return properties;
}

bool WebpAnimationPlayer::Next(FrameArea& changed) {
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!decoder || !WebPAnimDecoderHasMoreFrames(decoder->get) ||
        !WebPAnimDecoderGetNext(decoder->get, &canvas, &timestamp))
        return false;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder->get, &info);
    const int32_t width = static_cast<int32_t>(info.canvas_width);
    const int32_t height = static_cast<int32_t>(info.canvas_height);
    if (screen.IsEmpty() && !screen.Create(width, height, 32)) return false;
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(screen.Row(y), canvas + static_cast<size_t>(y) * width * 4,
                    static_cast<size_t>(width) * 4);
    changed = FrameArea{0, 0, width, height};
    return true;
}

}  // namespace stampora
