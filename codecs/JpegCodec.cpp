#include "codecs/JpegCodec.h"

#include "codecs/JpegReader.h"
#include "codecs/JpegWriter.h"

bool CJpegCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    return ReadJpeg(data, size, images, properties);
}

bool CJpegCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties* properties) {
    const CRasterImage* image = images.First();
    return image != nullptr && WriteJpeg(path, *image, properties);
}
