#include "codecs/PngCodec.h"

#include "codecs/PngReader.h"
#include "codecs/PngWriter.h"

bool CPngCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    return ReadPng(data, size, images, properties);
}

bool CPngCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties* properties) {
    const CRasterImage* image = images.First();
    return image != nullptr && WritePng(path, *image, properties);
}
