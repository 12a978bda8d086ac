#pragma once
// Watermarking a JPEG without re-encoding it: only the MCUs under the marks
// are decoded, stamped and encoded again with the picture's own tables;
// every other block is copied as it is stored.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "batch/copy/WatermarkFile.h"
#include "codecs/jpeg/JpegCoefficients.h"
#include "codecs/metadata/KeptMetadata.h"

namespace stampora {

// Stamps the marks on a JPEG source saved as JPEG the way WatermarkFile
// makes, places and blends them (fitted to the upright picture, tiled,
// filled in, with the margin test), but changes only the blocks under them.
// When that cannot be done exactly (CMYK or YCCK, arithmetic coding, damaged
// data, marks over most of the picture) the file goes through WatermarkFile
// instead and the result's Write warning says why; a source or output
// that is no JPEG goes there without one. Either way a written file carries
// the source's metadata as far as `kept` allows.
BatchFileResult WatermarkJpegBlocks(CRasterImage& work, const std::string& sourcePath,
                                    const std::string& outputPath, CFittedImageMark& imageMark,
                                    CFittedTextMark& textMark, int64_t number, int quality,
                                    MetadataKept kept);

// The same from a source the caller has opened already (see
// ReadSourceForCopy); either path reads it from there, never again from its
// name. `placed` puts a mark the user moved on this picture where it was
// put.
BatchFileResult WatermarkJpegBlocks(CRasterImage& work, SourceForCopy& opened, const std::string& sourcePath,
                                    const std::string& outputPath, CFittedImageMark& imageMark,
                                    CFittedTextMark& textMark, int64_t number, int quality, MetadataKept kept,
                                    const PicturePlacement& placed = {});

// The same with both marks stamped as given.
BatchFileResult WatermarkJpegBlocks(CRasterImage& work, const std::string& sourcePath,
                                    const std::string& outputPath, const ImageWatermark& imageMark,
                                    const TextWatermark& textMark, int quality, MetadataKept kept);

// How an upright area of the picture at (left, top) is stamped; false with
// the reason in `why` when it cannot be.
using UprightStamp = std::function<bool(CRasterImage& area, int32_t left, int32_t top, Status& why)>;

enum class KeptBlocks { Written, Refused, SaveFailed };

// Writes the JPEG `source` (as laid out) to `outputPath` with only the blocks
// under `boxes` (upright picture pixels) decoded, stamped by `stamp` and
// encoded again with the picture's own tables. Refused, with the reason in
// `status`, when that cannot be done exactly (the caller then encodes the
// picture whole); SaveFailed, with a Write failure, when the file could not
// be written.
KeptBlocks WriteKeptBlocks(const std::vector<uint8_t>& source, const JpegLayout& layout,
                           const std::vector<StoredBox>& boxes, const UprightStamp& stamp,
                           const std::string& outputPath, MetadataKept kept, Status& status);

}  // namespace stampora
