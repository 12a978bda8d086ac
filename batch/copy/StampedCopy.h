#pragma once
// The last step from a source picture to its stamped copy, the same for the
// editor and the batch: the copy written in the format of its name with what
// it keeps of its source (metadata, JPEG sampling, an animation's frames and
// timing), taking its name only once it is whole.
#include <cstdint>
#include <functional>
#include <string>

#include "batch/copy/SourceForCopy.h"
#include "codecs/metadata/KeptMetadata.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

// Stamps the marks onto `part`, the area at (left, top) of a frame: they land
// on it as on that area of the whole frame. False, with the reason, when they
// could not be stamped.
using FrameStamper = std::function<bool(CRasterImage& part, int32_t left, int32_t top, Status& status)>;

struct CopyRequest {
    std::string outputPath;
    // The writer's quality; -1 is its default.
    int quality = -1;
    MetadataKept kept = MetadataKept::None;
};

// Writes `first`, the source's first frame already stamped at 32 bits, as
// the copy `request` names. A source copied whole (its frames after the
// first stamped alike) goes with every frame, a TIFF's pages each with their
// own tags; a played animation goes on frame by frame, each stamped by
// `stamp` where it changed, so only a few screens are held whatever the
// number of frames. A JPEG copied as JPEG keeps its source's chroma
// subsampling. The kept metadata is written into the
// file before it takes its name: a copy that cannot take it is not written.
//
// False when the copy failed, in the writer's, exiv2's or the system's words:
// a mark that could not go on a frame of an animation (a Mark failure), a
// file that could not be written whole or take its metadata. An animation
// written only in part (a frame that could not be decoded ends it) leaves
// its damage, a source whose metadata was damaged exiv2's words as a
// Metadata warning: only what could be read of it was kept.
bool WriteStampedCopy(SourceForCopy& source, CRasterImage& first, const FrameStamper& stamp,
                      const CopyRequest& request, Status& status);

}  // namespace stampora
