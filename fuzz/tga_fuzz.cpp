// Feeds arbitrary bytes to the TGA reader.
#include <cstddef>
#include <cstdint>

#include "codecs/tga/TgaCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CTgaCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
