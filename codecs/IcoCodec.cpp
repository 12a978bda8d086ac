#include "codecs/IcoCodec.h"

#include "codecs/IcoReader.h"

bool CIcoCodec::LoadMemory(const uint8_t* data, size_t size, ImageList& images, PropertiesSlot& properties) {
    return ReadIco(data, size, images, properties);
}
