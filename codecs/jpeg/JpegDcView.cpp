#include "codecs/jpeg/JpegDcView.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "codecs/DecodeLimits.h"
#include "codecs/jpeg/HuffmanWalk.h"

namespace stampora {

namespace {

// A piece of scan worth a thread of its own.
constexpr size_t kBytesPerPiece = 256 << 10;
constexpr unsigned kMaxPieces = 8;

struct ScanComponent {
    int index = 0;  // in the frame: 0 luma, 1 and 2 chroma
    int across = 1;
    int down = 1;
    int quant = 1;  // the DC quantiser
    const HuffmanWalkTable* dc = nullptr;
    const HuffmanWalkTable* ac = nullptr;
};

struct ScanLayout {
    std::vector<ScanComponent> components;
    std::array<int, 10> blockComponent{};  // which scan component each block of an MCU belongs to
    int blocksPerMcu = 0;
    uint32_t mcuColumns = 0;
    uint32_t mcuRows = 0;
    uint32_t restartInterval = 0;
    std::array<HuffmanWalkTable, 4> dcTables;
    std::array<HuffmanWalkTable, 4> acTables;

    uint64_t Blocks() const { return uint64_t{mcuColumns} * mcuRows * static_cast<uint64_t>(blocksPerMcu); }
};

uint32_t DivideUp(uint32_t value, uint32_t by) {
    return static_cast<uint32_t>((uint64_t{value} + by - 1) / by);
}

bool MakeLayout(const jpeg_decompress_struct& cinfo, ScanLayout& layout) {
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE && cinfo.num_components == 1;
    const bool ycc = cinfo.jpeg_color_space == JCS_YCbCr && cinfo.num_components == 3;
    if ((!grey && !ycc) || cinfo.progressive_mode || cinfo.arith_code || cinfo.data_precision != 8 ||
        cinfo.comps_in_scan != cinfo.num_components || cinfo.Ss != 0 || cinfo.Se != 63 || cinfo.Ah != 0 ||
        cinfo.Al != 0)
        return false;
    std::array<bool, 4> dcMade{};
    std::array<bool, 4> acMade{};
    for (int i = 0; i < cinfo.comps_in_scan; ++i) {
        const jpeg_component_info* info = cinfo.cur_comp_info[i];
        if (info == nullptr || info->quant_tbl_no < 0 || info->quant_tbl_no >= NUM_QUANT_TBLS ||
            cinfo.quant_tbl_ptrs[info->quant_tbl_no] == nullptr || info->dc_tbl_no < 0 ||
            info->dc_tbl_no > 3 || info->ac_tbl_no < 0 || info->ac_tbl_no > 3)
            return false;
        const JHUFF_TBL* dc = cinfo.dc_huff_tbl_ptrs[info->dc_tbl_no];
        const JHUFF_TBL* ac = cinfo.ac_huff_tbl_ptrs[info->ac_tbl_no];
        if (dc == nullptr || ac == nullptr) return false;
        HuffmanWalkTable& dcTable = layout.dcTables[static_cast<size_t>(info->dc_tbl_no)];
        HuffmanWalkTable& acTable = layout.acTables[static_cast<size_t>(info->ac_tbl_no)];
        if (!dcMade[static_cast<size_t>(info->dc_tbl_no)] && !dcTable.Make(*dc, true)) return false;
        if (!acMade[static_cast<size_t>(info->ac_tbl_no)] && !acTable.Make(*ac, false)) return false;
        dcMade[static_cast<size_t>(info->dc_tbl_no)] = acMade[static_cast<size_t>(info->ac_tbl_no)] = true;
        ScanComponent component;
        component.index = info->component_index;
        // A lone component is scanned block by block, whatever its factors.
        component.across = grey ? 1 : info->h_samp_factor;
        component.down = grey ? 1 : info->v_samp_factor;
        component.quant = cinfo.quant_tbl_ptrs[info->quant_tbl_no]->quantval[0];
        component.dc = &dcTable;
        component.ac = &acTable;
        layout.components.push_back(component);
    }
    // Each component once; luma at one or two blocks each way per MCU, each
    // chroma at one.
    std::array<bool, 3> seen{};
    for (const ScanComponent& c : layout.components) {
        if (c.index < 0 || c.index >= cinfo.num_components || seen[static_cast<size_t>(c.index)])
            return false;
        seen[static_cast<size_t>(c.index)] = true;
    }
    for (const ScanComponent& c : layout.components) {
        const bool luma = c.index == 0;
        if (luma ? (c.across < 1 || c.across > 2 || c.down < 1 || c.down > 2)
                 : (c.across != 1 || c.down != 1))
            return false;
        for (int b = 0; b < c.across * c.down; ++b)
            layout.blockComponent[static_cast<size_t>(layout.blocksPerMcu++)] =
                static_cast<int>(&c - layout.components.data());
    }
    const ScanComponent& luma = *std::find_if(layout.components.begin(), layout.components.end(),
                                              [](const ScanComponent& c) { return c.index == 0; });
    layout.mcuColumns = DivideUp(cinfo.image_width, 8u * static_cast<uint32_t>(luma.across));
    layout.mcuRows = DivideUp(cinfo.image_height, 8u * static_cast<uint32_t>(luma.down));
    layout.restartInterval = cinfo.restart_interval;
    return true;
}

// The scan's data without its byte stuffing, padded with zeros, and where
// each restart interval starts in it. False for markers out of order or a
// scan that does not end in a marker.
struct ScanBytes {
    std::vector<uint8_t> bytes;
    size_t size = 0;
    std::vector<size_t> restarts;  // the start of each interval after the first
};

bool Unstuff(const uint8_t* scan, const uint8_t* end, ScanBytes& out) {
    out.bytes.resize(static_cast<size_t>(end - scan) + kScanPadding);
    uint8_t* to = out.bytes.data();
    const uint8_t* from = scan;
    int nextRestart = 0;
    for (;;) {
        const auto* mark =
            static_cast<const uint8_t*>(std::memchr(from, 0xFF, static_cast<size_t>(end - from)));
        if (mark == nullptr || mark + 1 >= end) return false;
        std::memcpy(to, from, static_cast<size_t>(mark - from));
        to += mark - from;
        const uint8_t code = mark[1];
        from = mark + 2;
        if (code == 0x00) {
            *to++ = 0xFF;
        } else if (code == 0xD0 + nextRestart) {
            nextRestart = (nextRestart + 1) & 7;
            out.restarts.push_back(static_cast<size_t>(to - out.bytes.data()));
        } else if (code == 0xD9) {
            break;
        } else {
            return false;
        }
    }
    out.size = static_cast<size_t>(to - out.bytes.data());
    std::memset(to, 0, out.bytes.size() - out.size);
    return true;
}

// One piece's walk: each block's DC difference and the bit at which each
// block starts, with one start more where the walk stopped.
struct PieceWalk {
    std::vector<int16_t> differences;
    std::vector<uint32_t> starts;  // from block firstKept on
    std::vector<size_t> broken;    // blocks whose codes made no sense
    ScanBitReader reader;
    size_t firstKept = 0;
    bool keepStarts = true;
    uint64_t nextStart;

    PieceWalk(const ScanBytes& scan, size_t startByte)
        : reader(scan.bytes.data(), startByte, scan.size), nextStart(reader.Position()) {
        starts.push_back(static_cast<uint32_t>(nextStart));
    }

    uint64_t StartOf(size_t block) const { return starts[block - firstKept]; }

    // The first piece's starts are only wanted from where it meets the next.
    void KeepStartsFromHere() {
        firstKept = differences.size();
        starts.assign(1, static_cast<uint32_t>(nextStart));
        keepStarts = true;
    }

    // Walks blocks while there are fewer than `maxBlocks` and the last
    // started before `stopBit`, each taking its place in the MCU from its
    // number: a walk from a guessed start guesses it starts an MCU.
    bool WalkUpTo(const ScanLayout& layout, uint64_t stopBit, size_t maxBlocks) {
        ScanBitReader walker = reader;
        const auto perMcu = static_cast<size_t>(layout.blocksPerMcu);
        size_t block = differences.size();
        size_t inMcu = block % perMcu;
        uint64_t bit = nextStart;
        while (block < maxBlocks && bit < stopBit && !walker.Overran()) {
            const ScanComponent& c = layout.components[static_cast<size_t>(layout.blockComponent[inMcu])];
            walker.Refill();
            int32_t difference = 0;
            if (!HuffmanWalkTable::WalkBlock(walker, *c.dc, *c.ac, difference)) broken.push_back(block);
            bit = walker.Position();
            differences.push_back(static_cast<int16_t>(difference));
            if (keepStarts) starts.push_back(static_cast<uint32_t>(bit));
            ++block;
            if (++inMcu == perMcu) inMcu = 0;
        }
        nextStart = bit;
        reader = walker;
        return !reader.Overran();
    }

    bool BrokenWithin(size_t from, size_t to) const {
        const auto first = std::lower_bound(broken.begin(), broken.end(), from);
        return first != broken.end() && *first < to;
    }
};

// The bytes a piece's MCUs end in: the scan's data must end in the byte its
// last block ends in, or libjpeg would have a warning to give.
bool EndsClean(uint64_t endBit, size_t size) {
    return (endBit + 7) / 8 == size;
}

// Pieces between restart markers: each starts exactly, with its own MCUs.
bool WalkRestartIntervals(const ScanLayout& layout, const ScanBytes& scan, unsigned pieces,
                          std::vector<int16_t>& differences) {
    const uint64_t mcus = uint64_t{layout.mcuColumns} * layout.mcuRows;
    const uint64_t intervals = (mcus + layout.restartInterval - 1) / layout.restartInterval;
    if (scan.restarts.size() + 1 != intervals) return false;
    const auto perMcu = static_cast<size_t>(layout.blocksPerMcu);
    differences.assign(static_cast<size_t>(layout.Blocks()), 0);
    std::vector<char> clean(pieces, 1);
    const auto walk = [&](unsigned piece) {
        for (uint64_t i = intervals * piece / pieces; i < intervals * (piece + 1) / pieces; ++i) {
            const size_t start = i == 0 ? 0 : scan.restarts[i - 1];
            const size_t stop = i + 1 == intervals ? scan.size : scan.restarts[i];
            ScanBitReader reader(scan.bytes.data(), start, stop);
            const size_t first = static_cast<size_t>(i * layout.restartInterval) * perMcu;
            const size_t last =
                static_cast<size_t>(std::min(mcus, (i + 1) * layout.restartInterval)) * perMcu;
            for (size_t b = first; b < last && clean[piece] != 0; ++b) {
                if (reader.Overran()) clean[piece] = 0;
                reader.Refill();
                const ScanComponent& c =
                    layout.components[static_cast<size_t>(layout.blockComponent[(b - first) % perMcu])];
                int32_t difference = 0;
                if (!HuffmanWalkTable::WalkBlock(reader, *c.dc, *c.ac, difference)) clean[piece] = 0;
                differences[b] = static_cast<int16_t>(difference);
            }
            if (!EndsClean(reader.Position(), stop)) clean[piece] = 0;
        }
    };
    std::vector<std::thread> threads;
    for (unsigned piece = 1; piece < pieces; ++piece) threads.emplace_back(walk, piece);
    walk(0);
    for (std::thread& t : threads) t.join();
    return std::all_of(clean.begin(), clean.end(), [](char c) { return c != 0; });
}

// Pieces at guessed starts, walked side by side, then joined in order: the
// exact walk goes on past its piece's end until it starts a block at the
// bit, and the place in the MCU, where the next piece started one; from
// there on the next piece's walk is exact. A piece never joined is walked
// over by the exact walk.
bool WalkJoinedPieces(const ScanLayout& layout, const ScanBytes& scan, unsigned pieces,
                      std::vector<int16_t>& differences) {
    const uint64_t total = layout.Blocks();
    const auto perMcu = static_cast<size_t>(layout.blocksPerMcu);
    std::vector<PieceWalk> walks;
    walks.reserve(pieces);
    for (unsigned piece = 0; piece < pieces; ++piece) {
        walks.emplace_back(scan, scan.size * piece / pieces);
        walks.back().differences.reserve(static_cast<size_t>(total / pieces + 64));
        if (piece > 0) walks.back().starts.reserve(static_cast<size_t>(total / pieces + 64));
    }
    walks[0].keepStarts = false;
    const auto stopBit = [&](unsigned piece) { return uint64_t{scan.size * (piece + 1) / pieces} * 8; };
    std::vector<std::thread> threads;
    for (unsigned piece = 1; piece < pieces; ++piece)
        threads.emplace_back([&, piece] { walks[piece].WalkUpTo(layout, stopBit(piece), total); });
    walks[0].WalkUpTo(layout, stopBit(0), total);
    walks[0].KeepStartsFromHere();
    for (std::thread& t : threads) t.join();

    differences.clear();
    differences.reserve(static_cast<size_t>(total));
    PieceWalk* exact = &walks[0];
    size_t from = 0;  // the exact walk's first block not yet taken
    // Takes the exact walk's blocks up to `to` (walking on where needed).
    const auto take = [&](size_t to) {
        while (exact->differences.size() < to) {
            if (!exact->WalkUpTo(layout, UINT64_MAX, to)) return false;
        }
        if (exact->BrokenWithin(from, to)) return false;
        differences.insert(differences.end(), exact->differences.begin() + static_cast<ptrdiff_t>(from),
                           exact->differences.begin() + static_cast<ptrdiff_t>(to));
        from = to;
        return true;
    };
    for (unsigned next = 1; next < pieces; ++next) {
        const PieceWalk& other = walks[next];
        size_t at = 0;
        // Blocks started before the other piece's first block cannot meet it.
        size_t i = std::max(from, exact->firstKept);
        const auto kept = exact->starts.begin() + static_cast<ptrdiff_t>(i - exact->firstKept);
        i += static_cast<size_t>(std::lower_bound(kept, exact->starts.end(), other.starts[0]) - kept);
        i = std::min(i, exact->differences.size());
        for (;; ++i) {
            const size_t block = differences.size() + (i - from);
            const uint64_t bit = exact->StartOf(i);
            if (block >= total || bit >= other.starts.back()) break;
            while (other.starts[at] < bit) ++at;
            if (other.starts[at] == bit && at < other.differences.size() && at % perMcu == block % perMcu) {
                if (!take(i)) return false;
                exact = &walks[next];
                from = at;
                break;
            }
            if (i == exact->differences.size() && !exact->WalkUpTo(layout, UINT64_MAX, i + 1)) return false;
        }
    }
    if (!take(from + static_cast<size_t>(total - differences.size()))) return false;
    return EndsClean(exact->StartOf(from), scan.size);
}

// The DC planes, one per scan component, with a pixel per block.
struct DcPlanes {
    std::vector<std::vector<uint8_t>> planes;
    std::vector<size_t> widths;

    explicit DcPlanes(const ScanLayout& layout) {
        for (const ScanComponent& c : layout.components) {
            widths.push_back(size_t{layout.mcuColumns} * static_cast<size_t>(c.across));
            planes.emplace_back(widths.back() * layout.mcuRows * static_cast<size_t>(c.down));
        }
    }
};

using Predictors = std::array<int64_t, 3>;

// The DC predictors at the start of MCU row `row`: the differences summed
// from the last restart before it.
Predictors PredictorsAt(const ScanLayout& layout, const std::vector<int16_t>& differences, uint32_t row) {
    const uint64_t mcu = uint64_t{row} * layout.mcuColumns;
    const uint64_t from =
        layout.restartInterval == 0 ? 0 : mcu / layout.restartInterval * layout.restartInterval;
    Predictors predictors{};
    const auto perMcu = static_cast<size_t>(layout.blocksPerMcu);
    const int16_t* difference = differences.data() + static_cast<size_t>(from) * perMcu;
    for (uint64_t m = from; m < mcu; ++m)
        for (size_t b = 0; b < perMcu; ++b)
            predictors[static_cast<size_t>(layout.blockComponent[b])] += *difference++;
    return predictors;
}

// MCU rows [first, last) of the DC values, each block made a pixel as
// libjpeg's 1 x 1 inverse transform makes it.
void FillPlanes(const ScanLayout& layout, const std::vector<int16_t>& differences, uint32_t first,
                uint32_t last, Predictors predictors, DcPlanes& out) {
    struct BlockPlace {
        size_t component;
        size_t offset;  // from the MCU's top-left block in its plane
    };
    std::vector<BlockPlace> places;
    for (size_t s = 0; s < layout.components.size(); ++s) {
        const ScanComponent& c = layout.components[s];
        for (int b = 0; b < c.across * c.down; ++b)
            places.push_back(
                {s, static_cast<size_t>(b / c.across) * out.widths[s] + static_cast<size_t>(b % c.across)});
    }
    const int16_t* difference = differences.data() + size_t{first} * layout.mcuColumns * places.size();
    for (uint32_t row = first; row < last; ++row) {
        for (uint32_t column = 0; column < layout.mcuColumns; ++column) {
            const uint64_t mcu = uint64_t{row} * layout.mcuColumns + column;
            if (layout.restartInterval != 0 && mcu % layout.restartInterval == 0) predictors = {};
            for (const BlockPlace& place : places) {
                const ScanComponent& c = layout.components[place.component];
                const size_t corner =
                    size_t{row} * static_cast<size_t>(c.down) * out.widths[place.component] +
                    size_t{column} * static_cast<size_t>(c.across);
                predictors[place.component] += *difference++;
                const int64_t value = ((predictors[place.component] * c.quant + 4) >> 3) + 128;
                out.planes[place.component][corner + place.offset] =
                    static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
            }
        }
    }
}

// libjpeg's YCbCr to RGB tables (jdcolor.c), so a view matches its pixels.
struct YccTables {
    std::array<int, 256> crToRed{};
    std::array<int, 256> cbToBlue{};
    std::array<int32_t, 256> crToGreen{};
    std::array<int32_t, 256> cbToGreen{};

    YccTables() {
        constexpr int kScaleBits = 16;
        const auto fix = [](double x) { return static_cast<int32_t>(x * (1 << kScaleBits) + 0.5); };
        for (int i = 0; i < 256; ++i) {
            const int32_t x = i - 128;
            crToRed[static_cast<size_t>(i)] = (fix(1.40200) * x + (1 << (kScaleBits - 1))) >> kScaleBits;
            cbToBlue[static_cast<size_t>(i)] = (fix(1.77200) * x + (1 << (kScaleBits - 1))) >> kScaleBits;
            crToGreen[static_cast<size_t>(i)] = -fix(0.71414) * x;
            cbToGreen[static_cast<size_t>(i)] = -fix(0.34414) * x + (1 << (kScaleBits - 1));
        }
    }
};

uint8_t Clamped(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

// Lines [first, last) of the view from the planes.
void PaintView(const ScanLayout& layout, const DcPlanes& planes, int32_t first, int32_t last,
               CRasterImage& view) {
    size_t plane[3] = {};
    for (size_t s = 0; s < layout.components.size(); ++s) plane[layout.components[s].index] = s;
    const ScanComponent& luma = layout.components[plane[0]];
    const size_t lumaWidth = planes.widths[plane[0]];
    const auto width = static_cast<size_t>(view.Width());
    if (layout.components.size() == 1) {
        for (int32_t y = first; y < last; ++y)
            std::memcpy(view.Row(y), planes.planes[0].data() + static_cast<size_t>(y) * lumaWidth, width);
        return;
    }
    static const YccTables tables;
    const size_t chromaWidth = layout.mcuColumns;
    const auto across = static_cast<size_t>(luma.across);
    for (int32_t y = first; y < last; ++y) {
        const uint8_t* lumaRow = planes.planes[plane[0]].data() + static_cast<size_t>(y) * lumaWidth;
        const size_t chromaRow = static_cast<size_t>(y / luma.down) * chromaWidth;
        const uint8_t* cbRow = planes.planes[plane[1]].data() + chromaRow;
        const uint8_t* crRow = planes.planes[plane[2]].data() + chromaRow;
        uint8_t* out = view.Row(y);
        for (size_t x = 0; x < width; ++x, out += 3) {
            const int lumaValue = lumaRow[x];
            const size_t cb = cbRow[x / across];
            const size_t cr = crRow[x / across];
            out[0] = Clamped(lumaValue + tables.cbToBlue[cb]);
            out[1] = Clamped(lumaValue + ((tables.cbToGreen[cb] + tables.crToGreen[cr]) >> 16));
            out[2] = Clamped(lumaValue + tables.crToRed[cr]);
        }
    }
}

// The view made from the DC values in two halves side by side, the second
// starting from the predictors the first ends with.
void MakeView(const ScanLayout& layout, const std::vector<int16_t>& differences, bool twoThreads,
              CRasterImage& view) {
    DcPlanes planes(layout);
    const ScanComponent& luma = *std::find_if(layout.components.begin(), layout.components.end(),
                                              [](const ScanComponent& c) { return c.index == 0; });
    const auto half = [&](uint32_t first, uint32_t last) {
        FillPlanes(layout, differences, first, last, PredictorsAt(layout, differences, first), planes);
        PaintView(layout, planes, std::min(view.Height(), static_cast<int32_t>(first) * luma.down),
                  std::min(view.Height(), static_cast<int32_t>(last) * luma.down), view);
    };
    const uint32_t middle = twoThreads ? layout.mcuRows / 2 : 0;
    std::thread second;
    if (middle > 0) second = std::thread(half, middle, layout.mcuRows);
    half(0, middle > 0 ? middle : layout.mcuRows);
    if (second.joinable()) second.join();
}

}  // namespace

bool ReadJpegDcView(const jpeg_decompress_struct& cinfo, const uint8_t* scan, const uint8_t* end,
                    CRasterImage& view, unsigned pieces) {
    auto layout = std::make_unique<ScanLayout>();
    ScanBytes bytes;
    if (scan == nullptr || end <= scan || !IsDecodableSize(cinfo.image_width, cinfo.image_height) ||
        !MakeLayout(cinfo, *layout) || !Unstuff(scan, end, bytes))
        return false;
    // Every block takes at least two bits; a block's start is kept in 32 bits.
    if (layout->Blocks() > uint64_t{bytes.size} * 4 || bytes.size >= (size_t{1} << 29)) return false;
    if (pieces == 0) {
        const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
        pieces = static_cast<unsigned>(
            std::clamp<size_t>(bytes.size / kBytesPerPiece, 1, std::min(processors, kMaxPieces)));
    }
    std::vector<int16_t> differences;
    const bool walked = layout->restartInterval != 0
                            ? WalkRestartIntervals(*layout, bytes, pieces, differences)
                            : WalkJoinedPieces(*layout, bytes, pieces, differences);
    if (!walked) return false;
    const int32_t bpp = layout->components.size() == 1 ? 8 : 24;
    if (!view.Create(static_cast<int32_t>(DivideUp(cinfo.image_width, 8)),
                     static_cast<int32_t>(DivideUp(cinfo.image_height, 8)), bpp))
        return false;
    MakeView(*layout, differences, pieces > 1, view);
    return true;
}

namespace {

// Reads the header through libjpeg; its own function for the setjmp.
bool ReadHeaderTo(jpeg_decompress_struct& cinfo, JpegErrorTrap& trap, const uint8_t* data, size_t size) {
    if (setjmp(trap.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    return jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK && !trap.warned;
}

}  // namespace

bool ReadJpegDcView(const uint8_t* data, size_t size, CRasterImage& view, unsigned pieces) {
    jpeg_decompress_struct cinfo{};
    JpegErrorTrap trap;
    cinfo.err = InstallJpegErrorTrap(trap);
    bool read = ReadHeaderTo(cinfo, trap, data, size);
    if (read)
        read = ReadJpegDcView(cinfo, data + (size - cinfo.src->bytes_in_buffer), data + size, view, pieces);
    jpeg_destroy_decompress(&cinfo);
    return read;
}

}  // namespace stampora
