#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/heif/HeifCodec.h"
#include "codecs/heif/Heif_pvt.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "image/InterleavedPixels.h"

namespace stampora {

namespace {

struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// Every image of the file (the tiles of a grid included) is refused by
// libheif when a side passes what the file's bytes can hold, before its
// decoder allocates for it: a grid of a few pixels may otherwise name tiles
// of gigapixels.
void LimitImageSides(heif_context* context, size_t fileBytes) {
    const double most =
        std::sqrt(static_cast<double>(fileBytes) * static_cast<double>(kMostPixelsPerFileByte));
    const double whole = std::sqrt(static_cast<double>(kMaxDecodedPixels));
    heif_context_set_maximum_image_size_limit(context, static_cast<int>(std::clamp(most, 64.0, whole)) + 1);
}

// The EXIF block of the picture, empty when it has none or it is broken.
std::vector<uint8_t> ExifOf(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1) return {};
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size == 0 || size > kMostMetadataBytes) return {};
    std::vector<uint8_t> block(size);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) return {};
    return ExifFromStored(block.data(), block.size(), true);
}

// The XMP packet of the picture, empty when it has none.
std::string XmpOf(const heif_image_handle* handle) {
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, "mime");
    std::vector<heif_item_id> ids(static_cast<size_t>(std::clamp(count, 0, 64)));
    const int listed = heif_image_handle_get_list_of_metadata_block_IDs(handle, "mime", ids.data(),
                                                                        static_cast<int>(ids.size()));
    for (int i = 0; i < listed; ++i) {
        const std::string type = heif_image_handle_get_metadata_content_type(handle, ids[i]);
        const size_t size = heif_image_handle_get_metadata_size(handle, ids[i]);
        if (type != "application/rdf+xml" || size == 0 || size > kMostMetadataBytes) continue;
        std::string packet(size, '\0');
        if (heif_image_handle_get_metadata(handle, ids[i], packet.data()).code == heif_error_Ok)
            return packet;
    }
    return {};
}

std::vector<uint8_t> ProfileOf(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if ((type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) || size == 0 ||
        size > kMostMetadataBytes)
        return {};
    std::vector<uint8_t> profile(size);
    if (heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok) return {};
    return profile;
}

// 16-bit samples of `bits` significant bits, rounded to 8, as 8-bit
// interleaved rows.
std::vector<uint8_t> RoundedTo8Bits(const uint8_t* plane, size_t stride, int32_t width, int32_t height,
                                    int channels, int bits) {
    const uint32_t most = (1u << bits) - 1;
    std::vector<uint8_t> rows;
    try {
        rows.resize(static_cast<size_t>(width) * channels * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return rows;
    }
    uint8_t* to = rows.data();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = plane + static_cast<size_t>(y) * stride;
        for (size_t i = 0; i < static_cast<size_t>(width) * channels; ++i, from += 2) {
            const uint32_t sample = std::min<uint32_t>(uint32_t{from[0]} | uint32_t{from[1]} << 8, most);
            *to++ = static_cast<uint8_t>((sample * 255 + most / 2) / most);
        }
    }
    return rows;
}

}  // namespace

CHeifCodec::CHeifCodec(ImageFormat format) : written(format) {}

EmbeddedMetadata HeifMetadata(const uint8_t* data, size_t size) {
    EmbeddedMetadata metadata;
    HeifContext context;
    heif_image_handle* primary = nullptr;
    if (!context.get || heif_context_read_from_memory_without_copy(context.get, data, size, nullptr).code ||
        heif_context_get_primary_image_handle(context.get, &primary).code)
        return metadata;
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(primary);
    metadata.exif = ExifOf(primary);
    metadata.xmp = XmpOf(primary);
    metadata.icc = ProfileOf(primary);
    return metadata;
}

bool CHeifCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    HeifContext context;
    if (!context.get) return status.Fail(Domain::Read, "not enough memory");
    LimitImageSides(context.get, size);
    heif_error error = heif_context_read_from_memory_without_copy(context.get, data, size, nullptr);
    if (error.code != heif_error_Ok) return status.Fail(Domain::Read, error.message);
    heif_image_handle* primary = nullptr;
    error = heif_context_get_primary_image_handle(context.get, &primary);
    if (error.code != heif_error_Ok) return status.Fail(Domain::Read, error.message);
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(primary);
    const int32_t width = heif_image_handle_get_width(primary);
    const int32_t height = heif_image_handle_get_height(primary);
    if (!FileCanHoldPixels(width, height, size)) {
        return status.Fail(Domain::Read, "the file claims " + std::to_string(width) + " x " +
                                             std::to_string(height) + " pixels, more than its " +
                                             std::to_string(size) + " bytes can hold");
    }
    const bool alpha = heif_image_handle_has_alpha_channel(primary) != 0;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(primary) > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    heif_image* decoded = nullptr;
    error = heif_decode_image(primary, &decoded, heif_colorspace_RGB, chroma, options.get());
    if (error.code != heif_error_Ok) return status.Fail(Domain::Read, error.message);
    const std::unique_ptr<heif_image, ImageDeleter> picture(decoded);

    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int32_t shownWidth = heif_image_get_width(decoded, heif_channel_interleaved);
    const int32_t shownHeight = heif_image_get_height(decoded, heif_channel_interleaved);
    if (plane == nullptr || !IsDecodableSize(shownWidth, shownHeight))
        return status.Fail(Domain::Read, "libheif gave no picture");
    const int channels = alpha ? 4 : 3;
    auto image = std::make_unique<CRasterImage>();
    bool made = false;
    if (deep) {
        const int bits = heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved);
        const std::vector<uint8_t> rows = RoundedTo8Bits(plane, static_cast<size_t>(stride), shownWidth,
                                                         shownHeight, channels, std::clamp(bits, 9, 16));
        made =
            !rows.empty() && PictureFromInterleaved(rows.data(), static_cast<size_t>(shownWidth) * channels,
                                                    shownWidth, shownHeight, channels, *image);
    } else {
        made = PictureFromInterleaved(plane, static_cast<size_t>(stride), shownWidth, shownHeight, channels,
                                      *image);
    }
    if (!made) return status.Fail(Domain::Read, "not enough memory");

    auto store = std::make_unique<CImageProperties>();
    ReadExifItems(ExifOf(primary), true, *store);
    images.Append(std::move(image));
    properties = std::move(store);
    return true;
}

}  // namespace stampora
