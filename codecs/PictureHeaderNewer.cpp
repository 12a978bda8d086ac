// Headers of the newer formats, each read by its own library: WebP, HEIF and
// AVIF, JPEG XL.
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <libheif/heif.h>
#include <webp/decode.h>

#include <memory>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/PictureHeader_pvt.h"
#include "image/LittleEndian.h"

namespace stampora {

namespace {

// More top-level boxes than any picture file has: a file of nothing but
// empty boxes is not walked to its end.
constexpr int32_t kMaxTopLevelBoxes = 100000;
// The file is fed to the JPEG XL decoder in pieces of this size.
constexpr size_t kJxlPieceBytes = size_t{64} << 10;

uint64_t LoadBE(const uint8_t* p, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value = value << 8 | p[i];
    return value;
}

// Whether the file is a sequence of ISO boxes (HEIF, AVIF, a JPEG XL
// container) that ends exactly where the file ends. A last box of size 0
// runs to the end by definition.
bool BoxesFillFile(const OpenPicture& picture) {
    uint64_t offset = 0;
    for (int32_t boxes = 0; boxes < kMaxTopLevelBoxes && offset < picture.size; ++boxes) {
        uint8_t header[16];
        if (!picture.ReadAt(offset, header, 8)) return false;
        uint64_t size = LoadBE(header, 4);
        if (size == 0) return true;
        uint64_t headerBytes = 8;
        if (size == 1) {
            if (!picture.ReadAt(offset + 8, header + 8, 8)) return false;
            size = LoadBE(header + 8, 8);
            headerBytes = 16;
        }
        if (size < headerBytes || size > picture.size - offset) return false;
        offset += size;
    }
    return offset == picture.size;
}

// libheif reads the boxes it needs through these, from the open file.
int64_t HeifPosition(void* data) {
    return std::ftell(static_cast<const OpenPicture*>(data)->file);
}

int HeifRead(void* out, size_t bytes, void* data) {
    return std::fread(out, 1, bytes, static_cast<const OpenPicture*>(data)->file) == bytes ? 0 : 1;
}

int HeifSeek(int64_t position, void* data) {
    const auto* picture = static_cast<const OpenPicture*>(data);
    if (position < 0 || static_cast<uint64_t>(position) > picture->size) return 1;
    return std::fseek(picture->file, static_cast<long>(position), SEEK_SET) == 0 ? 0 : 1;
}

heif_reader_grow_status HeifWaitForSize(int64_t size, void* data) {
    return size >= 0 && static_cast<uint64_t>(size) <= static_cast<const OpenPicture*>(data)->size
               ? heif_reader_grow_status_size_reached
               : heif_reader_grow_status_size_beyond_eof;
}

void DropPixels(void*, size_t, size_t, size_t, const void*) {}

struct HeifContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};

}  // namespace

bool OpenPicture::ReadAt(uint64_t offset, void* out, size_t bytes) const {
    return offset <= size && bytes <= size - offset &&
           std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(out, 1, bytes, file) == bytes;
}

std::optional<PictureHeader> WebpHeader(const OpenPicture& picture) {
    WebPBitstreamFeatures features;
    if (picture.headBytes < 12 ||
        WebPGetFeatures(picture.head, picture.headBytes, &features) != VP8_STATUS_OK)
        return std::nullopt;
    // An animation is played on a screen, as a GIF is.
    PictureHeader header{
        features.width, features.height, features.has_alpha ? 4 : 3, 8, features.has_animation ? 12 : 0,
        false};
    // "RIFF", the length of what follows, "WEBP".
    const uint64_t riff = LoadLE32(picture.head + 4);
    header.whole = riff >= 4 && riff + 8 <= picture.size;
    return Checked(header);
}

std::optional<PictureHeader> HeifHeader(const OpenPicture& picture) {
    const std::unique_ptr<heif_context, HeifContextDeleter> context(heif_context_alloc());
    if (!context) return std::nullopt;
    heif_reader reader{};
    reader.reader_api_version = 1;
    reader.get_position = HeifPosition;
    reader.read = HeifRead;
    reader.seek = HeifSeek;
    reader.wait_for_file_size = HeifWaitForSize;
    if (std::fseek(picture.file, 0, SEEK_SET) != 0) return std::nullopt;
    // libheif does not change what it is given to read from.
    void* data = const_cast<OpenPicture*>(&picture);
    heif_image_handle* primary = nullptr;
    if (heif_context_read_from_reader(context.get(), &reader, data, nullptr).code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
        return std::nullopt;
    const bool alpha = heif_image_handle_has_alpha_channel(primary) != 0;
    PictureHeader header{heif_image_handle_get_width(primary),
                         heif_image_handle_get_height(primary),
                         alpha ? 4 : 3,
                         std::max(8, heif_image_handle_get_luma_bits_per_pixel(primary)),
                         0,
                         false};
    heif_image_handle_release(primary);
    header.whole = BoxesFillFile(picture);
    return Checked(header);
}

std::optional<PictureHeader> JxlHeader(const OpenPicture& picture, bool decodeForWhole) {
    if (JxlSignatureCheck(picture.head, picture.headBytes) < JXL_SIG_CODESTREAM) return std::nullopt;
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    JxlDecoder* d = decoder.get();
    const int events = JXL_DEC_BASIC_INFO | (decodeForWhole ? JXL_DEC_FULL_IMAGE : 0);
    if (!d || JxlDecoderSubscribeEvents(d, events) != JXL_DEC_SUCCESS ||
        std::fseek(picture.file, 0, SEEK_SET) != 0)
        return std::nullopt;
    std::optional<PictureHeader> header;
    bool whole = false;
    // What the decoder has not taken yet comes again before the next piece.
    std::vector<uint8_t> input;
    uint64_t offset = 0;
    for (bool reading = true; reading;) {
        switch (JxlDecoderProcessInput(d)) {
            case JXL_DEC_BASIC_INFO: {
                JxlBasicInfo info;
                if (JxlDecoderGetBasicInfo(d, &info) != JXL_DEC_SUCCESS) return std::nullopt;
                const int32_t channels =
                    static_cast<int32_t>(info.num_color_channels) + (info.alpha_bits > 0);
                // The size is the stored one; the decoder turns the picture upright.
                const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
                header = PictureHeader{turned ? info.ysize : info.xsize,
                                       turned ? info.xsize : info.ysize,
                                       channels,
                                       static_cast<int32_t>(info.bits_per_sample),
                                       0,
                                       false};
                // A size no reader takes is not decoded to find out more.
                reading = decodeForWhole && IsDecodableSize(header->width, header->height);
                break;
            }
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                // Decoded into nothing: only decoding finds a frame's data
                // cut short. One grey channel costs least.
                const JxlPixelFormat grey{1, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
                if (JxlDecoderSetImageOutCallback(d, &grey, DropPixels, nullptr) != JXL_DEC_SUCCESS)
                    reading = false;
                break;
            }
            case JXL_DEC_FULL_IMAGE:
                break;
            case JXL_DEC_SUCCESS:
                whole = true;
                reading = false;
                break;
            case JXL_DEC_NEED_MORE_INPUT: {
                if (offset >= picture.size) {
                    reading = false;
                    break;
                }
                const size_t kept = input.empty() ? 0 : JxlDecoderReleaseInput(d);
                input.erase(input.begin(), input.end() - static_cast<std::ptrdiff_t>(kept));
                const size_t piece =
                    static_cast<size_t>(std::min<uint64_t>(kJxlPieceBytes, picture.size - offset));
                input.resize(kept + piece);
                if (std::fread(input.data() + kept, 1, piece, picture.file) != piece) return header;
                offset += piece;
                if (JxlDecoderSetInput(d, input.data(), input.size()) != JXL_DEC_SUCCESS) return std::nullopt;
                if (offset == picture.size) JxlDecoderCloseInput(d);
                break;
            }
            default:
                reading = false;
                break;
        }
    }
    if (!header) return std::nullopt;
    header->whole = whole;
    return Checked(*header);
}

}  // namespace stampora
