#pragma once
#include "codecs/metadata/ImageProperties.h"

namespace stampora {

// The quality a save uses: the save quality, else the JPEG quality; 80 when
// neither is given or it is -1; otherwise clamped to 1..100.
int SaveQualityFromProperties(const CImageProperties* properties);

}  // namespace stampora
