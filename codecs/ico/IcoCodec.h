#pragma once
#include "codecs/ImageCodec.h"

namespace stampora {

// Icon (and cursor) files, read only: every image of the directory is a
// frame, in directory order. Bitmap images become 32-bit pictures with alpha
// (from their alpha channel or their AND mask), embedded PNG images are read
// as PNG. Images that are broken or reach outside the file are skipped.
class CIcoCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
};

}  // namespace stampora
