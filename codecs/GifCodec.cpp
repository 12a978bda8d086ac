#include "codecs/GifCodec.h"

#include "codecs/GifReader.h"
#include "codecs/GifWriter.h"

bool CGifCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    return ReadGif(data, size, images, properties);
}

bool CGifCodec::SaveFile(const std::string& path, const ImageList& images, const CImageProperties*) {
    const CRasterImage* image = images.First();
    return image != nullptr && WriteGif(path, *image);
}
