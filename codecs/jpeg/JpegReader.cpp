#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/jpeg/JpegDcView.h"
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
    unsigned scale = 1;  // decoded at 1 / scale of the stored size
};

// A side decoded at 1 / scale, as libjpeg rounds it.
JDIMENSION ScaledSide(JDIMENSION side, unsigned scale) {
    return static_cast<JDIMENSION>((uint64_t{side} + scale - 1) / scale);
}

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

// Reads the header and keeps the EXIF block. This function and DecodeLines
// are the only ones to call setjmp; they keep no object with a destructor of
// their own.
bool ReadHeader(JpegDecoder& d, const uint8_t* data, size_t size) {
    if (setjmp(d.trap.jump)) return false;

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
    return true;
}

// Runs libjpeg from the header to the last line, at 1 / d.scale of the
// stored size. A fatal error after some lines keeps the lines already
// decoded.
bool DecodeLines(JpegDecoder& d) {
    if (setjmp(d.trap.jump)) return d.created && d.rowsDone > 0;

    // The same integer transform cjpeg and djpeg use by default.
    d.cinfo.dct_method = JDCT_ISLOW;
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = d.scale;
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
    const JDIMENSION width = ScaledSide(d.cinfo.image_width, d.scale);
    const JDIMENSION height = ScaledSide(d.cinfo.image_height, d.scale);
    if (!d.image->Create(static_cast<int32_t>(width), static_cast<int32_t>(height), bpp)) {
        std::snprintf(d.trap.error, sizeof d.trap.error, "not enough memory for the picture");
        return false;
    }
    d.created = true;
    if (d.cinfo.out_color_space == JCS_CMYK) d.cmykRow->resize(static_cast<size_t>(width) * 4);

    jpeg_start_decompress(&d.cinfo);
    if (d.cinfo.output_width != width || d.cinfo.output_height != height) return false;
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

// The largest of libjpeg's DCT scales (1/8, 1/4, 1/2) at which a picture of
// `width` x `height` stored pixels still has at least the pixels it is shown
// with when fitted into the box; 1 when none has.
unsigned ScaleForBox(JDIMENSION width, JDIMENSION height, bool swapsSides, int32_t boxWidth,
                     int32_t boxHeight) {
    const double uprightWidth = swapsSides ? height : width;
    const double uprightHeight = swapsSides ? width : height;
    const double zoom = std::min({1.0, boxWidth / uprightWidth, boxHeight / uprightHeight});
    for (unsigned scale : {8u, 4u, 2u}) {
        if (ScaledSide(width, scale) >= std::ceil(width * zoom) &&
            ScaledSide(height, scale) >= std::ceil(height * zoom))
            return scale;
    }
    return 1;
}

// Decodes a JPEG picture into `image`, upright, with its EXIF items in
// `store`; at a reduced scale fitting `box` when it is given, the scale and
// the upright picture's whole size then going into `scaled`.
bool DecodeJpeg(const uint8_t* data, size_t size, const FitBox* box, CRasterImage& image,
                CImageProperties& store, ScaledJpeg* scaled, Status& status) {
    status = {};
    if (data == nullptr || size < 4)
        return status.Fail(Domain::Read, "the file is too short for a JPEG picture");
    std::vector<uint8_t> cmykRow;
    std::vector<uint8_t> exif;

    auto decoder = std::make_unique<JpegDecoder>();
    JpegDecoder& d = *decoder;
    d.image = &image;
    d.cmykRow = &cmykRow;
    d.exif = &exif;
    d.cinfo.err = InstallJpegErrorTrap(d.trap);
    bool decoded = ReadHeader(d, data, size);
    if (decoded) {
        if (!exif.empty()) ReadExifBlock(exif.data(), exif.size(), store);
        const bool swaps = TurnOfOrientation(store.orientation.value_or(1)).swapsSides;
        if (box != nullptr)
            d.scale = ScaleForBox(d.cinfo.image_width, d.cinfo.image_height, swaps, box->width, box->height);
        if (scaled != nullptr) {
            scaled->scale = static_cast<int32_t>(d.scale);
            scaled->fullWidth = static_cast<int32_t>(swaps ? d.cinfo.image_height : d.cinfo.image_width);
            scaled->fullHeight = static_cast<int32_t>(swaps ? d.cinfo.image_width : d.cinfo.image_height);
        }
        // A 1/8 view is read from the DC coefficients alone where it can be.
        const uint8_t* scan = data + (size - d.cinfo.src->bytes_in_buffer);
        if (d.scale == 8 && !d.trap.warned && ReadJpegDcView(d.cinfo, scan, data + size, image))
            d.rowsDone = ScaledSide(d.cinfo.image_height, d.scale);
        else
            decoded = DecodeLines(d);
    }
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
    // Damage is told in lines of the whole picture, whatever the scale.
    const auto fullLines = [&](JDIMENSION lines) {
        return std::min<int64_t>(int64_t{lines} * d.scale, height);
    };
    if (d.rowsDone < ScaledSide(height, d.scale)) {
        status.damage = LinesDamage(fullLines(d.rowsDone), height);
    } else if (d.trap.warned) {
        // Lines after a break were made up by the decoder; a progressive
        // picture lost detail everywhere instead, and corrupt data may have
        // spoilt any line after it: libjpeg's words then say what happened.
        status.damage = progressive || d.trap.warningLine == 0
                            ? std::string(d.trap.warning)
                            : LinesDamage(fullLines(d.trap.warningLine), height);
    }
    if (!ApplyOrientationItem(image, store))
        return status.Fail(Domain::Read, "not enough memory to turn the picture upright");
    return true;
}

}  // namespace

bool CJpegCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    auto image = std::make_unique<CRasterImage>();
    auto store = std::make_unique<CImageProperties>();
    if (!DecodeJpeg(data, size, nullptr, *image, *store, nullptr, status)) return false;
    images.Append(std::move(image));
    properties = std::move(store);
    return true;
}

bool ReadScaledJpeg(const uint8_t* data, size_t size, FitBox box, ScaledJpeg& scaled, Status& status) {
    CImageProperties store;
    return DecodeJpeg(data, size, &box, scaled.picture, store, &scaled, status);
}

}  // namespace stampora
