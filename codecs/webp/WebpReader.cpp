#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "codecs/DecodeLimits.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "codecs/metadata/ExifOrientation.h"
#include "codecs/metadata/ExifProperties.h"
#include "codecs/webp/WebpCodec.h"

namespace stampora {

namespace {

// The frames of an animation held at once are bounded by this many bytes
// (those of one 32-bit picture at the decode limit, 1 GB); frames past it
// are left out and noted as damage.
constexpr int64_t kMostAnimationBytes = kMaxDecodedPixels * 4;

// libwebp reports a status code only; these are its meanings.
std::string StatusText(VP8StatusCode code) {
    switch (code) {
        case VP8_STATUS_OUT_OF_MEMORY:
            return "not enough memory";
        case VP8_STATUS_INVALID_PARAM:
            return "invalid parameter";
        case VP8_STATUS_BITSTREAM_ERROR:
            return "the WebP bitstream is broken";
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return "the WebP file uses a feature libwebp does not support";
        case VP8_STATUS_NOT_ENOUGH_DATA:
            return "the WebP file breaks off";
        default:
            return "the WebP data could not be decoded";
    }
}

struct DemuxDeleter {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
struct IDecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

std::vector<uint8_t> ChunkBytes(const WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator chunk;
    std::vector<uint8_t> bytes;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk)) {
        bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return bytes;
}

// A still picture, decoded incrementally so that a file that breaks off
// gives the lines it holds. It is decoded straight into the picture's own
// memory, top line first (the picture keeps its lines bottom-up, so they are
// turned over afterwards): a second buffer of the picture's size would
// double the memory a large WebP takes.
bool DecodeStill(const uint8_t* data, size_t size, ImageList& images, Status& status) {
    WebPBitstreamFeatures features;
    const VP8StatusCode header = WebPGetFeatures(data, size, &features);
    if (header != VP8_STATUS_OK) return status.Fail(Domain::Read, StatusText(header));
    auto image = std::make_unique<CRasterImage>();
    if (!image->Create(features.width, features.height, 32))
        return status.Fail(Domain::Read, "not enough memory");
    const int height = features.height;
    std::unique_ptr<WebPIDecoder, IDecoderDeleter> decoder(
        WebPINewRGB(MODE_BGRA, image->Pixels(), image->Stride() * static_cast<size_t>(height),
                    static_cast<int>(image->Stride())));
    if (!decoder) return status.Fail(Domain::Read, "not enough memory");
    const VP8StatusCode code = WebPIUpdate(decoder.get(), data, size);
    int lastY = 0;
    const uint8_t* pixels = WebPIDecGetRGB(decoder.get(), &lastY, nullptr, nullptr, nullptr);
    if (code != VP8_STATUS_OK) {
        if (pixels == nullptr || lastY <= 0) return status.Fail(Domain::Read, StatusText(code));
        status.damage = LinesDamage(lastY, height) + " (" + StatusText(code) + ")";
    }
    if (pixels == nullptr) return status.Fail(Domain::Read, StatusText(code));
    // The decoder's line y is the picture's line height - 1 - y.
    for (int32_t y = 0; y < height / 2; ++y)
        std::swap_ranges(image->Row(y), image->Row(y) + image->Stride(), image->Row(height - 1 - y));
    // Lines that never came show as transparent rather than as noise.
    for (int32_t y = lastY; y < height && code != VP8_STATUS_OK; ++y)
        std::memset(image->Row(y), 0, static_cast<size_t>(features.width) * 4);
    images.Append(std::move(image));
    return true;
}

// Every frame of an animation composed on its canvas (only the first when
// `firstOnly`), with the delays and the loop count.
bool DecodeFrames(const uint8_t* data, size_t size, bool firstOnly, ImageList& images,
                  CImageProperties& properties, Status& status) {
    const WebPData whole{data, size};
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return status.Fail(Domain::Read, "the libwebp version does not match");
    options.color_mode = MODE_BGRA;
    std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&whole, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        return status.Fail(Domain::Read, "the WebP animation is broken");
    const int64_t frameBytes = int64_t{info.canvas_width} * info.canvas_height * 4;
    const uint32_t wanted = firstOnly ? 1 : info.frame_count;
    std::vector<int64_t> delays;
    int previous = 0;
    while (images.Size() < wanted && WebPAnimDecoderHasMoreFrames(decoder.get())) {
        if (static_cast<int64_t>(images.Size() + 1) * frameBytes > kMostAnimationBytes) {
            status.damage = "only " + std::to_string(images.Size()) + " of " +
                            std::to_string(info.frame_count) + " frames: the rest would not fit in memory";
            break;
        }
        uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) {
            if (images.Empty())
                return status.Fail(Domain::Read, "the first frame of the WebP animation is broken");
            status.damage = "only " + std::to_string(images.Size()) + " of " +
                            std::to_string(info.frame_count) + " frames (the next one is broken)";
            break;
        }
        auto frame = std::make_unique<CRasterImage>();
        if (!frame->Create(static_cast<int32_t>(info.canvas_width), static_cast<int32_t>(info.canvas_height),
                           32))
            return status.Fail(Domain::Read, "not enough memory for a frame of the animation");
        for (int32_t y = 0; y < frame->Height(); ++y)
            std::memcpy(frame->Row(y), canvas + static_cast<size_t>(y) * info.canvas_width * 4,
                        static_cast<size_t>(info.canvas_width) * 4);
        images.Append(std::move(frame));
        delays.push_back(timestamp - previous);
        previous = timestamp;
    }
    properties.frameDelays = std::move(delays);
    if (info.frame_count > 1) properties.loopCount = info.loop_count;
    return true;
}

}  // namespace

EmbeddedMetadata WebpMetadata(const uint8_t* data, size_t size) {
    EmbeddedMetadata metadata;
    const WebPData whole{data, size};
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemuxPartial(&whole, &state));
    if (!demux || state < WEBP_DEMUX_PARSED_HEADER) return metadata;
    const std::vector<uint8_t> exif = ChunkBytes(demux.get(), "EXIF");
    metadata.exif = ExifFromStored(exif.data(), exif.size(), false);
    const std::vector<uint8_t> xmp = ChunkBytes(demux.get(), "XMP ");
    metadata.xmp.assign(xmp.begin(), xmp.end());
    metadata.icc = ChunkBytes(demux.get(), "ICCP");
    return metadata;
}

bool CWebpCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    WebPBitstreamFeatures features;
    const VP8StatusCode code =
        data != nullptr ? WebPGetFeatures(data, size, &features) : VP8_STATUS_NOT_ENOUGH_DATA;
    if (code != VP8_STATUS_OK) return status.Fail(Domain::Read, "not a WebP file: " + StatusText(code));
    if (!FileCanHoldPixels(features.width, features.height, size)) {
        return status.Fail(Domain::Read, "the header claims " + std::to_string(features.width) + " x " +
                                             std::to_string(features.height) + " pixels, more than its " +
                                             std::to_string(size) + " bytes can hold");
    }
    auto store = std::make_unique<CImageProperties>();
    ReadExifItems(WebpMetadata(data, size).exif, false, *store);
    ImageList decoded(true);
    const bool read = features.has_animation
                          ? DecodeFrames(data, size, firstFrameOnly, decoded, *store, status)
                          : DecodeStill(data, size, decoded, status);
    if (!read) return false;
    // The EXIF orientation turns every frame alike.
    for (size_t i = 0; i < decoded.Size(); ++i) {
        if (!ApplyExifOrientation(*decoded.At(i), store->orientation.value_or(1)))
            return status.Fail(Domain::Read, "not enough memory to turn the picture upright");
    }
    if (store->orientation) store->orientation = 1;
    for (size_t i = 0; i < decoded.Size(); ++i) {
        images.Append(std::make_unique<CRasterImage>());
        images.At(images.Size() - 1)->Swap(*decoded.At(i));
    }
    properties = std::move(store);
    return true;
}

}  // namespace stampora
