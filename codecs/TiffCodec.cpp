#include "codecs/TiffCodec.h"

#include "codecs/TiffReader.h"
#include "codecs/TiffWriter.h"

bool CTiffCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    return ReadTiff(data, size, images, properties);
}

bool CTiffCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties* properties) {
    const CRasterImage* image = images.First();
    return image != nullptr && WriteTiff(path, *image, properties);
}
