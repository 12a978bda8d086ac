// Feeds arbitrary bytes to the ICO reader.
#include <cstddef>
#include <cstdint>

#include "codecs/ico/IcoCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIcoCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
