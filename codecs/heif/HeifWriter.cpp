#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "codecs/SaveQuality.h"
#include "codecs/heif/HeifCodec.h"
#include "codecs/heif/Heif_pvt.h"
#include "codecs/metadata/EmbeddedMetadata.h"
#include "image/InterleavedPixels.h"

namespace stampora {

namespace {

struct EncoderDeleter {
    void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct OptionsDeleter {
    void operator()(heif_encoding_options* options) const { heif_encoding_options_free(options); }
};

heif_error CollectBytes(heif_context*, const void* data, size_t size, void* file) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    static_cast<std::vector<uint8_t>*>(file)->insert(static_cast<std::vector<uint8_t>*>(file)->end(), bytes,
                                                     bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "Success"};
}

// The picture as libheif takes it: 8-bit RGB or RGBA. Encoders are only ever
// handed 8 bits a channel; libaom as some systems build it stops the whole
// process when asked for AVIF from deeper samples.
heif_image* ToHeifImage(const CRasterImage& source, heif_error& error) {
    const bool alpha = HasTransparency(source);
    std::vector<uint8_t> pixels;
    if (!InterleavedRgb(source, alpha, pixels)) {
        error =
            heif_error{heif_error_Memory_allocation_error, heif_suberror_Unspecified, "not enough memory"};
        return nullptr;
    }
    heif_image* image = nullptr;
    error = heif_image_create(source.Width(), source.Height(), heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
    if (error.code != heif_error_Ok) return nullptr;
    error = heif_image_add_plane(image, heif_channel_interleaved, source.Width(), source.Height(), 8);
    int stride = 0;
    uint8_t* plane = error.code == heif_error_Ok
                         ? heif_image_get_plane(image, heif_channel_interleaved, &stride)
                         : nullptr;
    if (plane == nullptr) {
        heif_image_release(image);
        if (error.code == heif_error_Ok)
            error = heif_error{heif_error_Memory_allocation_error, heif_suberror_Unspecified,
                               "not enough memory"};
        return nullptr;
    }
    const size_t rowBytes = static_cast<size_t>(source.Width()) * (alpha ? 4 : 3);
    for (int32_t y = 0; y < source.Height(); ++y)
        std::copy_n(pixels.data() + y * rowBytes, rowBytes, plane + static_cast<size_t>(y) * stride);
    return image;
}

}  // namespace

bool CHeifCodec::SaveFile(const std::string& path, const ImageList& images,
                          const CImageProperties* properties) {
    status = {};
    const CRasterImage* source = images.First();
    if (source == nullptr || source->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    const bool heic = written == FormatHeif;
    const heif_compression_format compression = heic ? heif_compression_HEVC : heif_compression_AV1;
    if (!heif_have_encoder_for_format(compression)) {
        return status.Fail(Domain::Write,
                           heic
                               ? "this system's libheif has no HEIC encoder, so no HEIC file can be written"
                               : "this system's libheif has no AVIF encoder, so no AVIF file can be written");
    }
    HeifContext context;
    if (!context.get) return status.Fail(Domain::Write, "not enough memory");
    heif_encoder* made = nullptr;
    heif_error error = heif_context_get_encoder_for_format(context.get, compression, &made);
    if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);
    const std::unique_ptr<heif_encoder, EncoderDeleter> encoder(made);
    error = heif_encoder_set_lossy_quality(made, SaveQualityFromProperties(properties));
    if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);

    const std::unique_ptr<heif_image, ImageDeleter> image(ToHeifImage(*source, error));
    if (!image) return status.Fail(Domain::Write, error.message);
    const EmbeddedMetadata metadata = MetadataToEmbed(properties);
    if (!metadata.icc.empty()) {
        error =
            heif_image_set_raw_color_profile(image.get(), "prof", metadata.icc.data(), metadata.icc.size());
        if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);
    }
    const std::unique_ptr<heif_encoding_options, OptionsDeleter> options(heif_encoding_options_alloc());
    heif_image_handle* encoded = nullptr;
    error = heif_context_encode_image(context.get, image.get(), made, options.get(), &encoded);
    if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(encoded);
    if (!metadata.exif.empty()) {
        error = heif_context_add_exif_metadata(context.get, encoded, metadata.exif.data(),
                                               static_cast<int>(metadata.exif.size()));
        if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);
    }
    if (!metadata.xmp.empty()) {
        error = heif_context_add_XMP_metadata(context.get, encoded, metadata.xmp.data(),
                                              static_cast<int>(metadata.xmp.size()));
        if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);
    }
    std::vector<uint8_t> file;
    heif_writer writer{1, CollectBytes};
    error = heif_context_write(context.get, &writer, &file);
    if (error.code != heif_error_Ok) return status.Fail(Domain::Write, error.message);
    return PublishBytes(path, file.data(), file.size());
}

}  // namespace stampora
