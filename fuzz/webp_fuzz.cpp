// Feeds arbitrary bytes to the WebP reader and its metadata reader.
#include <cstddef>
#include <cstdint>

#include "codecs/webp/WebpCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CWebpCodec codec;
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    EmbeddedMetadataOf(data, size);
    return 0;
}
