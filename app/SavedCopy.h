#pragma once
// The editor's saved copy, written by the same writer as the batch's copies,
// so that it keeps what its source carried.
#include <string>

#include "app/EditorMarks.h"
#include "app/PictureDocument.h"
#include "batch/options/RunSettings.h"
#include "image/RasterImage.h"
#include "platform/Status.h"

namespace stampora {

// Writes `composite`, the document's picture with the marks stamped as they
// are shown on it, to `path`: with its source's EXIF (orientation 1,
// sizes updated), XMP, IPTC, ICC profile, resolution and comment, and its
// JPEG chroma sampling, as far as `output.metadata` keeps them and at
// `output`'s quality; a GIF animation saved as GIF keeps every frame, each
// with the marks at the same place. A JPEG saved as JPEG with
// `output.losslessJpeg` keeps its blocks outside the marks. False with the
// reason in `status`.
bool WriteSavedCopy(PictureDocument& document, CRasterImage& composite, const EditorMarks& marks,
                    const std::string& path, const OutputSettings& output, Status& status);

}  // namespace stampora
