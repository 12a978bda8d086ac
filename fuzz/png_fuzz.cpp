// Feeds arbitrary bytes to the PNG reader.
#include <cstddef>
#include <cstdint>

#include "codecs/png/PngCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPngCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
