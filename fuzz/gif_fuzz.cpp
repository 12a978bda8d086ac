// Feeds arbitrary bytes to the GIF reader.
#include <cstddef>
#include <cstdint>

#include "codecs/gif/GifCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CGifCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
