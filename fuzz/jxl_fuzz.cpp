// Feeds arbitrary bytes to the JPEG XL reader and its metadata reader.
#include <cstddef>
#include <cstdint>

#include "codecs/jxl/JxlCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CJxlCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    EmbeddedMetadataOf(data, size);
    return 0;
}
