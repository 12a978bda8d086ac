// Feeds arbitrary bytes to the JPEG reader.
#include <cstddef>
#include <cstdint>

#include "codecs/JpegCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CJpegCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    return 0;
}
