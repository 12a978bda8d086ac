#include "codecs/metadata/SourceQuality.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <utility>

#include "platform/FileIo.h"

namespace stampora {

namespace {

// The largest file read whole for a look at its JPEG headers.
constexpr int64_t kMostJpegBytes = int64_t{2} << 30;

// The reference tables of the JPEG standard (Annex K), natural order.
constexpr QuantTable kLuminance = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                   14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                   18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                   49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr QuantTable kChrominance = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                     24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                     99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                     99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Where the n-th value of a table as stored in the file (zig-zag) goes.
constexpr uint8_t kNaturalOrder[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                       12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                       35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                       58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// How far a table is from the reference scaled to `quality` the way libjpeg
// scales it for baseline files.
int64_t Distance(const QuantTable& table, const QuantTable& reference, int32_t quality) {
    const int64_t scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    int64_t distance = 0;
    for (size_t i = 0; i < 64; ++i) {
        const int64_t scaled = std::clamp<int64_t>((reference[i] * scale + 50) / 100, 1, 255);
        distance += std::llabs(scaled - table[i]);
    }
    return distance;
}

// Reads a file's bytes in order, never past their end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes(bytes) {}
    bool Byte(uint8_t& value) {
        if (at >= bytes.size()) return false;
        value = bytes[at++];
        return true;
    }
    bool Word(uint16_t& value) {
        uint8_t high = 0;
        uint8_t low = 0;
        if (!Byte(high) || !Byte(low)) return false;
        value = static_cast<uint16_t>(high << 8 | low);
        return true;
    }
    bool Bytes(std::vector<uint8_t>& out, size_t count) {
        if (count > bytes.size() - at) return false;
        out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                   bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
        return true;
    }
    bool Skip(size_t count) {
        if (count > bytes.size() - at) return false;
        at += count;
        return true;
    }

private:
    std::span<const uint8_t> bytes;
    size_t at = 0;
};

// The tables of one DQT segment into their slots; false when it is malformed.
bool ReadTables(const std::vector<uint8_t>& segment, QuantTable (&tables)[4], bool (&present)[4]) {
    size_t at = 0;
    while (at < segment.size()) {
        const bool wide = (segment[at] >> 4) != 0;
        const size_t slot = segment[at] & 0x0F;
        const size_t size = wide ? 128 : 64;
        if (slot > 3 || segment.size() - at - 1 < size) return false;
        ++at;
        for (size_t i = 0; i < 64; ++i) {
            tables[slot][kNaturalOrder[i]] =
                wide ? static_cast<uint16_t>(segment[at + 2 * i] << 8 | segment[at + 2 * i + 1])
                     : segment[at + i];
        }
        present[slot] = true;
        at += size;
    }
    return true;
}

}  // namespace

std::optional<int32_t> EstimateJpegQuality(const std::vector<QuantTable>& tables) {
    if (tables.empty()) return std::nullopt;
    int32_t best = 0;
    int64_t bestDistance = 0;
    for (int32_t quality = 1; quality <= 100; ++quality) {
        int64_t distance = Distance(tables[0], kLuminance, quality);
        if (tables.size() > 1) distance += Distance(tables[1], kChrominance, quality);
        if (best == 0 || distance < bestDistance) {
            best = quality;
            bestDistance = distance;
        }
    }
    return best;
}

namespace {

// What the headers before a JPEG's first scan say about its components.
struct JpegHeaders {
    QuantTable tables[4] = {};
    bool present[4] = {};
    std::vector<size_t> componentTables;
    // Each component's sampling factors, horizontal then vertical.
    std::vector<std::pair<int32_t, int32_t>> sampling;
};

// Reads the markers up to the first scan, every length checked against the
// file; false when the file is not a JPEG file or its headers are broken.
bool ReadJpegHeaders(std::span<const uint8_t> file, JpegHeaders& headers) {
    ByteReader in(file);
    std::vector<uint8_t> segment;
    uint16_t start = 0;
    bool ok = in.Word(start) && start == 0xFFD8;
    while (ok) {
        uint8_t marker = 0;
        ok = in.Byte(marker) && marker == 0xFF;
        while (ok && marker == 0xFF) ok = in.Byte(marker);   // fill bytes
        if (!ok || marker == 0xDA || marker == 0xD9) break;  // the first scan, or the end
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        uint16_t length = 0;
        ok = in.Word(length) && length >= 2;
        if (!ok) break;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (marker == 0xDB) {
            ok = in.Bytes(segment, length - 2u) && ReadTables(segment, headers.tables, headers.present);
        } else if (frame) {
            // Precision, height, width, component count, then three bytes
            // per component: its id, its sampling factors, its table.
            ok = in.Bytes(segment, length - 2u) && segment.size() >= 6;
            const size_t components = ok ? segment[5] : 0;
            ok = ok && segment.size() >= 6 + 3 * components;
            for (size_t c = 0; ok && c < components; ++c) {
                const uint8_t factors = segment[6 + 3 * c + 1];
                headers.sampling.emplace_back(factors >> 4, factors & 0x0F);
                headers.componentTables.push_back(segment[6 + 3 * c + 2] & 0x03);
            }
        } else {
            ok = in.Skip(length - 2u);
        }
    }
    return ok;
}

// The file's bytes for a look at its headers; empty when it cannot be read.
std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMostJpegBytes)) bytes.clear();
    return bytes;
}

}  // namespace

std::optional<int32_t> JpegQuality(std::span<const uint8_t> file) {
    JpegHeaders headers;
    if (!ReadJpegHeaders(file, headers)) return std::nullopt;
    const std::vector<size_t>& componentTables = headers.componentTables;
    std::vector<QuantTable> used;
    for (size_t c = 0; c < componentTables.size() && c < 2; ++c) {
        if (!headers.present[componentTables[c]]) return std::nullopt;
        used.push_back(headers.tables[componentTables[c]]);
    }
    // A greyscale file has only its luminance table.
    if (used.size() == 2 && componentTables[0] == componentTables[1]) used.pop_back();
    return EstimateJpegQuality(used);
}

std::optional<JpegSampling> JpegSamplingOf(std::span<const uint8_t> file) {
    JpegHeaders headers;
    if (!ReadJpegHeaders(file, headers) || headers.sampling.size() != 3) return std::nullopt;
    const auto [h, v] = headers.sampling[0];
    for (size_t c = 1; c < 3; ++c) {
        if (headers.sampling[c] != std::pair<int32_t, int32_t>(1, 1)) return std::nullopt;
    }
    if (h < 1 || v < 1 || h > 4 || v > 4) return std::nullopt;
    return JpegSampling{h, v};
}

std::optional<int32_t> JpegFileQuality(const std::string& path) {
    return JpegQuality(FileBytes(path));
}

std::optional<JpegSampling> JpegFileSampling(const std::string& path) {
    return JpegSamplingOf(FileBytes(path));
}

}  // namespace stampora
