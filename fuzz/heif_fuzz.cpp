// Feeds arbitrary bytes to the HEIF/AVIF reader and its metadata reader.
#include <cstddef>
#include <cstdint>

#include "codecs/heif/HeifCodec.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CHeifCodec codec(FormatHeif);
    ImageList images;
    PropertiesSlot properties;
    codec.LoadMemory(data, size, images, properties);
    EmbeddedMetadataOf(data, size);
    return 0;
}
