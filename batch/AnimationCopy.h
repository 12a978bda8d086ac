#pragma once
// A played GIF animation written as a stamped GIF one frame at a time.
#include "batch/StampedCopy.h"
#include "codecs/GifAnimation.h"
#include "codecs/GifCodec.h"

namespace stampora {

// Writes `shown`, the first frame stamped, then every later frame of
// `player` as it is composed, stamped by `stamp` only where it changed, so
// memory holds the screen, the stamped frame and the writer's two whatever
// the number of frames. `options` are the writer's; `finish` runs on the
// complete file before it takes its name.
CopyResult WriteStampedAnimation(GifAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                                 const std::string& outputPath, const CImageProperties& options,
                                 const FileFinisher& finish);

}  // namespace stampora
