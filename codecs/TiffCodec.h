#pragma once
#include "codecs/ImageCodec.h"

// TIFF pictures (every page a frame) through libtiff.
class CTiffCodec : public CImageCodec {
public:
    bool LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) override;
    bool SaveFile(const std::string& path, const ImageList& images, const CImageProperties* properties) override;
};
