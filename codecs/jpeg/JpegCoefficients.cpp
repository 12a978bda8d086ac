#include "codecs/jpeg/JpegCoefficients.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "codecs/DecodeLimits.h"
#include "codecs/jpeg/HuffmanCode.h"
#include "codecs/jpeg/Jpeg_pvt.h"
#include "codecs/metadata/ExifProperties.h"
#include "codecs/metadata/ImageProperties.h"

namespace stampora {

namespace {

constexpr long kMemoryLimit = 512L << 20;
constexpr int kMaxProgressiveScans = 500;
constexpr uint64_t kMaxPixelsPerByte = 4096;
constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};

// An area of the picture in pixels, from (x0, y0) up to but not including
// (x1, y1); x0 and y0 lie on MCU boundaries, x1 and y1 on one or on the
// picture's edge, so its blocks line up with the picture's.
struct McuArea {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t Width() const { return x1 - x0; }
    int32_t Height() const { return y1 - y0; }
    bool Overlaps(const McuArea& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

void RefuseEndlessScans(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->progressive_mode && cinfo->input_scan_number > kMaxProgressiveScans) {
        common->err->error_exit(common);
    }
}

// Every libjpeg object one rewrite uses. Only Run calls setjmp; a longjmp out
// of the library leaves the objects to the destructor.
struct Rewrite {
    JpegErrorTrap trap;
    jpeg_progress_mgr progress{};
    jpeg_decompress_struct src{};
    jpeg_compress_struct sub{};       // an area's coefficients as a small JPEG
    jpeg_decompress_struct view{};    // that JPEG decoded to pixels
    jpeg_compress_struct painted{};   // the painted pixels encoded again
    jpeg_decompress_struct reread{};  // and their coefficients read back
    jpeg_compress_struct dst{};
    bool made[6] = {};
    unsigned char* subBytes = nullptr;
    unsigned long subSize = 0;
    unsigned char* paintedBytes = nullptr;
    unsigned long paintedSize = 0;
    unsigned char* outBytes = nullptr;
    unsigned long outSize = 0;
    jvirt_barray_ptr* coefs = nullptr;
    CRasterImage area;
    // Why the rewrite was given up.
    Status status;
    // Every warning of the source's decoder, not only those that lose pixels:
    // the source's Huffman tables are reused only for data read cleanly.
    int warnings = 0;
    void (*keepWarning)(j_common_ptr, int) = nullptr;
    std::vector<McuArea> areas;
    // The Huffman tables the rewritten picture is written with, by slot.
    JHUFF_TBL dcTables[NUM_HUFF_TBLS] = {};
    JHUFF_TBL acTables[NUM_HUFF_TBLS] = {};

    Rewrite() = default;
    Rewrite(const Rewrite&) = delete;
    Rewrite& operator=(const Rewrite&) = delete;
    ~Rewrite() {
        for (int i = 0; i < 6; ++i) Destroy(i);
        std::free(subBytes);
        std::free(paintedBytes);
        std::free(outBytes);
    }
    j_common_ptr Common(int i) {
        switch (i) {
            case 0:
                return reinterpret_cast<j_common_ptr>(&src);
            case 1:
                return reinterpret_cast<j_common_ptr>(&sub);
            case 2:
                return reinterpret_cast<j_common_ptr>(&view);
            case 3:
                return reinterpret_cast<j_common_ptr>(&painted);
            case 4:
                return reinterpret_cast<j_common_ptr>(&reread);
            default:
                return reinterpret_cast<j_common_ptr>(&dst);
        }
    }
    void Destroy(int i) {
        if (made[i]) jpeg_destroy(Common(i));
        made[i] = false;
    }
};

enum : int { kSrc, kSub, kView, kPainted, kReread, kDst };

void CountWarnings(j_common_ptr cinfo, int level) {
    auto* r = static_cast<Rewrite*>(cinfo->client_data);
    if (level == -1 && cinfo == r->Common(kSrc)) ++r->warnings;
    r->keepWarning(cinfo, level);
}

void InstallTrap(Rewrite& r) {
    InstallJpegErrorTrap(r.trap);
    r.keepWarning = r.trap.manager.emit_message;
    r.trap.manager.emit_message = CountWarnings;
}

void CreateDecompress(Rewrite& r, jpeg_decompress_struct& cinfo, int slot) {
    cinfo.err = &r.trap.manager;
    jpeg_create_decompress(&cinfo);
    cinfo.client_data = &r;
    r.made[slot] = true;
    cinfo.mem->max_memory_to_use = kMemoryLimit;
}

void CreateCompress(Rewrite& r, jpeg_compress_struct& cinfo, int slot, unsigned char*& bytes,
                    unsigned long& size) {
    cinfo.err = &r.trap.manager;
    jpeg_create_compress(&cinfo);
    cinfo.client_data = &r;
    r.made[slot] = true;
    cinfo.mem->max_memory_to_use = kMemoryLimit;
    std::free(bytes);
    bytes = nullptr;
    size = 0;
    jpeg_mem_dest(&cinfo, &bytes, &size);
}

// Why a header rules out changing the picture in place; empty when it does not.
std::string RefusalOf(const jpeg_decompress_struct& cinfo, size_t fileSize) {
    const uint64_t pixels = uint64_t{cinfo.image_width} * cinfo.image_height;
    if (!IsDecodableSize(cinfo.image_width, cinfo.image_height) || pixels / kMaxPixelsPerByte > fileSize)
        return "the header claims more pixels than the file can hold";
    if (cinfo.arith_code) return "arithmetic coding";
    // Stored as YCCK or not, the picture is CMYK to its user.
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) return "CMYK";
    if (cinfo.jpeg_color_space != JCS_YCbCr || cinfo.num_components != 3)
        return "the picture is not in YCbCr colours";
    if (cinfo.data_precision != 8) return "the picture is not 8 bits per sample";
    return {};
}

// A decoder takes a step of 0 (it multiplies by it); the forward transform
// divides by every step of the tables it encodes with.
bool QuantisersUsable(const jpeg_decompress_struct& cinfo) {
    for (int ci = 0; ci < cinfo.num_components; ++ci) {
        const JQUANT_TBL* table = cinfo.comp_info[ci].quant_table;
        if (table == nullptr) return false;
        for (int k = 0; k < DCTSIZE2; ++k)
            if (table->quantval[k] == 0) return false;
    }
    return true;
}

// The items of the first EXIF block, as the JPEG reader gives them.
void ReadExifItems(const jpeg_decompress_struct& cinfo, CImageProperties& properties) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length <= sizeof kExifSignature ||
            std::memcmp(m->data, kExifSignature, sizeof kExifSignature) != 0)
            continue;
        ReadExifBlock(m->data + sizeof kExifSignature, m->data_length - sizeof kExifSignature, properties);
        return;
    }
}

int32_t DivRoundUp(int64_t a, int64_t b) {
    return static_cast<int32_t>((a + b - 1) / b);
}
int32_t RoundUp(int32_t a, int32_t b) {
    return DivRoundUp(a, b) * b;
}

// The MCU areas under the boxes: every MCU a box touches and no other,
// gathered into rectangles that do not overlap (a run of MCUs along a row,
// joined with the same run in the rows below), so no block is written twice
// and tiles or overlapping marks rewrite only the blocks under them.
std::vector<McuArea> AreasUnder(const std::vector<StoredBox>& boxes, int32_t width, int32_t height,
                                int32_t mcuW, int32_t mcuH) {
    const int32_t wide = DivRoundUp(width, mcuW), high = DivRoundUp(height, mcuH);
    std::vector<uint8_t> touched(static_cast<size_t>(wide) * static_cast<size_t>(high), 0);
    for (const StoredBox& b : boxes) {
        const int64_t x0 = std::max<int64_t>(b.x, 0), y0 = std::max<int64_t>(b.y, 0);
        const int64_t x1 = std::min<int64_t>(int64_t{b.x} + b.width, width);
        const int64_t y1 = std::min<int64_t>(int64_t{b.y} + b.height, height);
        if (x0 >= x1 || y0 >= y1) continue;
        for (int64_t my = y0 / mcuH; my <= (y1 - 1) / mcuH; ++my)
            for (int64_t mx = x0 / mcuW; mx <= (x1 - 1) / mcuW; ++mx)
                touched[size_t(my) * size_t(wide) + size_t(mx)] = 1;
    }
    std::vector<McuArea> areas;
    // By the MCU column a run starts at: the area it belongs to in the row
    // above and in this row (-1: none).
    std::vector<int64_t> above(static_cast<size_t>(wide), -1), here(static_cast<size_t>(wide), -1);
    for (int32_t my = 0; my < high; ++my) {
        std::fill(here.begin(), here.end(), -1);
        const uint8_t* row = touched.data() + size_t(my) * size_t(wide);
        for (int32_t mx = 0; mx < wide;) {
            if (row[mx] == 0) {
                ++mx;
                continue;
            }
            const int32_t start = mx;
            while (mx < wide && row[mx] != 0) ++mx;
            const int32_t x1 = std::min(mx * mcuW, width), y1 = std::min((my + 1) * mcuH, height);
            const int64_t joined = above[size_t(start)];
            if (joined >= 0 && areas[size_t(joined)].x1 == x1) {
                areas[size_t(joined)].y1 = y1;
                here[size_t(start)] = joined;
            } else {
                here[size_t(start)] = static_cast<int64_t>(areas.size());
                areas.push_back({start * mcuW, my * mcuH, x1, y1});
            }
        }
        above.swap(here);
    }
    return areas;
}

// Copies the source's blocks of `a` into a small JPEG of their own and
// decodes it to r.area, exactly as a full decode makes those pixels except
// in the outer MCU ring, whose neighbours the small JPEG lacks.
bool DecodeArea(Rewrite& r, const McuArea& a) {
    jpeg_decompress_struct& s = r.src;
    CreateCompress(r, r.sub, kSub, r.subBytes, r.subSize);
    jpeg_copy_critical_parameters(&s, &r.sub);
    r.sub.image_width = static_cast<JDIMENSION>(a.Width());
    r.sub.image_height = static_cast<JDIMENSION>(a.Height());
    r.sub.optimize_coding = FALSE;
    r.sub.write_JFIF_header = FALSE;
    const int32_t mcuW = s.max_h_samp_factor * DCTSIZE, mcuH = s.max_v_samp_factor * DCTSIZE;
    jvirt_barray_ptr arrays[MAX_COMPONENTS] = {};
    int32_t blocksW[MAX_COMPONENTS] = {}, blocksH[MAX_COMPONENTS] = {};
    for (int ci = 0; ci < s.num_components; ++ci) {
        const jpeg_component_info& c = s.comp_info[ci];
        blocksW[ci] = RoundUp(DivRoundUp(int64_t{a.Width()} * c.h_samp_factor, mcuW), c.h_samp_factor);
        blocksH[ci] = RoundUp(DivRoundUp(int64_t{a.Height()} * c.v_samp_factor, mcuH), c.v_samp_factor);
        arrays[ci] = r.sub.mem->request_virt_barray(
            r.Common(kSub), JPOOL_IMAGE, FALSE, static_cast<JDIMENSION>(blocksW[ci]),
            static_cast<JDIMENSION>(blocksH[ci]), static_cast<JDIMENSION>(c.v_samp_factor));
    }
    jpeg_write_coefficients(&r.sub, arrays);
    for (int ci = 0; ci < s.num_components; ++ci) {
        const jpeg_component_info& c = s.comp_info[ci];
        const int32_t bx0 = a.x0 / mcuW * c.h_samp_factor, by0 = a.y0 / mcuH * c.v_samp_factor;
        for (int32_t row = 0; row < blocksH[ci]; ++row) {
            JBLOCKARRAY to = r.sub.mem->access_virt_barray(r.Common(kSub), arrays[ci],
                                                           static_cast<JDIMENSION>(row), 1, TRUE);
            JBLOCKARRAY from = s.mem->access_virt_barray(r.Common(kSrc), r.coefs[ci],
                                                         static_cast<JDIMENSION>(by0 + row), 1, FALSE);
            std::memcpy(to[0], from[0] + bx0, sizeof(JBLOCK) * static_cast<size_t>(blocksW[ci]));
        }
    }
    jpeg_finish_compress(&r.sub);
    r.Destroy(kSub);

    if (!r.area.Create(a.Width(), a.Height(), 32)) {
        return r.status.Fail(Domain::Write, "not enough memory for the area under the marks");
    }
    CreateDecompress(r, r.view, kView);
    jpeg_mem_src(&r.view, r.subBytes, r.subSize);
    jpeg_read_header(&r.view, TRUE);
    r.view.dct_method = JDCT_ISLOW;
    r.view.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&r.view);
    while (r.view.output_scanline < r.view.output_height) {
        JSAMPROW line = r.area.Row(static_cast<int32_t>(r.view.output_scanline));
        jpeg_read_scanlines(&r.view, &line, 1);
    }
    jpeg_finish_decompress(&r.view);
    r.Destroy(kView);
    return true;
}

// Encodes the pixels of `inner` (an area inside r.area, whose top-left is
// `outer`'s) with the source's tables and sampling, and puts the blocks back
// into the source's coefficients.
void EncodeArea(Rewrite& r, const McuArea& inner, const McuArea& outer) {
    jpeg_decompress_struct& s = r.src;
    CreateCompress(r, r.painted, kPainted, r.paintedBytes, r.paintedSize);
    jpeg_copy_critical_parameters(&s, &r.painted);
    r.painted.in_color_space = JCS_EXT_BGRX;
    r.painted.input_components = 4;
    r.painted.image_width = static_cast<JDIMENSION>(inner.Width());
    r.painted.image_height = static_cast<JDIMENSION>(inner.Height());
    r.painted.dct_method = JDCT_ISLOW;
    r.painted.optimize_coding = FALSE;
    r.painted.write_JFIF_header = FALSE;
    jpeg_start_compress(&r.painted, TRUE);
    const int32_t dx = inner.x0 - outer.x0, dy = inner.y0 - outer.y0;
    while (r.painted.next_scanline < r.painted.image_height) {
        JSAMPROW line = r.area.Row(dy + static_cast<int32_t>(r.painted.next_scanline)) + size_t{4} * dx;
        jpeg_write_scanlines(&r.painted, &line, 1);
    }
    jpeg_finish_compress(&r.painted);
    r.Destroy(kPainted);

    CreateDecompress(r, r.reread, kReread);
    jpeg_mem_src(&r.reread, r.paintedBytes, r.paintedSize);
    jpeg_read_header(&r.reread, TRUE);
    jvirt_barray_ptr* blocks = jpeg_read_coefficients(&r.reread);
    const int32_t mcuW = s.max_h_samp_factor * DCTSIZE, mcuH = s.max_v_samp_factor * DCTSIZE;
    for (int ci = 0; ci < s.num_components; ++ci) {
        const jpeg_component_info& c = s.comp_info[ci];
        const jpeg_component_info& n = r.reread.comp_info[ci];
        const JDIMENSION bx0 = static_cast<JDIMENSION>(inner.x0 / mcuW * c.h_samp_factor);
        const JDIMENSION by0 = static_cast<JDIMENSION>(inner.y0 / mcuH * c.v_samp_factor);
        for (JDIMENSION row = 0; row < n.height_in_blocks; ++row) {
            JBLOCKARRAY to = s.mem->access_virt_barray(r.Common(kSrc), r.coefs[ci], by0 + row, 1, TRUE);
            JBLOCKARRAY from = r.reread.mem->access_virt_barray(r.Common(kReread), blocks[ci], row, 1, FALSE);
            std::memcpy(to[0] + bx0, from[0], sizeof(JBLOCK) * n.width_in_blocks);
        }
    }
    jpeg_finish_decompress(&r.reread);
    r.Destroy(kReread);
}

// The order in which a block's coefficients are coded.
constexpr int kZigzag[DCTSIZE2] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                   12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                   35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                   58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

int BitLength(int value) {
    return static_cast<int>(std::bit_width(static_cast<unsigned>(value < 0 ? -value : value)));
}

// How often one Huffman table's symbols occur, counted over a sample of the
// blocks it codes, and which of them the source's table has no code for.
struct SymbolTally {
    bool has[256] = {};
    uint64_t lacking[256] = {};
    bool lacks = false;
    uint64_t symbols = 0;       // symbols counted
    uint64_t sampleBlocks = 0;  // blocks they came from
    uint64_t blocks = 0;        // blocks the table codes in the whole picture
    void Take(const JHUFF_TBL& table) {
        int count = 0;
        for (int length = 1; length <= 16; ++length) count += table.bits[length];
        for (int i = 0; i < std::min(count, 256); ++i) has[table.huffval[i]] = true;
    }
    void Count(int symbol) {
        ++symbols;
        if (has[symbol]) return;
        ++lacking[symbol];
        lacks = true;
    }
};

// Counts the AC symbols of a block; false when a value is out of range.
bool CountAc(const JCOEF* block, SymbolTally& ac) {
    int run = 0;
    for (int k = 1; k < DCTSIZE2; ++k) {
        const int value = block[kZigzag[k]];
        if (value == 0) {
            ++run;
            continue;
        }
        for (; run > 15; run -= 16) ac.Count(0xF0);
        const int bits = BitLength(value);
        if (bits > 10) return false;
        ac.Count((run << 4) + bits);
        run = 0;
    }
    if (run > 0) ac.Count(0);
    return true;
}

// The source's table with codes added for the symbols it lacks. Its own
// symbols keep frequencies that give back their lengths; a lacking symbol
// gets the share of the picture its uses are estimated at, so codes the
// marks need much come out no longer than they should.
bool Extend(JHUFF_TBL& table, const SymbolTally& tally) {
    HuffmanCode code;
    std::memcpy(code.bits, table.bits, sizeof code.bits);
    std::memcpy(code.huffval, table.huffval, sizeof code.huffval);
    uint64_t frequency[256];
    const uint64_t total = FrequenciesOfCode(code, frequency);
    // The picture's symbols, estimated from the sample's density.
    const uint64_t pictureSymbols =
        std::max<uint64_t>(tally.symbols * tally.blocks / std::max<uint64_t>(tally.sampleBlocks, 1), 1);
    for (int s = 0; s < 256; ++s)
        if (tally.lacking[s] > 0)
            frequency[s] = std::max<uint64_t>(tally.lacking[s] * total / pictureSymbols, 1);
    if (!MakeHuffmanCode(frequency, code)) return false;
    std::memcpy(table.bits, code.bits, sizeof code.bits);
    std::memcpy(table.huffval, code.huffval, sizeof code.huffval);
    return true;
}

// Whether the rewritten picture can keep the source's Huffman tables, with
// codes added where the rewritten blocks need symbols they lack; r.dcTables
// and r.acTables then hold them. That takes one interleaved baseline scan
// read without a warning. The AC symbols are counted in the rewritten blocks
// only (every other block was coded with the source's tables), the DC
// differences also in the blocks after them, since a changed block changes
// its successor's difference too. Untouched blocks keep their exact bits
// where no code had to be added, and nearly so where one had.
bool KeepSourceTables(Rewrite& r) {
    jpeg_decompress_struct& s = r.src;
    if (s.progressive_mode || s.comps_in_scan != s.num_components || r.warnings > 0) return false;
    // Plain arrays: nothing here may need a destructor if libjpeg jumps out.
    SymbolTally dc[NUM_HUFF_TBLS], ac[NUM_HUFF_TBLS];
    for (int ci = 0; ci < s.num_components; ++ci) {
        const jpeg_component_info& c = s.comp_info[ci];
        const JHUFF_TBL* dcTable = s.dc_huff_tbl_ptrs[c.dc_tbl_no];
        const JHUFF_TBL* acTable = s.ac_huff_tbl_ptrs[c.ac_tbl_no];
        if (dcTable == nullptr || acTable == nullptr) return false;
        r.dcTables[c.dc_tbl_no] = *dcTable;
        r.acTables[c.ac_tbl_no] = *acTable;
        dc[c.dc_tbl_no].Take(*dcTable);
        ac[c.ac_tbl_no].Take(*acTable);
        const uint64_t blocks = uint64_t{c.width_in_blocks} * c.height_in_blocks;
        dc[c.dc_tbl_no].blocks += blocks;
        ac[c.ac_tbl_no].blocks += blocks;
        // The padding blocks of edge MCUs: the DC of the block before, no AC.
        dc[c.dc_tbl_no].Count(0);
        ac[c.ac_tbl_no].Count(0);
    }
    const int32_t mcuW = s.max_h_samp_factor * DCTSIZE, mcuH = s.max_v_samp_factor * DCTSIZE;
    for (const McuArea& a : r.areas) {
        for (int ci = 0; ci < s.num_components; ++ci) {
            const jpeg_component_info& c = s.comp_info[ci];
            SymbolTally& tally = ac[c.ac_tbl_no];
            const JDIMENSION bx0 = static_cast<JDIMENSION>(a.x0 / mcuW * c.h_samp_factor);
            const JDIMENSION by0 = static_cast<JDIMENSION>(a.y0 / mcuH * c.v_samp_factor);
            const JDIMENSION bx1 =
                std::min<JDIMENSION>(DivRoundUp(int64_t{a.x1} * c.h_samp_factor, mcuW), c.width_in_blocks);
            const JDIMENSION by1 =
                std::min<JDIMENSION>(DivRoundUp(int64_t{a.y1} * c.v_samp_factor, mcuH), c.height_in_blocks);
            for (JDIMENSION by = by0; by < by1; ++by) {
                JBLOCKARRAY row = s.mem->access_virt_barray(r.Common(kSrc), r.coefs[ci], by, 1, FALSE);
                for (JDIMENSION bx = bx0; bx < bx1; ++bx)
                    if (!CountAc(row[0][bx], tally)) return false;
            }
            tally.sampleBlocks += uint64_t{bx1 - bx0} * (by1 - by0);
        }
    }
    // DC differences: only those of rewritten blocks and of the blocks coded
    // right after them can change, all in the areas' MCU rows or the row
    // after (the successor of a row's last MCU opens the next row).
    const int32_t mcusWide = DivRoundUp(s.image_width, mcuW), mcusHigh = DivRoundUp(s.image_height, mcuH);
    const auto mayChange = [&](int32_t my) {
        return std::any_of(r.areas.begin(), r.areas.end(), [&](const McuArea& a) {
            return my >= a.y0 / mcuH && my <= (a.y1 - 1) / mcuH + 1;
        });
    };
    int predicted[MAX_COMPONENTS] = {};
    JBLOCKARRAY rows[MAX_COMPONENTS] = {};
    const auto readRow = [&](int32_t my) {
        for (int ci = 0; ci < s.num_components; ++ci) {
            const JDIMENSION v = static_cast<JDIMENSION>(s.comp_info[ci].v_samp_factor);
            rows[ci] = s.mem->access_virt_barray(r.Common(kSrc), r.coefs[ci], static_cast<JDIMENSION>(my) * v,
                                                 v, FALSE);
        }
    };
    // Codes one MCU's DC differences, counting them when `count`; false
    // when one is out of range.
    const auto codeMcu = [&](int32_t mx, int32_t my, bool count) {
        if (s.restart_interval != 0 && (int64_t{my} * mcusWide + mx) % s.restart_interval == 0)
            std::fill(std::begin(predicted), std::end(predicted), 0);
        for (int ci = 0; ci < s.num_components; ++ci) {
            const jpeg_component_info& c = s.comp_info[ci];
            for (int y = 0; y < c.v_samp_factor; ++y) {
                for (int x = 0; x < c.h_samp_factor; ++x) {
                    const JDIMENSION bx = static_cast<JDIMENSION>(mx * c.h_samp_factor + x);
                    const JDIMENSION by = static_cast<JDIMENSION>(my * c.v_samp_factor + y);
                    // Padding blocks repeat the DC before them: no change.
                    if (bx >= c.width_in_blocks || by >= c.height_in_blocks) continue;
                    const int value = rows[ci][y][bx][0];
                    if (count) {
                        const int bits = BitLength(value - predicted[ci]);
                        if (bits > 11) return false;
                        dc[c.dc_tbl_no].Count(bits);
                        ++dc[c.dc_tbl_no].sampleBlocks;
                    }
                    predicted[ci] = value;
                }
            }
        }
        return true;
    };
    bool walking = false;
    for (int32_t my = 0; my < mcusHigh; ++my) {
        if (!mayChange(my)) {
            walking = false;
            continue;
        }
        if (!walking && my > 0) {
            // Every component's prediction is the DC of its last real block
            // in the row before, all of them in that row's last MCU.
            readRow(my - 1);
            codeMcu(mcusWide - 1, my - 1, false);
        }
        walking = true;
        readRow(my);
        for (int32_t mx = 0; mx < mcusWide; ++mx)
            if (!codeMcu(mx, my, true)) return false;
    }
    for (int i = 0; i < NUM_HUFF_TBLS; ++i) {
        if (dc[i].lacks && !Extend(r.dcTables[i], dc[i])) return false;
        if (ac[i].lacks && !Extend(r.acTables[i], ac[i])) return false;
    }
    return true;
}

// Writes the source's coefficients with its tables, mode, restart interval
// and markers. Huffman tables: r.dcTables and r.acTables (the source's own,
// extended where needed) when `sourceTables`, else tables made for this
// picture from a statistics pass over all of it.
void WriteAll(Rewrite& r, bool sourceTables) {
    jpeg_decompress_struct& s = r.src;
    CreateCompress(r, r.dst, kDst, r.outBytes, r.outSize);
    jpeg_copy_critical_parameters(&s, &r.dst);
    if (sourceTables) {
        r.dst.optimize_coding = FALSE;
        const auto put = [&](JHUFF_TBL*& to, const JHUFF_TBL& from) {
            if (to == nullptr) to = jpeg_alloc_huff_table(r.Common(kDst));
            *to = from;
            to->sent_table = FALSE;
        };
        for (int ci = 0; ci < s.num_components; ++ci) {
            const int dcSlot = s.comp_info[ci].dc_tbl_no, acSlot = s.comp_info[ci].ac_tbl_no;
            r.dst.comp_info[ci].dc_tbl_no = dcSlot;
            r.dst.comp_info[ci].ac_tbl_no = acSlot;
            put(r.dst.dc_huff_tbl_ptrs[dcSlot], r.dcTables[dcSlot]);
            put(r.dst.ac_huff_tbl_ptrs[acSlot], r.acTables[acSlot]);
        }
    } else {
        r.dst.optimize_coding = TRUE;
        if (s.progressive_mode) jpeg_simple_progression(&r.dst);
    }
    r.dst.restart_interval = s.restart_interval;
    jpeg_write_coefficients(&r.dst, r.coefs);
    for (jpeg_saved_marker_ptr m = s.marker_list; m != nullptr; m = m->next) {
        // The JFIF and Adobe headers are written by the library itself.
        const bool jfif =
            m->marker == JPEG_APP0 && m->data_length >= 5 && std::memcmp(m->data, "JFIF", 5) == 0;
        const bool adobe =
            m->marker == JPEG_APP0 + 14 && m->data_length >= 5 && std::memcmp(m->data, "Adobe", 5) == 0;
        if ((jfif && r.dst.write_JFIF_header) || (adobe && r.dst.write_Adobe_marker)) continue;
        jpeg_write_marker(&r.dst, m->marker, m->data, m->data_length);
    }
    jpeg_finish_compress(&r.dst);
    r.Destroy(kDst);
}

void OpenSource(Rewrite& r, const std::vector<uint8_t>& file, bool allMarkers) {
    CreateDecompress(r, r.src, kSrc);
    r.progress.progress_monitor = RefuseEndlessScans;
    r.src.progress = &r.progress;
    jpeg_mem_src(&r.src, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_save_markers(&r.src, JPEG_APP0 + 1, 0xFFFF);
    if (allMarkers) {
        jpeg_save_markers(&r.src, JPEG_COM, 0xFFFF);
        for (int m = 0; m < 16; ++m)
            if (m != 1) jpeg_save_markers(&r.src, JPEG_APP0 + m, 0xFFFF);
    }
    jpeg_read_header(&r.src, TRUE);
}

bool ReadLayout(Rewrite& r, const std::vector<uint8_t>& file, JpegLayout& layout) {
    if (setjmp(r.trap.jump)) return false;
    OpenSource(r, file, false);
    layout.width = static_cast<int32_t>(r.src.image_width);
    layout.height = static_cast<int32_t>(r.src.image_height);
    layout.refusal = RefusalOf(r.src, file.size());
    if (!layout.refusal.empty()) return true;
    layout.mcuWidth = r.src.max_h_samp_factor * DCTSIZE;
    layout.mcuHeight = r.src.max_v_samp_factor * DCTSIZE;
    ReadExifItems(r.src, layout.exif);
    const int32_t orientation = layout.exif.orientation.value_or(1);
    layout.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    return true;
}

bool Run(Rewrite& r, const std::vector<uint8_t>& file, const std::vector<StoredBox>& boxes,
         const StoredAreaPainter& paint) {
    if (setjmp(r.trap.jump)) return false;
    OpenSource(r, file, true);
    r.status.failure = {Domain::Write, RefusalOf(r.src, file.size())};
    if (r.status.Failed()) return false;
    r.coefs = jpeg_read_coefficients(&r.src);
    if (r.trap.warned) {
        // The decode that follows says how (the reader's own words).
        return r.status.Fail(Domain::Write, "the data is damaged");
    }
    if (!QuantisersUsable(r.src)) {
        return r.status.Fail(Domain::Write, "the picture has a quantisation table with a zero step");
    }
    const int32_t width = static_cast<int32_t>(r.src.image_width);
    const int32_t height = static_cast<int32_t>(r.src.image_height);
    const int32_t mcuW = r.src.max_h_samp_factor * DCTSIZE, mcuH = r.src.max_v_samp_factor * DCTSIZE;
    r.areas = AreasUnder(boxes, width, height, mcuW, mcuH);
    int64_t covered = 0;
    for (const McuArea& a : r.areas) covered += int64_t{a.Width()} * a.Height();
    if (static_cast<double>(covered) > kMaxRewrittenShare * width * height) {
        return r.status.Fail(Domain::Write, "the marks cover most of the picture");
    }
    for (const McuArea& inner : r.areas) {
        // One MCU of neighbours on every side gives the chroma upsampling at
        // the inner area's edge the same input a full decode has.
        const McuArea outer{std::max(inner.x0 - mcuW, 0), std::max(inner.y0 - mcuH, 0),
                            std::min(inner.x1 + mcuW, width), std::min(inner.y1 + mcuH, height)};
        if (!DecodeArea(r, outer)) return false;
        if (!paint(r.area, outer.x0, outer.y0, r.status)) return false;
        EncodeArea(r, inner, outer);
    }
    WriteAll(r, KeepSourceTables(r));
    return true;
}

}  // namespace

JpegLayout ReadJpegLayout(const std::vector<uint8_t>& file) {
    JpegLayout layout;
    Rewrite r;
    InstallTrap(r);
    if (!ReadLayout(r, file, layout)) layout.refusal = std::string("not a JPEG: ") + r.trap.error;
    return layout;
}

bool RewriteJpegBlocks(const std::vector<uint8_t>& file, const std::vector<StoredBox>& boxes,
                       const StoredAreaPainter& paint, std::vector<uint8_t>& output, Status& status) {
    auto r = std::make_unique<Rewrite>();
    InstallTrap(*r);
    if (!Run(*r, file, boxes, paint)) {
        return status.Fail(Domain::Write, r->status.Failed()      ? r->status.Error()
                                          : r->trap.error[0] != 0 ? std::string(r->trap.error)
                                                                  : std::string("the JPEG data is broken"));
    }
    output.assign(r->outBytes, r->outBytes + r->outSize);
    return true;
}

}  // namespace stampora
