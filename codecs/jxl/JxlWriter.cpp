#include <jxl/encode_cxx.h>
#include <jxl/resizable_parallel_runner_cxx.h>

#include <cmath>
#include <vector>

#include "codecs/SaveQuality.h"
#include "codecs/jxl/JxlCodec.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "image/InterleavedPixels.h"

namespace stampora {

namespace {

// The distance of a quality, on the scale cjxl uses: 0 (lossless) at 100,
// 1 (visually lossless) at 90, growing faster below 30.
float DistanceOfQuality(int quality) {
    if (quality >= 100) return 0.0f;
    if (quality >= 30) return 0.1f + static_cast<float>(100 - quality) * 0.09f;
    return 6.4f + std::pow(2.5f, static_cast<float>(30 - quality) / 5.0f) / 6.25f;
}

std::string EncoderErrorText(JxlEncoder* encoder) {
    switch (JxlEncoderGetError(encoder)) {
        case JXL_ENC_ERR_OOM:
            return "not enough memory to encode the JPEG XL picture";
        case JXL_ENC_ERR_BAD_INPUT:
            return "libjxl refused the picture or its metadata";
        case JXL_ENC_ERR_NOT_SUPPORTED:
            return "libjxl does not support these settings";
        default:
            return "libjxl could not encode the picture";
    }
}

}  // namespace

bool CJxlCodec::SaveFile(const std::string& path, const ImageList& images,
                         const CImageProperties* properties) {
    status = {};
    const CRasterImage* source = images.First();
    if (source == nullptr || source->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    const bool alpha = HasTransparency(*source);
    const float distance = DistanceOfQuality(SaveQualityFromProperties(properties));
    const EmbeddedMetadata metadata = MetadataToEmbed(properties);
    std::vector<uint8_t> pixels;
    if (!InterleavedRgb(*source, alpha, pixels)) return status.Fail(Domain::Write, "not enough memory");

    const JxlEncoderPtr made = JxlEncoderMake(nullptr);
    const JxlResizableParallelRunnerPtr runner = JxlResizableParallelRunnerMake(nullptr);
    JxlEncoder* encoder = made.get();
    if (encoder == nullptr || !runner) return status.Fail(Domain::Write, "not enough memory");
    JxlResizableParallelRunnerSetThreads(
        runner.get(), JxlResizableParallelRunnerSuggestThreads(source->Width(), source->Height()));
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<uint32_t>(source->Width());
    info.ysize = static_cast<uint32_t>(source->Height());
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.alpha_bits = alpha ? 8 : 0;
    info.num_extra_channels = alpha ? 1 : 0;
    // Lossless keeps the samples as they are, so they stay in their own colours.
    info.uses_original_profile = distance == 0.0f || !metadata.icc.empty() ? JXL_TRUE : JXL_FALSE;
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
    bool ok =
        JxlEncoderSetParallelRunner(encoder, JxlResizableParallelRunner, runner.get()) == JXL_ENC_SUCCESS &&
        (metadata.exif.empty() && metadata.xmp.empty() ? true
                                                       : JxlEncoderUseBoxes(encoder) == JXL_ENC_SUCCESS) &&
        JxlEncoderSetBasicInfo(encoder, &info) == JXL_ENC_SUCCESS &&
        (metadata.icc.empty()
             ? JxlEncoderSetColorEncoding(encoder, &srgb) == JXL_ENC_SUCCESS
             : JxlEncoderSetICCProfile(encoder, metadata.icc.data(), metadata.icc.size()) == JXL_ENC_SUCCESS);
    JxlEncoderFrameSettings* settings = ok ? JxlEncoderFrameSettingsCreate(encoder, nullptr) : nullptr;
    ok = settings != nullptr &&
         (distance == 0.0f ? JxlEncoderSetFrameLossless(settings, JXL_TRUE)
                           : JxlEncoderSetFrameDistance(settings, distance)) == JXL_ENC_SUCCESS;
    if (ok && !metadata.exif.empty()) {
        // The box starts with the offset of the TIFF header within it.
        std::vector<uint8_t> box(4, 0);
        box.insert(box.end(), metadata.exif.begin(), metadata.exif.end());
        ok = JxlEncoderAddBox(encoder, "Exif", box.data(), box.size(), JXL_FALSE) == JXL_ENC_SUCCESS;
    }
    if (ok && !metadata.xmp.empty()) {
        ok = JxlEncoderAddBox(encoder, "xml ", reinterpret_cast<const uint8_t*>(metadata.xmp.data()),
                              metadata.xmp.size(), JXL_FALSE) == JXL_ENC_SUCCESS;
    }
    if (ok) JxlEncoderCloseBoxes(encoder);
    const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    ok = ok && JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size()) == JXL_ENC_SUCCESS;
    if (!ok) return status.Fail(Domain::Write, EncoderErrorText(encoder));
    JxlEncoderCloseInput(encoder);
    std::vector<uint8_t>().swap(pixels);

    std::vector<uint8_t> file(64 * 1024);
    size_t used = 0;
    for (;;) {
        uint8_t* next = file.data() + used;
        size_t room = file.size() - used;
        const JxlEncoderStatus step = JxlEncoderProcessOutput(encoder, &next, &room);
        used = static_cast<size_t>(next - file.data());
        if (step == JXL_ENC_SUCCESS) break;
        if (step != JXL_ENC_NEED_MORE_OUTPUT) return status.Fail(Domain::Write, EncoderErrorText(encoder));
        file.resize(file.size() * 2);
    }
    return PublishBytes(path, file.data(), used);
}

}  // namespace stampora
