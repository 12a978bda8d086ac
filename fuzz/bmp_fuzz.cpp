// Feeds arbitrary bytes to the BMP reader.
#include <cstddef>
#include <cstdint>

#include "codecs/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBmpCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
