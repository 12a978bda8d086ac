#pragma once
#include "codecs/ImageCodec.h"

// Icon files: read only (every image of the directory a frame); saving
// refuses.
class CIcoCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
};
