#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/jpeg/Jpeg_pvt.h"
#include "codecs/metadata/ExifOrientation.h"
#include "codecs/metadata/ExifProperties.h"

namespace stampora {

namespace {

// Memory libjpeg may take for whole-picture buffers (a progressive file keeps
// all its coefficients): enough for well over 100 megapixels.
constexpr long kJpegMemoryLimit = 512L << 20;
// A progressive file with more scans than any encoder writes only costs time.
constexpr int kMaxProgressiveScans = 500;
constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
// Even an arithmetic-coded picture of one flat colour takes more than a byte
// for this many pixels; a header claiming more than the file could describe
// is refused before anything is allocated.
constexpr uint64_t kMaxPixelsPerByte = 4096;

struct JpegDecoder {
    jpeg_decompress_struct cinfo;
    JpegErrorTrap trap;
    jpeg_progress_mgr progress;
    CRasterImage* image = nullptr;
    std::vector<uint8_t>* cmykRow = nullptr;
    std::vector<uint8_t>* exif = nullptr;
    bool created = false;
    bool refusedSize = false;
    JDIMENSION rowsDone = 0;
};

void RefuseEndlessScans(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->progressive_mode && cinfo->input_scan_number > kMaxProgressiveScans) {
        common->err->error_exit(common);
    }
}

// Photoshop and most other writers store CMYK inverted (0 = full ink) and say
// so with an Adobe marker; plain CMYK has 255 = full ink.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

void CopyExifMarker(JpegDecoder& d) {
    for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > sizeof kExifSignature &&
            std::memcmp(m->data, kExifSignature, sizeof kExifSignature) == 0) {
            d.exif->assign(m->data + sizeof kExifSignature, m->data + m->data_length);
            return;
        }
    }
}

// Runs libjpeg from the header to the last line. Only this function calls
// setjmp; it keeps no object with a destructor of its own. A fatal error
// after some lines keeps the lines already decoded.
bool Decode(JpegDecoder& d, const uint8_t* data, size_t size) {
    if (setjmp(d.trap.jump)) return d.created && d.rowsDone > 0;

    jpeg_create_decompress(&d.cinfo);
    d.cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
    d.progress.progress_monitor = RefuseEndlessScans;
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&d.cinfo, TRUE);
    CopyExifMarker(d);
    const uint64_t pixels = uint64_t{d.cinfo.image_width} * d.cinfo.image_height;
    if (!IsDecodableSize(d.cinfo.image_width, d.cinfo.image_height) || pixels / kMaxPixelsPerByte > size) {
        d.refusedSize = true;
        return false;
    }

    // The same integer transform cjpeg and djpeg use by default.
    d.cinfo.dct_method = JDCT_ISLOW;
    int bpp = 24;
    switch (d.cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE:
            d.cinfo.out_color_space = JCS_GRAYSCALE;
            bpp = 8;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            d.cinfo.out_color_space = JCS_CMYK;
            break;
        default:
            d.cinfo.out_color_space = JCS_EXT_BGR;
            break;
    }
    if (!d.image->Create(static_cast<int32_t>(d.cinfo.image_width),
                         static_cast<int32_t>(d.cinfo.image_height), bpp)) {
        std::snprintf(d.trap.error, sizeof d.trap.error, "not enough memory for the picture");
        return false;
    }
    d.created = true;
    if (d.cinfo.out_color_space == JCS_CMYK) d.cmykRow->resize(static_cast<size_t>(d.cinfo.image_width) * 4);

    jpeg_start_decompress(&d.cinfo);
    if (d.cinfo.output_width != d.cinfo.image_width || d.cinfo.output_height != d.cinfo.image_height)
        return false;
    uint8_t** rows = d.image->RowTable();
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        if (d.cinfo.out_color_space == JCS_CMYK) {
            JSAMPROW cmyk = d.cmykRow->data();
            const JDIMENSION y = d.cinfo.output_scanline;
            if (jpeg_read_scanlines(&d.cinfo, &cmyk, 1) != 1) break;
            CmykToBgr(cmyk, rows[y], d.cinfo.output_width, d.cinfo.saw_Adobe_marker);
        } else {
            // Straight into the picture's lines, as many as libjpeg gives at once.
            if (jpeg_read_scanlines(&d.cinfo, rows + d.cinfo.output_scanline,
                                    d.cinfo.output_height - d.cinfo.output_scanline) == 0) {
                break;
            }
        }
        d.rowsDone = d.cinfo.output_scanline;
    }
    jpeg_finish_decompress(&d.cinfo);
    return d.rowsDone > 0;
}

}  // namespace

bool CJpegCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    status = {};
    if (data == nullptr || size < 4)
        return status.Fail(Domain::Read, "the file is too short for a JPEG picture");
    auto image = std::make_unique<CRasterImage>();
    std::vector<uint8_t> cmykRow;
    std::vector<uint8_t> exif;

    auto decoder = std::make_unique<JpegDecoder>();
    JpegDecoder& d = *decoder;
    d.image = image.get();
    d.cmykRow = &cmykRow;
    d.exif = &exif;
    d.cinfo.err = InstallJpegErrorTrap(d.trap);
    const bool decoded = Decode(d, data, size);
    const JDIMENSION height = d.cinfo.image_height;
    const JDIMENSION width = d.cinfo.image_width;
    const bool progressive = d.cinfo.progressive_mode != 0;
    // Harmless when creation itself failed: the memory manager is then null.
    jpeg_destroy_decompress(&d.cinfo);
    if (d.refusedSize) {
        return status.Fail(Domain::Read, "the header claims " + std::to_string(width) + " x " +
                                             std::to_string(height) + " pixels, more than its " +
                                             std::to_string(size) + " bytes can hold");
    }
    if (!decoded)
        return status.Fail(Domain::Read, d.trap.error[0] != 0 ? d.trap.error : "the JPEG data is broken");
    if (d.rowsDone < height) {
        status.damage = LinesDamage(d.rowsDone, height);
    } else if (d.trap.warned) {
        // Lines after a break were made up by the decoder; a progressive
        // picture lost detail everywhere instead, and corrupt data may have
        // spoilt any line after it: libjpeg's words then say what happened.
        status.damage = progressive || d.trap.warningLine == 0 ? std::string(d.trap.warning)
                                                               : LinesDamage(d.trap.warningLine, height);
    }

    auto store = std::make_unique<CImageProperties>();
    if (!exif.empty()) ReadExifBlock(exif.data(), exif.size(), *store);
    if (!ApplyOrientationItem(*image, *store))
        return status.Fail(Domain::Read, "not enough memory to turn the picture upright");
    images.Append(std::move(image));
    properties = std::move(store);
    return true;
}

}  // namespace stampora
