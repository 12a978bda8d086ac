#pragma once
// The per-file step of a batch run: load, make 32-bit, place and stamp both
// marks, save under the output path.
#include <cstdint>
#include <functional>
#include <string>

#include "batch/copy/PicturePlacement.h"
#include "batch/copy/SourceForCopy.h"
#include "codecs/metadata/KeptMetadata.h"
#include "image/RasterImage.h"
#include "platform/Status.h"
#include "watermark/FittedMark.h"
#include "watermark/ImageWatermark.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

enum class BatchFileOutcome {
    Written,        // the watermarked picture was saved
    Unreadable,     // not loaded (not a picture, unknown extension): skipped, nothing written
    SaveFailed,     // loaded and stamped, but the output file could not be written
    StampFailed,    // loaded, but it could not be made 32-bit or a mark could not be
                    // stamped (memory): nothing written, so no unmarked copy passes as done
    UpToDate,       // its output exists and is newer than it: kept, not made again
    Missing,        // named in the list given, but no such file: skipped, nothing written
    OutsideSource,  // named in the list given, but outside the source directory: refused
};

// A mark's size on one picture, 0 x 0 when it was not stamped.
struct StampedSize {
    int32_t width = 0;
    int32_t height = 0;
};

struct BatchFileResult {
    BatchFileOutcome outcome = BatchFileOutcome::Unreadable;
    // The picture's size when it loaded.
    int32_t width = 0;
    int32_t height = 0;
    // An active mark that was left off this picture because it does not fit
    // inside it with the placement margin to spare.
    bool imageMarkLeftOff = false;
    bool textMarkLeftOff = false;
    // Why the file was not written, in the reader's, writer's or the job's
    // own words. Its damage when the picture was read only in part ("only
    // 120 of 600 lines"): it is stamped and written with what could be read.
    // What fell short on a written copy: exiv2's words when the source's
    // metadata was damaged and only what could be read of it was kept (a
    // Metadata warning), and why a JPEG whose blocks were to be kept
    // (WatermarkJpegBlocks) went through the decode-and-encode path instead
    // (a Write warning).
    Status status;
    // Set when the source held more than 8 bits per channel (a 16-bit PNG or
    // TIFF): the copy is written at 8.
    bool narrowedTo8Bits = false;
    // For the verbose report: the marks as stamped, the source file's size
    // and the seconds the file took.
    StampedSize imageMarkSize;
    StampedSize textMarkSize;
    uintmax_t sourceBytes = 0;
    double seconds = 0;
    // The quality estimated from the source JPEG's tables, when asked for
    // with kQualityOfSource (0: none).
    int32_t sourceQuality = 0;
    // What the marks set to choose for themselves chose on this picture
    // (see PlaceMarks); empty when none is.
    std::string automatic;

    // Written whole, with every active mark, or kept from an earlier run.
    bool Complete() const {
        return outcome == BatchFileOutcome::UpToDate ||
               (outcome == BatchFileOutcome::Written && !imageMarkLeftOff && !textMarkLeftOff &&
                !status.Damaged() && status.Warning(Domain::Metadata).empty());
    }
};

// Loads `sourcePath` into `work` (a picture reused from file to file), makes
// it 32-bit, places each mark by its anchor on this picture, stamps the image
// mark and then the text mark over it (each only when active and inside the
// picture with the placement margin to spare), and saves to `outputPath` with
// `quality` (-1: the writer's default; kQualityOfSource: the source JPEG's
// own, else kQualityWithoutSource). The marks are only read: each file is
// placed on copies of their placement records, so workers may share the marks
// and their layers. A file that does not load leaves no output, and whatever
// `work` held from an earlier file is never saved again; nor does a picture
// that cannot be made 32-bit or take an active mark.
//
// `read`, when given, stands in for reading the source file (for tests),
// with its reason or damage in the status.
using PictureReader = std::function<bool(CRasterImage& picture, const std::string& path, Status& status)>;

BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, const ImageWatermark& imageMark,
                              const TextWatermark& textMark, int quality, const PictureReader& read = {});

// The same step with marks made to fit each picture: each mark is made for
// this picture's size (and a text that names the picture filled in from it,
// `number` being its running number), placed by its anchor within its margin
// and stamped once or tiled. A mark that cannot be made or tiled on this
// picture fails the file with the reason, and nothing is written. The source
// is read once: its pixels, its metadata (for a text naming the date taken or
// the camera, and for the copy), its JPEG tables and sampling all come from
// one reading of the file. `read`, when given, stands in for reading the
// first frame, and takes the metadata when it is given a place for it.
//
// A picture saved as GIF or WebP is read with every frame instead (`read`
// is not used): each frame of an animation is stamped alike and written with
// its delay and the loop count, one frame after another, so only a few
// screens are held whatever the number of frames. A TIFF saved as TIFF keeps
// every page, each with its own tags and the marks fitted to its size. A
// JPEG saved as JPEG keeps the source's chroma subsampling.
//
// `kept` says what of the source's metadata the copy carries; it is written
// into the file before the file takes its name, so a copy that cannot take
// it is not written at all (SaveFailed, with exiv2's reason). A source whose
// metadata is damaged gives what could be read, and exiv2's words as a
// Metadata warning.
//
// `placed` puts a mark the user moved on this picture where it was put,
// instead of at its anchor.
BatchFileResult WatermarkFile(CRasterImage& work, const std::string& sourcePath,
                              const std::string& outputPath, CFittedImageMark& imageMark,
                              CFittedTextMark& textMark, int64_t number, int quality,
                              const PictureMetadataReader& read = {}, MetadataKept kept = MetadataKept::None,
                              const PicturePlacement& placed = {});

// The same from a source the caller has opened already (see
// ReadSourceForCopy), so the file is opened once however it is read.
BatchFileResult WatermarkFile(CRasterImage& work, SourceForCopy& source, const std::string& sourcePath,
                              const std::string& outputPath, CFittedImageMark& imageMark,
                              CFittedTextMark& textMark, int64_t number, int quality,
                              const PictureMetadataReader& read = {}, MetadataKept kept = MetadataKept::None,
                              const PicturePlacement& placed = {});

}  // namespace stampora
