#pragma once
#include "codecs/ImageProperties.h"

namespace stampora {

// The JPEG quality a save uses: the text of the save-quality key, or of the
// JPEG-quality key when that is absent or empty; 80 for an empty text or "-1";
// otherwise the text read as a decimal integer (0 when it is not one), clamped
// to 1..100.
int SaveQualityFromProperties(const CImageProperties* properties);

}  // namespace stampora
