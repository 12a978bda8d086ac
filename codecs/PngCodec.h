#pragma once
#include "codecs/ImageCodec.h"

// PNG pictures through libpng.
class CPngCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images, const CImageProperties* properties) override;
};
