#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "codecs/SaveQuality.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "codecs/webp/WebpCodec.h"
#include "image/InterleavedPixels.h"

namespace stampora {

namespace {

// libwebp reports an error code only; these are its meanings.
std::string EncodingErrorText(WebPEncodingError code) {
    switch (code) {
        case VP8_ENC_ERROR_OUT_OF_MEMORY:
        case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
            return "not enough memory to encode the WebP picture";
        case VP8_ENC_ERROR_BAD_DIMENSION:
            return "a WebP picture is at most 16383 pixels wide and high";
        case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
        case VP8_ENC_ERROR_PARTITION_OVERFLOW:
            return "the picture is too large for a lossy WebP partition; try a lower quality";
        case VP8_ENC_ERROR_FILE_TOO_BIG:
            return "the WebP file would be larger than 4 GB";
        default:
            return "libwebp could not encode the picture";
    }
}

struct PictureDeleter {
    void operator()(WebPPicture* picture) const {
        WebPPictureFree(picture);
        delete picture;
    }
};
using Picture = std::unique_ptr<WebPPicture, PictureDeleter>;

// The settings of the save quality: lossy at that quality, lossless at 100.
bool ConfigFor(const CImageProperties* options, WebPConfig& config) {
    const int quality = SaveQualityFromProperties(options);
    if (!WebPConfigInit(&config)) return false;
    if (quality >= 100) {
        config.lossless = 1;
        config.quality = 75;  // for lossless, the effort: libwebp's default
        config.exact = 1;     // the colour under full transparency is kept too
    } else {
        config.quality = static_cast<float>(quality);
    }
    return WebPValidateConfig(&config) != 0;
}

// The picture as libwebp takes it; false with the reason when it cannot be.
bool ToWebpPicture(const CRasterImage& image, const WebPConfig& config, Picture& picture, Status& status) {
    picture.reset(new WebPPicture);
    if (!WebPPictureInit(picture.get())) {
        return status.Fail(Domain::Write, "the libwebp version does not match");
    }
    picture->width = image.Width();
    picture->height = image.Height();
    picture->use_argb = config.lossless;
    const bool alpha = HasTransparency(image);
    std::vector<uint8_t> pixels;
    if (!InterleavedRgb(image, alpha, pixels)) {
        return status.Fail(Domain::Write, "not enough memory");
    }
    const int stride = image.Width() * (alpha ? 4 : 3);
    const int imported = alpha ? WebPPictureImportRGBA(picture.get(), pixels.data(), stride)
                               : WebPPictureImportRGB(picture.get(), pixels.data(), stride);
    if (!imported) {
        return status.Fail(Domain::Write, EncodingErrorText(picture->error_code));
    }
    return true;
}

// The file with the metadata chunks added; false with the reason when the
// muxer refuses it.
bool WithChunks(std::vector<uint8_t>& file, const EmbeddedMetadata& metadata, Status& status) {
    if (metadata.Empty()) return true;
    const WebPData image{file.data(), file.size()};
    WebPMux* mux = WebPMuxCreate(&image, 1);
    if (mux == nullptr) {
        return status.Fail(Domain::Write,
                           "libwebp could not take the encoded picture apart to add its metadata");
    }
    bool ok = true;
    const std::pair<const char*, std::span<const uint8_t>> chunks[] = {
        {"ICCP", metadata.icc},
        {"EXIF", metadata.exif},
        {"XMP ", std::span(reinterpret_cast<const uint8_t*>(metadata.xmp.data()), metadata.xmp.size())}};
    for (const auto& [fourcc, bytes] : chunks) {
        if (bytes.empty()) continue;
        const WebPData chunk{bytes.data(), bytes.size()};
        ok = ok && WebPMuxSetChunk(mux, fourcc, &chunk, 1) == WEBP_MUX_OK;
    }
    WebPData assembled{nullptr, 0};
    ok = ok && WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
    if (ok) file.assign(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return ok || status.Fail(Domain::Write, "libwebp could not add the metadata chunks");
}

}  // namespace

struct CWebpCodec::AnimationOut {
    std::string path;
    WebPConfig config;
    WebPAnimEncoder* encoder = nullptr;
    EmbeddedMetadata metadata;
    std::vector<int64_t> delays;
    size_t frames = 0;
    int timestamp = 0;
    ~AnimationOut() { WebPAnimEncoderDelete(encoder); }
};

CWebpCodec::CWebpCodec() = default;
CWebpCodec::~CWebpCodec() = default;

bool CWebpCodec::SaveFile(const std::string& path, const ImageList& images,
                          const CImageProperties* properties) {
    status = {};
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    bool sameSize = true;
    for (size_t i = 1; i < images.Size(); ++i)
        sameSize =
            sameSize && images.At(i)->Width() == image->Width() && images.At(i)->Height() == image->Height();
    if (images.Size() > 1 && sameSize) {
        if (!BeginAnimation(path, image->Width(), image->Height(), properties)) return false;
        for (size_t i = 0; i < images.Size(); ++i) {
            if (!AddFrame(*images.At(i))) return false;
        }
        return FinishAnimation();
    }

    WebPConfig config;
    if (!ConfigFor(properties, config))
        return status.Fail(Domain::Write, "libwebp refused the encoder settings");
    Picture picture;
    if (!ToWebpPicture(*image, config, picture, status)) return false;
    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    picture->writer = WebPMemoryWrite;
    picture->custom_ptr = &memory;
    const bool encoded = WebPEncode(&config, picture.get()) != 0;
    std::vector<uint8_t> file;
    if (encoded) file.assign(memory.mem, memory.mem + memory.size);
    WebPMemoryWriterClear(&memory);
    if (!encoded) return status.Fail(Domain::Write, EncodingErrorText(picture->error_code));
    if (!WithChunks(file, MetadataToEmbed(properties), status)) return false;
    return PublishBytes(path, file.data(), file.size());
}

bool CWebpCodec::BeginAnimation(const std::string& path, int32_t width, int32_t height,
                                const CImageProperties* options) {
    status = {};
    animation.reset();
    auto out = std::make_unique<AnimationOut>();
    out->path = path;
    if (!ConfigFor(options, out->config))
        return status.Fail(Domain::Write, "libwebp refused the encoder settings");
    WebPAnimEncoderOptions settings;
    if (!WebPAnimEncoderOptionsInit(&settings))
        return status.Fail(Domain::Write, "the libwebp version does not match");
    const std::optional<uint32_t> loops = options != nullptr ? options->loopCount : std::nullopt;
    // Without a loop count the animation plays once, as the property says.
    settings.anim_params.loop_count = static_cast<int>(std::min<uint32_t>(loops.value_or(1), 0xFFFF));
    settings.anim_params.bgcolor = 0;
    out->encoder = WebPAnimEncoderNew(width, height, &settings);
    if (out->encoder == nullptr) {
        return status.Fail(Domain::Write, width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION
                                              ? "a WebP picture is at most 16383 pixels wide and high"
                                              : "not enough memory for the WebP encoder");
    }
    out->metadata = MetadataToEmbed(options);
    if (options != nullptr) out->delays = options->frameDelays;
    animation = std::move(out);
    return true;
}

bool CWebpCodec::AddFrame(const CRasterImage& frame, const FrameArea&) {
    if (!animation) return status.Fail(Domain::Write, "no animation was begun");
    Picture picture;
    if (!ToWebpPicture(frame, animation->config, picture, status)) {
        animation.reset();
        return false;
    }
    if (!WebPAnimEncoderAdd(animation->encoder, picture.get(), animation->timestamp, &animation->config)) {
        const std::string reason = WebPAnimEncoderGetError(animation->encoder);
        animation.reset();
        return status.Fail(Domain::Write, reason.empty() ? "libwebp could not encode a frame" : reason);
    }
    const int64_t delay = FrameDelayAt(animation->delays, animation->frames++);
    animation->timestamp += static_cast<int>(std::clamp<int64_t>(delay, 0, 0xFFFFFF));
    return true;
}

bool CWebpCodec::FinishAnimation() {
    if (!animation) return status.Fail(Domain::Write, "no animation was begun");
    const std::unique_ptr<AnimationOut> out = std::move(animation);
    WebPData assembled{nullptr, 0};
    if (!WebPAnimEncoderAdd(out->encoder, nullptr, out->timestamp, nullptr) ||
        !WebPAnimEncoderAssemble(out->encoder, &assembled)) {
        const std::string reason = WebPAnimEncoderGetError(out->encoder);
        return status.Fail(Domain::Write,
                           reason.empty() ? "libwebp could not put the animation together" : reason);
    }
    std::vector<uint8_t> file(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    if (!WithChunks(file, out->metadata, status)) return false;
    return PublishBytes(out->path, file.data(), file.size());
}

}  // namespace stampora
