#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/SaveQuality.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/jpeg/Jpeg_pvt.h"
#include "codecs/metadata/ExifProperties.h"
#include "image/RowConversion.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
// An APP1 segment holds at most 65533 bytes after its length field.
constexpr size_t kMaxMarkerBytes = 65533;

struct JpegEncoder {
    jpeg_compress_struct cinfo;
    JpegErrorTrap trap;
    CRasterImage* image = nullptr;
    std::FILE* file = nullptr;
    int quality = 80;
    // The luminance sampling factors; 0: libjpeg's default (4:2:0).
    int samplingH = 0;
    int samplingV = 0;
    const std::vector<uint8_t>* exifMarker = nullptr;
    // Whole metadata segments given by the caller, written instead.
    const std::vector<uint8_t>* segments = nullptr;
    // Set when lines must be converted first; then one line at a time.
    std::vector<uint8_t>* convertedRow = nullptr;
    // A 32-bit picture without transparency is encoded from its own lines;
    // one with it is composed onto white line by line.
    bool opaque = true;
};

// Writes APPn and COM segments given as they stand in a JPEG file; the
// walk stops at anything else, or at a length that runs past the end.
void WriteSegments(jpeg_compress_struct& cinfo, const std::vector<uint8_t>& segments) {
    const uint8_t* bytes = segments.data();
    size_t at = 0;
    while (at + 4 <= segments.size() && bytes[at] == 0xFF &&
           ((bytes[at + 1] >= 0xE0 && bytes[at + 1] <= 0xEF) || bytes[at + 1] == 0xFE)) {
        const size_t length = size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        if (length < 2 || length > segments.size() - at - 2) return;
        jpeg_write_marker(&cinfo, bytes[at + 1], bytes + at + 4, static_cast<unsigned>(length - 2));
        at += 2 + length;
    }
}

// Runs libjpeg from the header to the end of the file. Only this function
// calls setjmp; it keeps no object with a destructor of its own.
bool Encode(JpegEncoder& e) {
    if (setjmp(e.trap.jump)) return false;

    jpeg_create_compress(&e.cinfo);
    jpeg_stdio_dest(&e.cinfo, e.file);
    CRasterImage& image = *e.image;
    e.cinfo.image_width = static_cast<JDIMENSION>(image.Width());
    e.cinfo.image_height = static_cast<JDIMENSION>(image.Height());
    const bool grey = image.Bpp() == 8 && HasGreyRampPalette(image);
    if (grey) {
        e.cinfo.in_color_space = JCS_GRAYSCALE;
        e.cinfo.input_components = 1;
    } else if (image.Bpp() == 32 && e.opaque) {
        e.cinfo.in_color_space = JCS_EXT_BGRX;
        e.cinfo.input_components = 4;
    } else {
        e.cinfo.in_color_space = JCS_EXT_BGR;
        e.cinfo.input_components = 3;
    }
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, e.quality, TRUE);
    if (!grey && e.samplingH > 0 && e.cinfo.num_components == 3) {
        e.cinfo.comp_info[0].h_samp_factor = e.samplingH;
        e.cinfo.comp_info[0].v_samp_factor = e.samplingV;
        for (int c = 1; c < 3; ++c)
            e.cinfo.comp_info[c].h_samp_factor = e.cinfo.comp_info[c].v_samp_factor = 1;
    }
    e.cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&e.cinfo, TRUE);
    if (!e.segments->empty()) {
        WriteSegments(e.cinfo, *e.segments);
    } else if (!e.exifMarker->empty()) {
        jpeg_write_marker(&e.cinfo, JPEG_APP0 + 1, e.exifMarker->data(),
                          static_cast<unsigned>(e.exifMarker->size()));
    }

    uint8_t** rows = image.RowTable();
    const bool direct = grey || image.Bpp() == 24 || (image.Bpp() == 32 && e.opaque);
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        const JDIMENSION y = e.cinfo.next_scanline;
        if (direct) {
            jpeg_write_scanlines(&e.cinfo, rows + y, e.cinfo.image_height - y);
        } else {
            RowToBgr(image, static_cast<int32_t>(y), e.convertedRow->data());
            JSAMPROW line = e.convertedRow->data();
            jpeg_write_scanlines(&e.cinfo, &line, 1);
        }
    }
    jpeg_finish_compress(&e.cinfo);
    return true;
}

std::vector<uint8_t> ExifMarkerFor(const CImageProperties* properties) {
    std::vector<uint8_t> marker;
    std::vector<uint8_t> block;
    if (properties == nullptr || !BuildExifBlock(*properties, block)) return marker;
    if (block.size() + sizeof kExifSignature > kMaxMarkerBytes) return marker;
    marker.assign(kExifSignature, kExifSignature + sizeof kExifSignature);
    marker.insert(marker.end(), block.begin(), block.end());
    return marker;
}

// The sampling asked for, each factor 1 to 4 (libjpeg's limits); false,
// leaving the default, for anything else.
bool SamplingFromProperties(const CImageProperties* properties, JpegEncoder& e) {
    if (properties == nullptr || !properties->jpegSampling) return false;
    const JpegSampling sampling = *properties->jpegSampling;
    if (sampling.horizontal < 1 || sampling.horizontal > 4 || sampling.vertical < 1 || sampling.vertical > 4)
        return false;
    e.samplingH = sampling.horizontal;
    e.samplingV = sampling.vertical;
    return true;
}

}  // namespace

bool CJpegCodec::SaveFile(const std::string& path, const ImageList& images,
                          const CImageProperties* properties) {
    status = {};
    const CRasterImage* image = images.First();
    if (image == nullptr || image->IsEmpty())
        return status.Fail(Domain::Write, "there is no picture to save");
    const std::vector<uint8_t> exifMarker = ExifMarkerFor(properties);
    std::vector<uint8_t> convertedRow(static_cast<size_t>(image->Width()) * 3);

    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    auto encoder = std::make_unique<JpegEncoder>();
    JpegEncoder& e = *encoder;
    e.cinfo.err = InstallJpegErrorTrap(e.trap);
    // libjpeg only reads the picture's lines; the row table is not const.
    e.image = const_cast<CRasterImage*>(image);
    e.file = out.File();
    e.quality = SaveQualityFromProperties(properties);
    SamplingFromProperties(properties, e);
    e.exifMarker = &exifMarker;
    const std::vector<uint8_t> noSegments;
    e.segments = properties != nullptr ? &properties->jpegSegments : &noSegments;
    e.convertedRow = &convertedRow;
    e.opaque = IsOpaque(*image);
    const bool encoded = Encode(e);
    jpeg_destroy_compress(&e.cinfo);
    if (!encoded) {
        out.Fail();
        return status.Fail(Domain::Write, e.trap.error[0] != 0 ? std::string(e.trap.error)
                                                               : WriteFailure(out, "cannot write the file"));
    }
    return Publish(out);
}

}  // namespace stampora
