#pragma once
// A played animation (GIF, or WebP) written as a stamped copy in its own
// format one frame at a time.
#include "batch/copy/StampedCopy.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/webp/WebpAnimation.h"

namespace stampora {

// Writes `shown`, the first frame stamped, then every later frame of
// `player` as it is composed, stamped by `stamp` only where it changed, so
// memory holds the screen, the stamped frame and the writer's two whatever
// the number of frames. `options` are the writer's; `finish` runs on the
// complete file before it takes its name. A frame that cannot be decoded
// ends the animation early, and the status's damage says so. False as
// WriteStampedCopy is.
bool WriteStampedAnimation(GifAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                           const std::string& outputPath, const CImageProperties& options,
                           const FileFinisher& finish, Status& status);
bool WriteStampedAnimation(WebpAnimationPlayer& player, CRasterImage& shown, const FrameStamper& stamp,
                           const std::string& outputPath, const CImageProperties& options,
                           const FileFinisher& finish, Status& status);

}  // namespace stampora
