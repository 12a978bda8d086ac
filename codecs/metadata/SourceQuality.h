#pragma once
// The JPEG quality a source picture was saved at, for `--quality source`:
// a watermarked copy of a photograph is saved as finely as it came, neither
// bloated nor degraded.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace stampora {

// A quantisation table in natural (row by row) order.
using QuantTable = std::array<uint16_t, 64>;

// The quality given to a copy whose source is not a JPEG file, or whose
// tables could not be read.
inline constexpr int32_t kQualityWithoutSource = 80;
// A save quality that asks for the source's own (the estimate from its
// tables, else kQualityWithoutSource).
inline constexpr int32_t kQualityOfSource = -2;

// The quality 1..100 whose scaling of the reference tables of the JPEG
// standard (as libjpeg's quality setting scales them) comes closest to the
// luminance table and, when given, the chrominance table; nothing for an
// empty list.
std::optional<int32_t> EstimateJpegQuality(const std::vector<QuantTable>& tables);

// Reads the markers of a JPEG file's bytes up to its first scan, every
// length checked against the file, and estimates the quality from the tables
// its first two components use; nothing when the file is not a JPEG file or
// its headers are broken. JpegFileQuality reads the file at `path` first.
std::optional<int32_t> JpegQuality(std::span<const uint8_t> file);
std::optional<int32_t> JpegFileQuality(const std::string& path);

// The luminance sampling factors of a colour JPEG whose chrominance is
// sampled once per block: 2 x 2 is 4:2:0, 2 x 1 is 4:2:2, 1 x 1 is 4:4:4.
struct JpegSampling {
    int32_t horizontal = 1;
    int32_t vertical = 1;
};

// The sampling of a colour JPEG file, read from its frame header; nothing
// for a greyscale file, one whose chrominance is subsampled differently, or
// one that is not a JPEG file.
std::optional<JpegSampling> JpegSamplingOf(std::span<const uint8_t> file);
std::optional<JpegSampling> JpegFileSampling(const std::string& path);

}  // namespace stampora
