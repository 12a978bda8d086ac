#include "batch/copy/StampedCopy.h"

#include <optional>
#include <utility>

#include "batch/copy/AnimationCopy.h"
#include "codecs/PictureFiles.h"
#include "codecs/metadata/SourceQuality.h"
#include "codecs/tiff/TiffPageTags.h"

namespace stampora {

namespace {

// What the writer is told besides the quality: an animation's timing, each
// TIFF page's tags (only its place and resolution unless all metadata is
// kept), and for a JPEG made from a JPEG, the source's chroma subsampling,
// so colour edges stay as fine as they came.
CImageProperties SaveOptions(const SourceForCopy& source, ImageFormat output, int quality,
                             MetadataKept kept) {
    CImageProperties options;
    options.saveQuality = quality;
    options.frameDelays = source.properties.frameDelays;
    options.loopCount = source.properties.loopCount;
    const bool everything = kept == MetadataKept::All || kept == MetadataKept::NoGps;
    options.tiffPages =
        everything ? source.properties.tiffPages : TiffPagesEssentials(source.properties.tiffPages);
    if (output == FormatJpeg) options.jpegSampling = JpegSamplingOf(source.file.Bytes());
    return options;
}

// Takes a metadata step's warning into `status`; false, with the reason,
// when the step failed and the copy is not to be written.
bool TookMetadata(const Status& step, Status& status) {
    if (!step.Warning(Domain::Metadata).empty())
        status.Warn(Domain::Metadata, step.Warning(Domain::Metadata));
    return !step.Failed() ||
           status.Fail(Domain::Metadata, "its metadata could not be written: " + step.Error());
}

}  // namespace

bool WriteStampedCopy(SourceForCopy& source, CRasterImage& first, const FrameStamper& stamp,
                      const CopyRequest& request, Status& status) {
    const std::string& outputPath = request.outputPath;
    const ImageFormat output = FormatFromPath(outputPath);
    const int32_t width = first.Width();
    const int32_t height = first.Height();
    CImageProperties options = SaveOptions(source, output, request.quality, request.kept);
    FileFinisher withMetadata;
    if (request.kept != MetadataKept::None && EmbedsMetadataBlocks(output)) {
        // These writers embed the metadata whole as they encode.
        if (!TookMetadata(KeptMetadataBlocks(source.file.Bytes(), width, height, request.kept, options),
                          status))
            return false;
    } else if (request.kept != MetadataKept::None && output == FormatJpeg) {
        // A JPEG takes its metadata from the writer itself.
        if (!TookMetadata(
                KeptJpegSegments(source.file.Bytes(), width, height, request.kept, options.jpegSegments),
                status))
            return false;
    } else if (request.kept != MetadataKept::None) {
        withMetadata = [&](const std::string& tempPath) {
            const Status step =
                KeepMetadataInFile(source.file.Bytes(), tempPath, outputPath, width, height, request.kept);
            return TookMetadata(step, status) ? std::string() : status.Error();
        };
    }
    if (source.played != FormatUnknown) {
        return source.played == FormatWebp ? WriteStampedAnimation(source.webpAnimation, first, stamp,
                                                                   outputPath, options, withMetadata, status)
                                           : WriteStampedAnimation(source.animation, first, stamp, outputPath,
                                                                   options, withMetadata, status);
    }
    ImageList stamped(false);
    stamped.Append(&first);
    for (size_t i = 1; i < source.frames.Size(); ++i) stamped.Append(source.frames.At(i));
    Status written;
    if (CPictureFiles::Save(stamped, outputPath, options, &written, withMetadata)) return true;
    status.failure = written.failure;
    return false;
}

}  // namespace stampora
