#include <jxl/decode_cxx.h>
#include <jxl/resizable_parallel_runner_cxx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/jxl/JxlCodec.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "image/InterleavedPixels.h"

namespace stampora {

namespace {

// A metadata box larger than this is a hostile file's, not a camera's.
constexpr size_t kMostBoxBytes = size_t{16} << 20;

// The box being read into `bytes`, grown as the decoder asks for room.
struct BoxReader {
    std::vector<uint8_t>* bytes = nullptr;
    bool Start(JxlDecoder* decoder, std::vector<uint8_t>& into) {
        bytes = &into;
        bytes->clear();
        return Grow(decoder);
    }
    bool Grow(JxlDecoder* decoder) {
        if (bytes == nullptr) return false;
        const size_t used = bytes->size() - JxlDecoderReleaseBoxBuffer(decoder);
        if (bytes->size() >= kMostBoxBytes) return false;
        bytes->resize(std::max<size_t>(bytes->size() * 2, 4096));
        return JxlDecoderSetBoxBuffer(decoder, bytes->data() + used, bytes->size() - used) == JXL_DEC_SUCCESS;
    }
    void End(JxlDecoder* decoder) {
        if (bytes == nullptr) return;
        bytes->resize(bytes->size() - JxlDecoderReleaseBoxBuffer(decoder));
        bytes = nullptr;
    }
};

}  // namespace

EmbeddedMetadata JxlMetadata(const uint8_t* data, size_t size) {
    EmbeddedMetadata metadata;
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    JxlDecoder* d = decoder.get();
    if (d == nullptr || data == nullptr ||
        JxlDecoderSubscribeEvents(d, JXL_DEC_COLOR_ENCODING | JXL_DEC_BOX) != JXL_DEC_SUCCESS ||
        JxlDecoderSetDecompressBoxes(d, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(d, data, size) != JXL_DEC_SUCCESS)
        return metadata;
    JxlDecoderCloseInput(d);
    std::vector<uint8_t> exif;
    std::vector<uint8_t> xmp;
    BoxReader box;
    for (;;) {
        const JxlDecoderStatus event = JxlDecoderProcessInput(d);
        if (event == JXL_DEC_BOX) {
            box.End(d);
            JxlBoxType type;
            if (JxlDecoderGetBoxType(d, type, JXL_TRUE) != JXL_DEC_SUCCESS) break;
            if (std::memcmp(type, "Exif", 4) == 0 && !box.Start(d, exif)) break;
            if (std::memcmp(type, "xml ", 4) == 0 && !box.Start(d, xmp)) break;
        } else if (event == JXL_DEC_BOX_NEED_MORE_OUTPUT) {
            if (!box.Grow(d)) break;
        } else if (event == JXL_DEC_COLOR_ENCODING) {
            // A plain colour space needs no profile; an ICC profile is kept.
            JxlColorEncoding encoded;
            size_t bytes = 0;
            if (JxlDecoderGetColorAsEncodedProfile(d, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &encoded) !=
                    JXL_DEC_SUCCESS &&
                JxlDecoderGetICCProfileSize(d, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &bytes) ==
                    JXL_DEC_SUCCESS &&
                bytes <= kMostBoxBytes) {
                metadata.icc.resize(bytes);
                if (JxlDecoderGetColorAsICCProfile(d, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                                   metadata.icc.data(), bytes) != JXL_DEC_SUCCESS)
                    metadata.icc.clear();
            }
        } else {
            break;
        }
    }
    box.End(d);
    metadata.exif = ExifFromStored(exif.data(), exif.size(), true);
    metadata.xmp.assign(xmp.begin(), xmp.end());
    return metadata;
}

bool CJxlCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    if (data == nullptr || JxlSignatureCheck(data, size) < JXL_SIG_CODESTREAM)
        return status.Fail(Domain::Read, "not a JPEG XL file");
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlResizableParallelRunnerPtr runner = JxlResizableParallelRunnerMake(nullptr);
    JxlDecoder* d = decoder.get();
    if (d == nullptr || !runner) return status.Fail(Domain::Read, "not enough memory");
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    if (JxlDecoderSubscribeEvents(d, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetParallelRunner(d, JxlResizableParallelRunner, runner.get()) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(d, data, size) != JXL_DEC_SUCCESS)
        return status.Fail(Domain::Read, "libjxl refused the decoder settings");
    JxlDecoderCloseInput(d);

    JxlBasicInfo info{};
    std::vector<uint8_t> pixels;
    bool hasPicture = false;
    for (bool done = false; !done;) {
        const JxlDecoderStatus event = JxlDecoderProcessInput(d);
        switch (event) {
            case JXL_DEC_BASIC_INFO: {
                if (JxlDecoderGetBasicInfo(d, &info) != JXL_DEC_SUCCESS)
                    return status.Fail(Domain::Read, "the JPEG XL header is broken");
                if (!FileCanHoldPixels(info.xsize, info.ysize, size)) {
                    return status.Fail(Domain::Read, "the header claims " + std::to_string(info.xsize) +
                                                         " x " + std::to_string(info.ysize) +
                                                         " pixels, more than its " + std::to_string(size) +
                                                         " bytes can hold");
                }
                JxlResizableParallelRunnerSetThreads(
                    runner.get(), JxlResizableParallelRunnerSuggestThreads(info.xsize, info.ysize));
                break;
            }
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                size_t bytes = 0;
                if (JxlDecoderImageOutBufferSize(d, &format, &bytes) != JXL_DEC_SUCCESS)
                    return status.Fail(Domain::Read, "libjxl gave no picture size");
                try {
                    pixels.resize(bytes);
                } catch (const std::bad_alloc&) {
                    return status.Fail(Domain::Read, "not enough memory");
                }
                if (JxlDecoderSetImageOutBuffer(d, &format, pixels.data(), bytes) != JXL_DEC_SUCCESS)
                    return status.Fail(Domain::Read, "libjxl refused the picture buffer");
                break;
            }
            case JXL_DEC_FULL_IMAGE:
                // The first frame is the picture; later frames are not read.
                hasPicture = true;
                done = true;
                break;
            case JXL_DEC_SUCCESS:
                done = true;
                break;
            case JXL_DEC_NEED_MORE_INPUT:
                if (pixels.empty() || JxlDecoderFlushImage(d) != JXL_DEC_SUCCESS)
                    return status.Fail(Domain::Read, "the JPEG XL file breaks off before its picture");
                status.damage = "the file breaks off; the picture is shown as far as it came";
                hasPicture = true;
                done = true;
                break;
            default:
                return status.Fail(Domain::Read, "the JPEG XL data is broken: libjxl could not decode it");
        }
    }
    if (!hasPicture) return status.Fail(Domain::Read, "the JPEG XL file holds no picture");

    // libjxl turns the picture upright, so its sides may be exchanged.
    const bool swapped = info.orientation > JXL_ORIENT_ROTATE_180;
    const int32_t width = static_cast<int32_t>(swapped ? info.ysize : info.xsize);
    const int32_t height = static_cast<int32_t>(swapped ? info.xsize : info.ysize);
    if (pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        return status.Fail(Domain::Read, "libjxl gave a picture of the wrong size");
    auto image = std::make_unique<CRasterImage>();
    if (!PictureFromInterleaved(pixels.data(), static_cast<size_t>(width) * 4, width, height, 4, *image))
        return status.Fail(Domain::Read, "not enough memory");
    auto store = std::make_unique<CImageProperties>();
    ReadExifItems(JxlMetadata(data, size).exif, true, *store);
    images.Append(std::move(image));
    properties = std::move(store);
    return true;
}

}  // namespace stampora
